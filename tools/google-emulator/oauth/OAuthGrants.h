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
    // The user took the access back (or it ran out): the token is known but refused.
    bool revoked = false;
};

// The authorisation server's memory: consents waiting for a decision,
// authorisation codes, access tokens with their expiry, and refresh tokens. An
// access token belongs to the refresh token it came with or from, so that
// revoking either revokes both, as Google does.
class OAuthGrants {
public:
    QString holdForConsent(AuthorizationRequest request);
    // The request waiting under consentId; a consent is decided once.
    std::optional<AuthorizationRequest> takeConsent(const QString& consentId);

    QString issueCode(AuthorizationRequest request);
    // The request behind a code; a code is redeemed at most once, successfully or not.
    std::optional<AuthorizationRequest> redeemCode(const QString& code);

    // A code exchange: an access token, with a new refresh token when asked.
    IssuedTokens issueTokens(const QString& clientId, const QString& scope, bool withRefreshToken, std::chrono::seconds lifetime);
    // A refresh: a new access token under that (usable) refresh token.
    IssuedTokens refreshTokens(const QString& refreshToken, std::chrono::seconds lifetime);
    std::optional<RefreshGrant> refreshGrant(const QString& refreshToken) const;

    // Revokes an access or refresh token together with its partner; false
    // when the token is unknown or already revoked.
    bool revoke(const QString& token);
    // What a user does by removing the application's access: every token of every client.
    void revokeAll();

    // The client an access token was issued to, while it has not expired.
    std::optional<QString> clientOfAccessToken(const QString& accessToken) const;
    void expireAccessTokens();
    // What the user lets the application have on the consent page from now
    // on, in place of the scopes it asked for: Google's page lets them untick
    // a scope. Absent: all that was asked for.
    void setGrantedScope(std::optional<QString> scope) { m_grantedScope = std::move(scope); }
    const std::optional<QString>& grantedScope() const { return m_grantedScope; }
    void clear();

private:
    struct AccessGrant {
        QString clientId;
        QDateTime expiresAt;
        std::optional<QString> refreshToken;
    };

    QString issueAccessToken(const QString& clientId, std::chrono::seconds lifetime, const std::optional<QString>& refreshToken);
    void revokeRefreshToken(const QString& refreshToken);

    QHash<QString, AuthorizationRequest> m_consents;
    QHash<QString, AuthorizationRequest> m_codes;
    QHash<QString, AccessGrant> m_accessTokens;
    QHash<QString, RefreshGrant> m_refreshTokens;
    std::optional<QString> m_grantedScope;
};

} // namespace orvane::emulator
