#pragma once

#include "net/RetryPolicy.h"
#include "signin/AccessTokenProviding.h"
#include "routing/GoogleServiceEndpoints.h"
#include "signin/OAuthConfiguration.h"
#include "tokens/OAuthTokenStoring.h"

#include <QDateTime>
#include <QMap>
#include <QUrl>

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace orvane {

struct TokenResponse;

// Google sign-in for an installed application (OAuth 2.0 with PKCE S256, a
// random state and a loopback redirect), the code exchange, refreshes, and
// current access tokens for the Drive client. It keeps no token itself: every
// call reads the token store and every new set is written to it at once.
// Token requests that fail for a passing reason (429, server failures, a
// connection dropped before any answer) are tried again under the retry
// policy. Coroutines use the client after suspending, so it must outlive them.
class GoogleOAuthClient final : public AccessTokenProviding {
public:
    // Shows Google's authorisation page, normally in the default browser, and
    // returns at once. May throw; the sign-in then ends with that error.
    using AuthorizationURLOpener = std::function<void(const QUrl&)>;
    // The wall clock, replaceable so that expiry rules can be tested.
    using Clock = std::function<QDateTime()>;

    static constexpr std::chrono::seconds redirectWaitTimeout{180};
    // Assumed when the token endpoint does not say how long a token lives.
    static constexpr std::chrono::seconds defaultAccessTokenLifetime{3600};

    GoogleOAuthClient(OAuthConfiguration configuration, std::shared_ptr<OAuthTokenStoring> tokenStore,
                      QNetworkAccessManager& networkAccessManager, AuthorizationURLOpener openAuthorizationURL,
                      GoogleServiceEndpoints endpoints, Clock clock = &QDateTime::currentDateTimeUtc,
                      RetryPolicy retryPolicy = RetryPolicy::exponentialBackoff());

    const OAuthConfiguration& configuration() const { return configuration_; }

    // The interactive sign-in: opens the authorisation page, waits up to
    // redirectWaitTimeout for the redirect, checks its state, exchanges the
    // code and saves the new set, which it returns. Throws OrvaneError
    // (oauthStateMismatch, invalidOAuthCallback, oauthTokenUnavailable),
    // OAuthTokenExchangeError, UrlError, DecodingError, or the opener's or
    // token store's error.
    QCoro::Task<OAuthTokenSet> connect();

    // The stored access token while it is current, else a refreshed one when a
    // refresh token is stored, else the one a new sign-in yields. A failed
    // refresh is thrown, never answered with a sign-in; a refresh token that
    // Google refuses as expired or revoked throws GoogleAccessExpiredError.
    QCoro::Task<QString> accessToken() override;

    // After Google refused rejectedToken: the stored token if it is another
    // current one, else a refreshed one; none without a refresh token.
    QCoro::Task<std::optional<QString>> accessTokenReplacing(QString rejectedToken) override;

    // Whether a readable token set is stored. Reads the secret; a failing
    // store answers false.
    QCoro::Task<bool> isConnected();

    // Deletes the stored set; nothing is sent to Google.
    QCoro::Task<> disconnect();

private:
    using Parameters = QMap<QString, QString>;

    QUrl authorizationURL(const QString& redirectURI, const QString& codeChallenge, const QString& state) const;
    QCoro::Task<QString> refreshAccessToken(QString refreshToken, OAuthTokenSet existingTokens);
    Parameters tokenParameters(Parameters parameters) const;
    QCoro::Task<TokenResponse> postTokenRequest(Parameters parameters);
    QDateTime expiryAfter(std::optional<double> expiresIn) const;

    OAuthConfiguration configuration_;
    std::shared_ptr<OAuthTokenStoring> tokenStore_;
    QNetworkAccessManager& networkAccessManager_;
    AuthorizationURLOpener openAuthorizationURL_;
    GoogleServiceEndpoints endpoints_;
    Clock clock_;
    RetryPolicy retryPolicy_;
};

} // namespace orvane
