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
    IssuedTokens tokens{.accessToken = ids::newAccessToken(), .refreshToken = std::nullopt, .scope = scope};
    m_accessTokens.insert(tokens.accessToken, {clientId, QDateTime::currentDateTimeUtc().addSecs(lifetime.count())});
    if (withRefreshToken) {
        tokens.refreshToken = ids::newRefreshToken();
        m_refreshTokens.insert(*tokens.refreshToken, {clientId, scope});
    }
    return tokens;
}

std::optional<RefreshGrant> OAuthGrants::refreshGrant(const QString& refreshToken) const
{
    const auto found = m_refreshTokens.constFind(refreshToken);
    return found == m_refreshTokens.cend() ? std::nullopt : std::optional(*found);
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
}

} // namespace orvane::emulator
