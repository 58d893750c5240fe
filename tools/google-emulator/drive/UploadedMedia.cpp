#include "UploadedMedia.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype keptContentLimit = 1024 * 1024; // enough for the pages

} // namespace

MediaAccumulator::MediaAccumulator(QString mediaType)
{
    if (mediaType == u"text/csv"_s)
        m_cellCounter.emplace(',');
    else if (mediaType == u"text/tab-separated-values"_s)
        m_cellCounter.emplace('\t');
    m_content.mediaType = std::move(mediaType);
}

void MediaAccumulator::feed(QByteArrayView data)
{
    m_hash.update(data);
    m_content.size += data.size();
    if (m_cellCounter)
        m_cellCounter->feed(data);
    if (m_content.prefix.size() < keptContentLimit)
        m_content.prefix.append(data.first(std::min(data.size(), keptContentLimit - m_content.prefix.size())));
}

UploadedContent MediaAccumulator::finish()
{
    m_content.sha256 = m_hash.finalize().toHex();
    m_content.complete = m_content.prefix.size() == m_content.size;
    if (m_cellCounter)
        m_content.cells = m_cellCounter->cells();
    return m_content;
}

} // namespace orvane::emulator
