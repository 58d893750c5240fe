#include "ImportFormats.h"

#include "DriveItem.h"

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

const QHash<QString, QStringList>& importFormats()
{
    // Per account on Drive; these are the formats Orvane and the demo need.
    static const QHash<QString, QStringList> formats = [] {
        const QHash<QString, QStringList> byGoogleType{
            {mime::spreadsheet,
             {u"text/csv"_s, u"text/tab-separated-values"_s, u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s,
              u"application/vnd.ms-excel"_s, u"application/vnd.ms-excel.sheet.macroenabled.12"_s,
              u"application/vnd.oasis.opendocument.spreadsheet"_s}},
            {mime::document,
             {u"application/vnd.openxmlformats-officedocument.wordprocessingml.document"_s, u"application/msword"_s, u"text/plain"_s,
              u"text/html"_s, u"application/rtf"_s, u"application/vnd.oasis.opendocument.text"_s}},
            {mime::presentation,
             {u"application/vnd.openxmlformats-officedocument.presentationml.presentation"_s, u"application/vnd.ms-powerpoint"_s,
              u"application/vnd.oasis.opendocument.presentation"_s}},
        };
        QHash<QString, QStringList> bySource;
        for (auto googleType = byGoogleType.cbegin(); googleType != byGoogleType.cend(); ++googleType) {
            for (const QString& source : *googleType)
                bySource[source].append(googleType.key());
        }
        return bySource;
    }();
    return formats;
}

bool canConvert(const QString& mediaType, const QString& googleType)
{
    return importFormats().value(mediaType).contains(googleType);
}

} // namespace orvane::emulator
