#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <chrono>
#include <optional>

namespace orvane::emulator {

// A checked authorisation request: what a consent decides on and a code carries.
struct AuthorizationRequest {
    QString clientId;
    QString redirectUri;
    QString scope;
    QString codeChallenge;
    QString state;
    bool offlineAccess = false;
};

struct IssuedTokens {
    QString accessToken;
    std::optional<QString> refreshToken;
    QString scope;
};

struct RefreshGrant {
    QString clientId;
    QString scope;
};

// The authorisation server's memory: consents waiting for a decision,
// authorisation codes, access tokens with their expiry, and refresh tokens.
class OAuthGrants {
public:
    QString holdForConsent(AuthorizationRequest request);
    // The request waiting under consentId; a consent is decided once.
    std::optional<AuthorizationRequest> takeConsent(const QString& consentId);

    QString issueCode(AuthorizationRequest request);
    // The request behind a code; a code is redeemed at most once, successfully or not.
    std::optional<AuthorizationRequest> redeemCode(const QString& code);

    IssuedTokens issueTokens(const QString& clientId, const QString& scope, bool withRefreshToken, std::chrono::seconds lifetime);
    std::optional<RefreshGrant> refreshGrant(const QString& refreshToken) const;

    // The client an access token was issued to, while it has not expired.
    std::optional<QString> clientOfAccessToken(const QString& accessToken) const;
    void expireAccessTokens();
    void clear();

private:
    struct AccessGrant {
        QString clientId;
        QDateTime expiresAt;
    };

    QHash<QString, AuthorizationRequest> m_consents;
    QHash<QString, AuthorizationRequest> m_codes;
    QHash<QString, AccessGrant> m_accessTokens;
    QHash<QString, RefreshGrant> m_refreshTokens;
};

} // namespace orvane::emulator
