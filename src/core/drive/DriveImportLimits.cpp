#include "drive/DriveImportLimits.h"

#include "support/JsonDecoding.h"

#include <QJsonObject>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

QString googleEditorName(WorkspaceEditor editor)
{
    switch (editor) {
    case WorkspaceEditor::sheets:
        return u"Google Sheets"_s;
    case WorkspaceEditor::docs:
        return u"Google Docs"_s;
    case WorkspaceEditor::slides:
        return u"Google Slides"_s;
    }
    Q_UNREACHABLE();
    return {};
}

// An Office file can still go to Drive as it is; a CSV or TSV file is always converted.
QString refusal(const QString& sentence, const DriveUploadRequest& request)
{
    if (request.route.forcedOpenMode)
        return sentence;
    return sentence
        + u" To put it on Drive as an Office file, choose \u201CKeep Office format on Drive\u201D in Preferences."_s;
}

std::optional<QJsonObject> optionalObject(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isObject())
        throw DecodingError(QString(key), u"expected an object"_s);
    return value.toObject();
}

} // namespace

std::optional<QString> conversionTarget(const DriveUploadRequest& request)
{
    if (request.route.effectiveOpenMode(request.mode) != OpenMode::googleFormat)
        return std::nullopt;
    return request.route.targetGoogleMimeType;
}

DriveImportLimits DriveImportLimits::fromJson(const QJsonValue& value)
{
    const QJsonObject about = json::requireObject(value);
    DriveImportLimits limits;
    if (const std::optional<QJsonObject> formats = optionalObject(about, "importFormats"_L1)) {
        limits.importFormats.emplace();
        for (auto format = formats->begin(); format != formats->end(); ++format) {
            const QByteArray source = format.key().toUtf8();
            try {
                limits.importFormats->insert(format.key().toLower(),
                                             json::requireStringList(*formats, QLatin1StringView(source)));
            } catch (const DecodingError& error) {
                throw error.nestedIn(u"importFormats"_s);
            }
        }
    }
    if (const std::optional<QJsonObject> sizes = optionalObject(about, "maxImportSizes"_L1)) {
        for (auto size = sizes->begin(); size != sizes->end(); ++size) {
            bool isNumber = false;
            const qint64 bytes = size.value().toString().toLongLong(&isNumber);
            if (!size.value().isString() || !isNumber || bytes < 0)
                throw DecodingError(u"maxImportSizes."_s + size.key(), u"expected a byte count as a string"_s);
            limits.maxImportSizes.insert(size.key(), bytes);
        }
    }
    return limits;
}

void DriveImportLimits::requireConvertible(const DriveUploadRequest& request) const
{
    const std::optional<QString> target = conversionTarget(request);
    if (!target)
        return;
    const QString fileName = request.localFileURL.fileName();
    const QString editor = googleEditorName(request.route.editor);
    if (importFormats && !importFormats->value(request.route.sourceMimeType.toLower()).contains(*target))
        throw ConversionRefusedError(
            refusal(u"Google Drive does not convert \u201C%1\u201D to %2 for this account, so nothing was uploaded."_s
                        .arg(fileName, editor),
                    request));
    if (const auto limit = maxImportSizes.constFind(*target);
        limit != maxImportSizes.cend() && request.snapshot.fileSize > *limit)
        throw ConversionRefusedError(refusal(
            u"\u201C%1\u201D is larger than the %2 %3 accepts for conversion, so nothing was uploaded."_s.arg(
                fileName, dataSizeText(*limit), editor),
            request));
}

QString dataSizeText(qint64 bytes)
{
    if (bytes < 1024)
        return bytes == 1 ? u"1 byte"_s : u"%1 bytes"_s.arg(bytes);
    static constexpr std::array units{"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    std::size_t unit = 0;
    // Rounded to one decimal before the unit is chosen, so 1023.99 KB reads "1 MB".
    while (std::round(value * 10) / 10 >= 1024 && unit + 1 < units.size()) {
        value /= 1024;
        ++unit;
    }
    QString number = QString::number(value, 'f', 1);
    if (number.endsWith(u".0"_s))
        number.chop(2);
    return number + u' ' + QLatin1StringView(units[unit]);
}

} // namespace orvane
