#include "OAuthGrants.h"

#include "GoogleIds.h"

namespace orvane::emulator {

QString OAuthGrants::holdForConsent(AuthorizationRequest request)
{
    const QString consentId = ids::newConsentId();
    m_consents.insert(consentId, std::move(request));
    return consentId;
}

std::optional<AuthorizationRequest> OAuthGrants::takeConsent(const QString& consentId)
{
    const auto found = m_consents.constFind(consentId);
    if (found == m_consents.cend())
        return std::nullopt;
    AuthorizationRequest request = *found;
    m_consents.erase(found);
    return request;
}

QString OAuthGrants::issueCode(AuthorizationRequest request)
{
    const QString code = ids::newAuthorizationCode();
    m_codes.insert(code, std::move(request));
    return code;
}

std::optional<AuthorizationRequest> OAuthGrants::redeemCode(const QString& code)
{
    const auto found = m_codes.constFind(code);
    if (found == m_codes.cend())
        return std::nullopt;
    AuthorizationRequest request = *found;
    m_codes.erase(found);
    return request;
}

IssuedTokens OAuthGrants::issueTokens(const QString& clientId, const QString& scope, bool withRefreshToken,
                                      std::chrono::seconds lifetime)
{
    std::optional<QString> refreshToken;
    if (withRefreshToken) {
        refreshToken = ids::newRefreshToken();
        m_refreshTokens.insert(*refreshToken, {.clientId = clientId, .scope = scope, .revoked = false});
    }
    return {.accessToken = issueAccessToken(clientId, lifetime, refreshToken), .refreshToken = refreshToken, .scope = scope};
}

IssuedTokens OAuthGrants::refreshTokens(const QString& refreshToken, std::chrono::seconds lifetime)
{
    const RefreshGrant grant = m_refreshTokens.value(refreshToken);
    // Google sends no new refresh token with a refresh.
    return {.accessToken = issueAccessToken(grant.clientId, lifetime, refreshToken), .refreshToken = std::nullopt,
            .scope = grant.scope};
}

QString OAuthGrants::issueAccessToken(const QString& clientId, std::chrono::seconds lifetime,
                                      const std::optional<QString>& refreshToken)
{
    const QString accessToken = ids::newAccessToken();
    m_accessTokens.insert(accessToken, {clientId, QDateTime::currentDateTimeUtc().addSecs(lifetime.count()), refreshToken});
    return accessToken;
}

std::optional<RefreshGrant> OAuthGrants::refreshGrant(const QString& refreshToken) const
{
    const auto found = m_refreshTokens.constFind(refreshToken);
    return found == m_refreshTokens.cend() ? std::nullopt : std::optional(*found);
}

bool OAuthGrants::revoke(const QString& token)
{
    if (const auto refresh = m_refreshTokens.constFind(token); refresh != m_refreshTokens.cend()) {
        if (refresh->revoked)
            return false;
        revokeRefreshToken(token);
        return true;
    }
    const auto access = m_accessTokens.constFind(token);
    if (access == m_accessTokens.cend())
        return false;
    const std::optional<QString> partner = access->refreshToken;
    m_accessTokens.erase(access);
    if (partner)
        revokeRefreshToken(*partner);
    return true;
}

void OAuthGrants::revokeAll()
{
    for (RefreshGrant& grant : m_refreshTokens)
        grant.revoked = true;
    m_accessTokens.clear();
}

void OAuthGrants::revokeRefreshToken(const QString& refreshToken)
{
    m_refreshTokens[refreshToken].revoked = true;
    m_accessTokens.removeIf([&](const auto& entry) { return entry.value().refreshToken == refreshToken; });
}

std::optional<QString> OAuthGrants::clientOfAccessToken(const QString& accessToken) const
{
    const auto found = m_accessTokens.constFind(accessToken);
    if (found == m_accessTokens.cend() || found->expiresAt <= QDateTime::currentDateTimeUtc())
        return std::nullopt;
    return found->clientId;
}

void OAuthGrants::expireAccessTokens()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (AccessGrant& grant : m_accessTokens)
        grant.expiresAt = std::min(grant.expiresAt, now);
}

void OAuthGrants::clear()
{
    m_consents.clear();
    m_codes.clear();
    m_accessTokens.clear();
    m_refreshTokens.clear();
    m_grantedScope.reset();
}

} // namespace orvane::emulator
