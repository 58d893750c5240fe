#pragma once

#include "signin/OAuthTokenExchangeError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane {

// What the token endpoint answered to a code exchange or a refresh, every
// member as Google may leave it out. Throws DecodingError for a body that is
// not a JSON object or holds a member of the wrong type.
struct TokenResponse {
    std::optional<QString> accessToken;
    std::optional<QString> refreshToken;
    std::optional<double> expiresIn;
    std::optional<QString> scope;
    std::optional<QString> tokenType;

    static TokenResponse fromJson(const QByteArray& json);

    bool operator==(const TokenResponse&) const = default;
};

// The error of a failed token request, from whatever body came with it:
// OAuth's {"error", "error_description"}, Google's API error object, or
// anything else (its text when it is UTF-8).
OAuthTokenExchangeError tokenExchangeError(int statusCode, const QByteArray& body);

} // namespace orvane
