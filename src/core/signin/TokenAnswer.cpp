#include "signin/TokenAnswer.h"

#include "support/DecodingError.h"
#include "support/JsonDecoding.h"
#include "support/Utf8Text.h"

#include <QJsonObject>

namespace orvane {

using namespace Qt::StringLiterals;

TokenResponse TokenResponse::fromJson(const QByteArray& json)
{
    const QJsonObject object = json::parseObject(json);
    return {
        .accessToken = json::optionalString(object, "access_token"_L1),
        .refreshToken = json::optionalString(object, "refresh_token"_L1),
        .expiresIn = json::optionalDouble(object, "expires_in"_L1),
        .scope = json::optionalString(object, "scope"_L1),
        .tokenType = json::optionalString(object, "token_type"_L1),
    };
}

OAuthTokenExchangeError tokenExchangeError(int statusCode, const QByteArray& body)
{
    QJsonObject object;
    try {
        object = json::parseObject(body);
        // The code decides what happens next (a revoked grant asks to connect
        // again): a description that is no text is left out, not a reason to
        // lose the code.
        const QJsonValue description = object.value("error_description"_L1);
        return OAuthTokenExchangeError(statusCode, json::requireString(object, "error"_L1),
                                       description.isString() ? std::optional(description.toString()) : std::nullopt);
    } catch (const DecodingError&) {
    }
    // Google's API error shape, {"error": {"message": …}}, as a proxy or
    // Google's front end may answer: its message, not the whole JSON.
    const QString message = object.value("error"_L1).toObject().value("message"_L1).toString();
    if (!message.isEmpty())
        return OAuthTokenExchangeError(statusCode, u"token_exchange_failed"_s, message);
    return OAuthTokenExchangeError(statusCode, u"token_exchange_failed"_s, strictUtf8Text(body));
}

} // namespace orvane
