#include "signin/GoogleOAuthClient.h"

#include "signin/DrivePermissionMissingError.h"
#include "signin/FormURLEncoding.h"
#include "signin/GoogleAccessExpiredError.h"
#include "net/HttpExchange.h"
#include "signin/LoopbackRedirectServer.h"
#include "signin/OAuthTokenExchangeError.h"
#include "routing/OrvaneError.h"
#include "signin/PKCE.h"
#include "signin/TokenAnswer.h"

#include <QScopeGuard>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

using namespace Qt::StringLiterals;

struct QueryItem {
    QString name;
    // Absent for an item without "=", empty for "name=".
    std::optional<QString> value;
};

// Items split at "&", name and value at the first "=", both percent-decoded;
// a "+" stays a plus sign.
QList<QueryItem> queryItems(const QUrl& url)
{
    QList<QueryItem> items;
    if (!url.hasQuery() || url.query().isEmpty())
        return items;
    for (const QByteArray& item : url.query(QUrl::FullyEncoded).toUtf8().split('&')) {
        const qsizetype separator = item.indexOf('=');
        if (separator < 0)
            items.append({QUrl::fromPercentEncoding(item), std::nullopt});
        else
            items.append({QUrl::fromPercentEncoding(item.left(separator)),
                          QUrl::fromPercentEncoding(item.mid(separator + 1))});
    }
    return items;
}

std::optional<QString> firstValue(const QList<QueryItem>& items, const QString& name)
{
    const auto found = std::find_if(items.cbegin(), items.cend(), [&](const QueryItem& item) { return item.name == name; });
    return found != items.cend() ? found->value : std::nullopt;
}

// The authorisation code of a redirect that belongs to this sign-in. An
// "error" item (the user declined) is not read: without a code it ends as an
// unreadable callback.
QString authorizationCode(const QUrl& callbackURL, const QString& expectedState)
{
    const QList<QueryItem> items = queryItems(callbackURL);
    if (firstValue(items, u"state"_s) != expectedState)
        throw OrvaneError::oauthStateMismatch();
    const std::optional<QString> code = firstValue(items, u"code"_s);
    if (!code)
        throw OrvaneError::invalidOAuthCallback();
    return *code;
}

// A query component: a blank becomes %20, ":" and "/" stay as they are.
QString queryComponent(const QString& text)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(":/"));
}

bool isExpiredOrRevokedGrant(const OAuthTokenExchangeError& error)
{
    return error.error() == u"invalid_grant"_s;
}

} // namespace

GoogleOAuthClient::GoogleOAuthClient(OAuthConfiguration configuration, std::shared_ptr<OAuthTokenStoring> tokenStore,
                                     QNetworkAccessManager& networkAccessManager,
                                     AuthorizationURLOpener openAuthorizationURL, GoogleServiceEndpoints endpoints,
                                     Clock clock, RetryPolicy retryPolicy)
    : configuration_(std::move(configuration))
    , tokenStore_(std::move(tokenStore))
    , networkAccessManager_(networkAccessManager)
    , openAuthorizationURL_(std::move(openAuthorizationURL))
    , endpoints_(std::move(endpoints))
    , clock_(std::move(clock))
    , retryPolicy_(std::move(retryPolicy))
{
}

QCoro::Task<OAuthTokenSet> GoogleOAuthClient::connect()
{
    const QString codeVerifier = PKCE::generateCodeVerifier();
    const QString state = PKCE::generateState();
    LoopbackRedirectServer redirectServer;
    const QString redirectURI = redirectServer.start().toString(QUrl::FullyEncoded);
    // The listener stays up until the tokens are saved, and goes on every way out.
    const auto stopRedirectServer = qScopeGuard([&redirectServer] { redirectServer.stop(); });

    openAuthorizationURL_(authorizationURL(redirectURI, PKCE::codeChallenge(codeVerifier), state));
    const QUrl callbackURL = co_await redirectServer.waitForCallback(redirectWaitTimeout);
    const QString code = authorizationCode(callbackURL, state);

    const TokenResponse response = co_await postTokenRequest(tokenParameters({
        {u"client_id"_s, configuration_.clientID},
        {u"code"_s, code},
        {u"code_verifier"_s, codeVerifier},
        {u"grant_type"_s, u"authorization_code"_s},
        {u"redirect_uri"_s, redirectURI},
    }));
    if (!response.accessToken)
        throw OrvaneError::oauthTokenUnavailable();
    // Google's consent page lets the user untick a scope; the answer names
    // what was granted. Without drive.file a stored grant could upload nothing.
    if (response.scope && !response.scope->split(u' ', Qt::SkipEmptyParts).contains(GoogleServiceEndpoints::driveFileScope()))
        throw DrivePermissionMissingError();
    const OAuthTokenSet tokens{
        .accessToken = *response.accessToken,
        .refreshToken = response.refreshToken,
        .expiresAt = expiryAfter(response.expiresIn),
        .scope = response.scope,
        .tokenType = response.tokenType,
    };
    co_await tokenStore_->saveTokens(tokens);
    co_return tokens;
}

QCoro::Task<QString> GoogleOAuthClient::accessToken()
{
    const std::optional<OAuthTokenSet> stored = co_await tokenStore_->loadTokens();
    if (stored && stored->isAccessTokenCurrent(clock_()))
        co_return stored->accessToken;
    if (stored && stored->refreshToken)
        co_return co_await refreshAccessToken(*stored->refreshToken, *stored);
    const OAuthTokenSet tokens = co_await connect();
    co_return tokens.accessToken;
}

