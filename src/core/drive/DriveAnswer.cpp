#include "drive/DriveAnswer.h"

#include "support/JsonDecoding.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane {

namespace {

using namespace Qt::StringLiterals;

// Google's error object, {"error": {"code", "message", "errors": [{"reason", …}]}},
// or an empty one when the body is something else.
QJsonObject errorObject(const HttpResponse& response)
{
    return QJsonDocument::fromJson(response.body).object().value(u"error"_s).toObject();
}

} // namespace

DriveFile DriveFile::fromJson(const QJsonValue& value)
{
    const QJsonObject object = json::requireObject(value);
    DriveFile file{json::optionalString(object, "id"_L1), json::optionalString(object, "name"_L1),
                   json::optionalString(object, "webViewLink"_L1), json::optionalString(object, "mimeType"_L1)};
    if (!object.value("parents"_L1).isUndefined() && !object.value("parents"_L1).isNull())
        file.parents = json::requireStringList(object, "parents"_L1);
    if (!object.value("trashed"_L1).isUndefined() && !object.value("trashed"_L1).isNull())
        file.trashed = json::requireBool(object, "trashed"_L1);
    return file;
}

GeneratedIds GeneratedIds::fromJson(const QJsonValue& value)
{
    return {json::requireStringList(json::requireObject(value), "ids"_L1)};
}

DriveFileList DriveFileList::fromJson(const QJsonValue& value)
{
    const QJsonObject object = json::requireObject(value);
    return {json::decodeArray(json::requireArray(object, "files"_L1), DriveFile::fromJson),
            json::optionalString(object, "nextPageToken"_L1)};
}

std::optional<PassingFailure> passingFailureOfDriveAnswer(const HttpResponse& response)
{
    if (!response.statusCode)
        return std::nullopt;
    if (*response.statusCode != 403)
        return passingFailureOfStatus(*response.statusCode);
    for (const QJsonValue& detail : errorObject(response).value(u"errors"_s).toArray()) {
        const QString reason = detail.toObject().value(u"reason"_s).toString();
        if (reason == u"rateLimitExceeded"_s || reason == u"userRateLimitExceeded"_s)
            return PassingFailure::rateLimited;
    }
    return std::nullopt;
}

UrlError driveAnswerError(const HttpResponse& response)
{
    const QString message = errorObject(response).value(u"message"_s).toString().trimmed();
    return UrlError(UrlError::Code::badServerResponse, response.statusCode.value_or(0),
                    message.isEmpty() ? std::nullopt : std::optional(message));
}

} // namespace orvane
