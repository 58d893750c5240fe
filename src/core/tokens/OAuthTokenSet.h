#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <chrono>
#include <optional>

namespace orvane {

// The result of a Google sign-in, kept in the system keyring.
struct OAuthTokenSet {
    // An access token that expires within this margin is refreshed first, so
    // that it cannot lapse during the request it is used for.
    static constexpr std::chrono::seconds expiryMargin{60};

    QString accessToken;
    std::optional<QString> refreshToken;
    QDateTime expiresAt;
    std::optional<QString> scope;
    std::optional<QString> tokenType;

    // True while expiresAt lies more than expiryMargin after now.
    bool isAccessTokenCurrent(const QDateTime& now = QDateTime::currentDateTimeUtc()) const;

    // Compact JSON; expiresAt is a number of seconds since
    // 2001-01-01T00:00:00Z, and absent optional fields are left out.
    QByteArray toJson() const;
    // Requires "accessToken" and "expiresAt"; throws DecodingError.
    static OAuthTokenSet fromJson(const QByteArray& json);

    bool operator==(const OAuthTokenSet&) const = default;
};

} // namespace orvane
