#include "GoogleErrors.h"

#include <QJsonArray>

namespace orvane::emulator::google {

using namespace Qt::Literals::StringLiterals;

namespace {

// Google's older APIs repeat the message in "errors"; for credentials the entry has a shorter text of its own.
HttpResponse errorResponse(int status, const QString& message, const QString& reason, const QString& detailMessage,
                           const std::optional<ErrorLocation>& location, const std::optional<QString>& statusName,
                           const QString& domain = u"global"_s)
{
    QJsonObject detail{{u"message"_s, detailMessage}, {u"domain"_s, domain}, {u"reason"_s, reason}};
    if (location) {
        detail.insert(u"location"_s, location->location);
        detail.insert(u"locationType"_s, location->locationType);
    }
    QJsonObject error{{u"code"_s, status}, {u"message"_s, message}, {u"errors"_s, QJsonArray{detail}}};
    if (statusName)
        error.insert(u"status"_s, *statusName);
    return HttpResponse::json(status, QJsonObject{{u"error"_s, error}});
}

const QString credentialsHelp = u" Expected OAuth 2 access token, login cookie or other valid authentication credential. "
                                u"See https://developers.google.com/identity/sign-in/web/devconsole-project."_s;

} // namespace

HttpResponse apiError(int status, const QString& reason, const QString& message,
                      const std::optional<ErrorLocation>& location, const std::optional<QString>& statusName)
{
    return errorResponse(status, message, reason, message, location, statusName);
}

HttpResponse usageLimitError(int status, const QString& reason, const QString& message)
{
    return errorResponse(status, message, reason, message, std::nullopt, std::nullopt, u"usageLimits"_s);
}

HttpResponse oauthError(int status, const QString& error, const QString& description)
{
    HttpResponse response = HttpResponse::json(status, QJsonObject{{u"error"_s, error}, {u"error_description"_s, description}});
    response.headers.append("Cache-Control"_ba, "no-cache, no-store, max-age=0, must-revalidate"_ba);
    response.headers.append("Pragma"_ba, "no-cache"_ba);
    return response;
}

HttpResponse missingCredentials()
{
    HttpResponse response = errorResponse(401, u"Request is missing required authentication credential."_s + credentialsHelp,
                                          u"required"_s, u"Login Required."_s, ErrorLocation{u"Authorization"_s, u"header"_s}, u"UNAUTHENTICATED"_s);
    response.headers.append("WWW-Authenticate"_ba, "Bearer realm=\"https://accounts.google.com/\""_ba);
    return response;
}

HttpResponse invalidCredentials()
{
    HttpResponse response = errorResponse(401, u"Request had invalid authentication credentials."_s + credentialsHelp,
                                          u"authError"_s, u"Invalid Credentials"_s, ErrorLocation{u"Authorization"_s, u"header"_s}, u"UNAUTHENTICATED"_s);
    response.headers.append("WWW-Authenticate"_ba, "Bearer realm=\"https://accounts.google.com/\", error=\"invalid_token\""_ba);
    return response;
}

HttpResponse invalidParameter(const QString& parameter, const QString& message)
{
    return apiError(400, u"invalid"_s, message, ErrorLocation{parameter, u"parameter"_s});
}

} // namespace orvane::emulator::google
