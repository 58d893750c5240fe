#pragma once

#include "DelimitedText.h"
#include "state/Sha256.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane::emulator {

// What an upload brought, reduced to what the emulator keeps.
struct UploadedContent {
    QString mediaType;
    qint64 size = 0;
    // The cells of the grid a CSV or TSV file fills; absent for other types.
    std::optional<qint64> cells;
    QByteArray sha256;
    QByteArray prefix;
    bool complete = true;
};

// Takes an upload's media bytes as they stream past, in one request or in
// many, and keeps only their size, SHA-256, the cells of CSV and TSV text and
// the first MiB (for the pages), so that an upload of any size costs no
// memory.
class MediaAccumulator {
public:
    // mediaType in lower case, as MediaType hands it over.
    explicit MediaAccumulator(QString mediaType);

    void feed(QByteArrayView data);
    qint64 size() const { return m_content.size; }
    // Everything fed so far; nothing may be fed afterwards.
    UploadedContent finish();

private:
    UploadedContent m_content;
    Sha256 m_hash;
    std::optional<DelimitedCellCounter> m_cellCounter;
};

} // namespace orvane::emulator