QCoro::Task<std::optional<QString>> GoogleOAuthClient::accessTokenReplacing(QString rejectedToken)
{
    const std::optional<OAuthTokenSet> stored = co_await tokenStore_->loadTokens();
    // Another request may have refreshed already: its token is the new one.
    if (stored && stored->accessToken != rejectedToken && stored->isAccessTokenCurrent(clock_()))
        co_return stored->accessToken;
    if (!stored || !stored->refreshToken)
        co_return std::nullopt;
    co_return co_await refreshAccessToken(*stored->refreshToken, *stored);
}

QCoro::Task<bool> GoogleOAuthClient::isConnected()
{
    try {
        const std::optional<OAuthTokenSet> stored = co_await tokenStore_->loadTokens();
        co_return stored.has_value();
    } catch (...) {
        co_return false;
    }
}

QCoro::Task<> GoogleOAuthClient::disconnect()
{
    co_await tokenStore_->deleteTokens();
}

QUrl GoogleOAuthClient::authorizationURL(const QString& redirectURI, const QString& codeChallenge,
                                         const QString& state) const
{
    const std::pair<QString, QString> parameters[] = {
        {u"client_id"_s, configuration_.clientID},
        {u"redirect_uri"_s, redirectURI},
        {u"response_type"_s, u"code"_s},
        {u"scope"_s, configuration_.scopes.join(QLatin1Char(' '))},
        {u"access_type"_s, u"offline"_s},
        {u"prompt"_s, u"consent"_s},
        {u"code_challenge"_s, codeChallenge},
        {u"code_challenge_method"_s, u"S256"_s},
        {u"state"_s, state},
    };
    QStringList query;
    for (const auto& [name, value] : parameters)
        query.append(queryComponent(name) + QLatin1Char('=') + queryComponent(value));
    QUrl url = endpoints_.authorizationEndpoint;
    url.setQuery(query.join(QLatin1Char('&')), QUrl::StrictMode);
    return url;
}

QCoro::Task<QString> GoogleOAuthClient::refreshAccessToken(QString refreshToken, OAuthTokenSet existingTokens)
{
    std::optional<TokenResponse> answer;
    try {
        answer = co_await postTokenRequest(tokenParameters({
            {u"client_id"_s, configuration_.clientID},
            {u"grant_type"_s, u"refresh_token"_s},
            {u"refresh_token"_s, refreshToken},
        }));
    } catch (const OAuthTokenExchangeError& error) {
        // For a refresh, invalid_grant means the grant itself is gone.
        if (isExpiredOrRevokedGrant(error))
            throw GoogleAccessExpiredError();
        throw;
    }
    const TokenResponse& response = *answer;
    if (!response.accessToken)
        throw OrvaneError::oauthTokenUnavailable();
    // Google leaves out what has not changed, the refresh token in particular.
    const OAuthTokenSet tokens{
        .accessToken = *response.accessToken,
        .refreshToken = response.refreshToken ? response.refreshToken : existingTokens.refreshToken,
        .expiresAt = expiryAfter(response.expiresIn),
        .scope = response.scope ? response.scope : existingTokens.scope,
        .tokenType = response.tokenType ? response.tokenType : existingTokens.tokenType,
    };
    co_await tokenStore_->saveTokens(tokens);
    co_return tokens.accessToken;
}

GoogleOAuthClient::Parameters GoogleOAuthClient::tokenParameters(Parameters parameters) const
{
    // The application's own token endpoint holds the secret itself, and an
    // empty secret is no secret.
    if (!configuration_.tokenEndpointURL && configuration_.clientSecret && !configuration_.clientSecret->isEmpty())
        parameters.insert(u"client_secret"_s, *configuration_.clientSecret);
    return parameters;
}

QCoro::Task<TokenResponse> GoogleOAuthClient::postTokenRequest(Parameters parameters)
{
    QNetworkRequest request = makeRequest(configuration_.tokenEndpointURL.value_or(endpoints_.tokenEndpoint));
    request.setHeader(QNetworkRequest::ContentTypeHeader, u"application/x-www-form-urlencoded"_s);
    const QByteArray body = formURLEncoded(parameters);
    RetryBudget budget(retryPolicy_, {});
    const HttpResponse response = co_await retrying<HttpResponse>(
        budget, [&] { return sendRequest(networkAccessManager_, request, "POST", body); },
        [](const HttpResponse& answer) {
            return answer.statusCode ? passingFailureOfStatus(*answer.statusCode) : std::nullopt;
        });
    if (response.isHttpFailure())
        throw tokenExchangeError(*response.statusCode, response.body);
    co_return TokenResponse::fromJson(response.body);
}

QDateTime GoogleOAuthClient::expiryAfter(std::optional<double> expiresIn) const
{
    const double seconds = expiresIn.value_or(double(defaultAccessTokenLifetime.count()));
    // A lifetime beyond a century is nonsense; bounding it keeps the date valid.
    constexpr double longestLifetime = 100.0 * 365 * 24 * 3600;
    return clock_().addMSecs(std::llround(std::clamp(seconds, -longestLifetime, longestLifetime) * 1000.0));
}

} // namespace orvane
