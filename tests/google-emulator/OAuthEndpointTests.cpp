#include "EmulatorTestHelpers.h"
#include "ScriptedBrowser.h"

#include "routing/GoogleServiceEndpoints.h"

#include <QCoroTask>
#include <QTcpServer>
#include <QTcpSocket>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

// Answers the one redirect a browser brings, as the application's loopback listener does.
class LoopbackListener {
public:
    LoopbackListener()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                requestLine = socket->readLine().trimmed();
                socket->write("HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nConnected");
                socket->disconnectFromHost();
            });
        });
    }
    QString redirectUri() const { return u"http://127.0.0.1:%1/oauth2redirect"_s.arg(m_server.serverPort()); }

    QByteArray requestLine;

private:
    QTcpServer m_server;
};

QUrlQuery redirectQuery(const HttpResult& result)
{
    return QUrlQuery(QUrl(QString::fromUtf8(result.header("Location").value_or(QByteArray()))));
}

class OAuthEndpoint : public ::testing::Test {
protected:
    // Approves an authorisation request and returns its code.
    QString authorize(const Parameters& parameters)
    {
        const HttpResult approval = http.get(authorizationUrl(emulator, parameters));
        EXPECT_EQ(approval.status, 302) << approval.body.toStdString();
        return redirectQuery(approval).queryItemValue(u"code"_s, QUrl::FullyDecoded);
    }

    Parameters exchange(const QString& code) const
    {
        return {{u"client_id"_s, emulator.clientId()}, {u"client_secret"_s, u"s3cret"_s}, {u"code"_s, code},
                {u"code_verifier"_s, verifier}, {u"grant_type"_s, u"authorization_code"_s}, {u"redirect_uri"_s, redirectUri}};
    }

    HttpResult postToken(const Parameters& form)
    {
        return http.post(emulator.url(u"/token"_s), formEncoded(form), "application/x-www-form-urlencoded"_ba);
    }

    void expectTokenError(const HttpResult& result, int status, const char* expectedBody)
    {
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.body, QByteArray(expectedBody));
    }

    GoogleEmulatorProcess emulator{{.clientIds = {u"desktop-client"_s, u"other-client"_s}, .clientSecret = u"s3cret"_s,
                                    .autoApprove = true, .tokenLifetime = std::nullopt}};
    LoopbackHttpClient http;
};

} // namespace

TEST_F(OAuthEndpoint, ApprovalRedirectsToTheLoopbackUriWithStateCodeAndScope)
{
    const HttpResult approval = http.get(authorizationUrl(emulator, authorizationParameters(u"desktop-client"_s)));
    ASSERT_EQ(approval.status, 302);
    const QByteArray location = approval.header("Location").value_or(QByteArray());
    EXPECT_TRUE(location.startsWith("http://127.0.0.1:5678/oauth2redirect?state=state-1234&code=4/0A")) << location.toStdString();
    EXPECT_TRUE(location.endsWith("&scope=https://www.googleapis.com/auth/drive.file")) << location.toStdString();
}

TEST_F(OAuthEndpoint, RefusesBadAuthorizationRequestsWithAnErrorPageNotARedirect)
{
    const Parameters good = authorizationParameters(u"desktop-client"_s);
    const struct {
        Parameters parameters;
        int status;
        const char* text;
    } cases[] = {
        {with(good, u"client_id"_s, std::nullopt), 400, "Missing required parameter: client_id"},
        {with(good, u"client_id"_s, u"unknown-client"_s), 401, "Error 401: invalid_client"},
        {with(good, u"redirect_uri"_s, u"http://localhost:5678/cb"_s), 400, "redirect_uri_mismatch"},
        {with(good, u"redirect_uri"_s, u"https://127.0.0.1:5678/cb"_s), 400, "redirect_uri_mismatch"},
        {with(good, u"redirect_uri"_s, u"http://127.0.0.1/cb"_s), 400, "redirect_uri_mismatch"},
        {with(good, u"response_type"_s, u"token"_s), 400, "Invalid response_type: token"},
        {with(good, u"scope"_s, u"https://www.googleapis.com/auth/drive"_s), 400, "Some requested scopes were invalid"},
        {with(good, u"scope"_s, std::nullopt), 400, "Missing required parameter: scope"},
        {with(good, u"code_challenge"_s, std::nullopt), 400, "Missing required parameter: code_challenge"},
        {with(good, u"code_challenge_method"_s, u"plain"_s), 400, "Invalid code_challenge_method: plain"},
        {with(good, u"code_challenge"_s, u"short"_s), 400, "Invalid code_challenge"},
        {with(good, u"state"_s, std::nullopt), 400, "Missing required parameter: state"},
        {with(good, u"access_type"_s, u"forever"_s), 400, "Invalid access_type: forever"},
        {with(good, u"prompt"_s, u"none"_s), 400, "Invalid prompt: none"},
        {with(good, u"unexpected"_s, u"1"_s), 400, "Parameter not allowed for this message type: unexpected"},
        {good + Parameters{{u"state"_s, u"again"_s}}, 400, "Parameter given more than once: state"},
    };
    for (const auto& [parameters, status, text] : cases) {
        const HttpResult result = http.get(authorizationUrl(emulator, parameters));
        EXPECT_EQ(result.status, status) << text;
        EXPECT_FALSE(result.header("Location")) << text;
        EXPECT_TRUE(result.body.contains(text)) << text << "\n" << result.body.toStdString();
    }
}

TEST_F(OAuthEndpoint, ExchangesACodeForTokensAsGoogleAnswers)
{
    const HttpResult result = postToken(exchange(authorize(authorizationParameters(u"desktop-client"_s))));
    ASSERT_EQ(result.status, 200) << result.body.toStdString();
    EXPECT_EQ(result.header("Content-Type"), "application/json; charset=UTF-8"_ba);
    EXPECT_EQ(result.header("Cache-Control"), "no-cache, no-store, max-age=0, must-revalidate"_ba);
    const QJsonObject tokens = result.json();
    EXPECT_EQ(tokens.keys(), (QStringList{u"access_token"_s, u"expires_in"_s, u"refresh_token"_s, u"scope"_s, u"token_type"_s}));
    EXPECT_TRUE(tokens[u"access_token"_s].toString().startsWith(u"ya29."_s));
    EXPECT_TRUE(tokens[u"refresh_token"_s].toString().startsWith(u"1//"_s));
    EXPECT_EQ(tokens[u"expires_in"_s].toInteger(), 3600);
    EXPECT_EQ(tokens[u"scope"_s].toString(), driveFileScope);
    EXPECT_EQ(tokens[u"token_type"_s].toString(), u"Bearer"_s);
}

TEST_F(OAuthEndpoint, OnlineAccessGetsNoRefreshToken)
{
    const QString code = authorize(with(authorizationParameters(u"desktop-client"_s), u"access_type"_s, std::nullopt));
    const QJsonObject tokens = postToken(exchange(code)).json();
    EXPECT_TRUE(tokens.contains(u"access_token"_s));
    EXPECT_FALSE(tokens.contains(u"refresh_token"_s));
}

TEST_F(OAuthEndpoint, RefusesCodeExchangesAsGoogleDoes)
{
    const Parameters request = exchange(authorize(authorizationParameters(u"desktop-client"_s)));
    expectTokenError(postToken(with(request, u"client_secret"_s, std::nullopt)), 400,
                     R"({"error":"invalid_request","error_description":"client_secret is missing."})");
    expectTokenError(postToken(with(request, u"client_secret"_s, u"wrong"_s)), 401, R"({"error":"invalid_client","error_description":"Unauthorized"})");
    expectTokenError(postToken(with(request, u"client_id"_s, u"unknown"_s)), 401,
                     R"({"error":"invalid_client","error_description":"The OAuth client was not found."})");
    expectTokenError(postToken(with(request, u"client_id"_s, std::nullopt)), 400,
                     R"({"error":"invalid_request","error_description":"Could not determine client ID from request."})");
    expectTokenError(postToken(with(request, u"grant_type"_s, u"password"_s)), 400,
                     R"({"error":"unsupported_grant_type","error_description":"Invalid grant_type: password"})");
    expectTokenError(postToken(with(request, u"code"_s, std::nullopt)), 400,
                     R"({"error":"invalid_request","error_description":"Missing required parameter: code"})");
    expectTokenError(postToken(with(request, u"code"_s, u"4/0Aunknown"_s)), 400, R"({"error":"invalid_grant","error_description":"Bad Request"})");
    // The refusals above named no valid code, so the code is still good once.
    ASSERT_EQ(postToken(request).status, 200);
    expectTokenError(postToken(request), 400, R"({"error":"invalid_grant","error_description":"Bad Request"})");
}

TEST_F(OAuthEndpoint, ChecksThePkceVerifierAndRedirectUriOfTheCode)
{
    const Parameters parameters = authorizationParameters(u"desktop-client"_s);
    expectTokenError(postToken(with(exchange(authorize(parameters)), u"code_verifier"_s, u"A"_s.repeated(43))), 400,
                     R"({"error":"invalid_grant","error_description":"Invalid code verifier."})");
    expectTokenError(postToken(with(exchange(authorize(parameters)), u"code_verifier"_s, std::nullopt)), 400,
                     R"({"error":"invalid_grant","error_description":"Missing code verifier."})");
    expectTokenError(postToken(with(exchange(authorize(parameters)), u"redirect_uri"_s, u"http://127.0.0.1:5679/oauth2redirect"_s)), 400,
                     R"({"error":"redirect_uri_mismatch","error_description":"Bad Request"})");
    expectTokenError(postToken(with(exchange(authorize(parameters)), u"client_id"_s, u"other-client"_s)), 400,
                     R"({"error":"invalid_grant","error_description":"Bad Request"})");
}

TEST_F(OAuthEndpoint, RefreshesWithTheRefreshTokenOfTheSameClient)
{
    const QJsonObject first = postToken(exchange(authorize(authorizationParameters(u"desktop-client"_s)))).json();
    const QString refreshToken = first[u"refresh_token"_s].toString();
    const Parameters refresh{{u"client_id"_s, u"desktop-client"_s}, {u"client_secret"_s, u"s3cret"_s},
                             {u"grant_type"_s, u"refresh_token"_s}, {u"refresh_token"_s, refreshToken}};
    const HttpResult refreshed = postToken(refresh);
    ASSERT_EQ(refreshed.status, 200);
    const QJsonObject tokens = refreshed.json();
    EXPECT_EQ(tokens.keys(), (QStringList{u"access_token"_s, u"expires_in"_s, u"scope"_s, u"token_type"_s}));
    EXPECT_NE(tokens[u"access_token"_s], first[u"access_token"_s]);
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), bearer(tokens[u"access_token"_s].toString())).status, 200);

    expectTokenError(postToken(with(refresh, u"client_id"_s, u"other-client"_s)), 400, R"({"error":"invalid_grant","error_description":"Bad Request"})");
    expectTokenError(postToken(with(refresh, u"refresh_token"_s, std::nullopt)), 400,
                     R"({"error":"invalid_request","error_description":"Missing required parameter: refresh_token"})");
}

TEST_F(OAuthEndpoint, TakesOnlyFormEncodedPosts)
{
    const HttpResult json = http.post(emulator.url(u"/token"_s), R"({"grant_type":"refresh_token"})", "application/json"_ba);
    expectTokenError(json, 400, R"({"error":"invalid_request","error_description":"Bad Request"})");
    const HttpResult get = http.get(emulator.url(u"/token"_s));
    EXPECT_EQ(get.status, 405);
    EXPECT_EQ(get.header("Allow"), "POST"_ba);
}

TEST(OAuthTokenLifetime, IsConfigurable)
{
    GoogleEmulatorProcess emulator({.clientIds = {GoogleEmulatorOptions::defaultClientId}, .clientSecret = std::nullopt,
                                    .autoApprove = true, .tokenLifetime = std::chrono::seconds(0)});
    const EmulatorTokens tokens = emulator.signIn();
    EXPECT_EQ(tokens.expiresIn, 0);
    EXPECT_EQ(LoopbackHttpClient().get(emulator.url(u"/drive/v3/files"_s), bearer(tokens.accessToken)).status, 401)
        << "a token with no lifetime is expired at once";
}

TEST(OAuthConsent, AllowAndDenyRedirectThroughTheBrowserToTheLoopbackListener)
{
    GoogleEmulatorProcess emulator({.clientIds = {u"desktop-client"_s}, .clientSecret = std::nullopt, .autoApprove = false,
                                    .tokenLifetime = std::nullopt});
    LoopbackListener listener;
    ScriptedBrowser browser;
    const Parameters parameters = with(authorizationParameters(u"desktop-client"_s), u"redirect_uri"_s, listener.redirectUri());

    const BrowserVisit allowed = QCoro::waitFor(browser.visit(authorizationUrl(emulator, parameters)));
    EXPECT_EQ(allowed.authorizationStatus, 302) << allowed.error.toStdString();
    EXPECT_EQ(allowed.callbackStatus, 200);
    EXPECT_EQ(allowed.callbackBody, "Connected"_ba);
    EXPECT_TRUE(listener.requestLine.startsWith("GET /oauth2redirect?state=state-1234&code=4/0A")) << listener.requestLine.toStdString();

    browser.setDecision(ScriptedBrowser::Decision::Deny);
    browser.open(authorizationUrl(emulator, parameters));
    ASSERT_TRUE(browser.waitForVisits(2));
    EXPECT_EQ(browser.visits().last().callbackStatus, 200);
    EXPECT_EQ(listener.requestLine, "GET /oauth2redirect?error=access_denied&state=state-1234 HTTP/1.1"_ba);

    // A consent is answered once.
    const QList<RecordedRequest> decisions = emulator.requests(u"/o/oauth2/v2/auth/decision"_s);
    ASSERT_EQ(decisions.size(), 2);
    const HttpResult replay = LoopbackHttpClient().post(emulator.url(u"/o/oauth2/v2/auth/decision"_s), *decisions.first().body,
                                                        "application/x-www-form-urlencoded"_ba);
    EXPECT_EQ(replay.status, 400);
    EXPECT_TRUE(replay.body.contains("This sign-in request has expired or was already answered.")) << replay.body.toStdString();
}

TEST(OAuthConsent, ShowsTheConsentPageWithoutAutoApproval)
{
    GoogleEmulatorProcess emulator({.clientIds = {u"desktop-client"_s}, .clientSecret = std::nullopt, .autoApprove = false,
                                    .tokenLifetime = std::nullopt});
    const HttpResult page = LoopbackHttpClient().get(authorizationUrl(emulator, authorizationParameters(u"desktop-client"_s)));
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains(">Allow</button>"));
    EXPECT_TRUE(page.body.contains(">Deny</button>"));
    EXPECT_TRUE(page.body.contains("desktop-client"));
}

TEST(GoogleServiceEndpointsAtTheEmulator, EveryEndpointPathIsServed)
{
    GoogleEmulatorProcess emulator;
    const orvane::GoogleServiceEndpoints endpoints = orvane::GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    LoopbackHttpClient http;
    const QUrl authorization = endpoints.authorizationEndpoint.resolved(
        QUrl(u"?"_s + QString::fromLatin1(formEncoded(authorizationParameters(emulator.clientId()))), QUrl::StrictMode));
    EXPECT_EQ(http.get(authorization).status, 302);
    EXPECT_EQ(http.post(endpoints.tokenEndpoint, "grant_type=x"_ba, "application/x-www-form-urlencoded"_ba).header("Content-Type"),
              "application/json; charset=UTF-8"_ba);
    EXPECT_EQ(http.get(endpoints.driveFilesEndpoint).status, 401);
    EXPECT_EQ(http.post(endpoints.driveUploadEndpoint, {}, "text/plain"_ba).status, 401);
    EXPECT_EQ(http.get(endpoints.driveAboutEndpoint).status, 401);
    EXPECT_EQ(emulator.requests().size(), 5);
}

TEST_F(OAuthEndpoint, RevokedTokensAreRefusedAsGoogleRefusesThem)
{
    const QJsonObject first = postToken(exchange(authorize(authorizationParameters(u"desktop-client"_s)))).json();
    const QJsonObject second = postToken(exchange(authorize(authorizationParameters(u"desktop-client"_s)))).json();
    const auto refresh = [&](const QJsonObject& tokens) {
        return postToken({{u"client_id"_s, u"desktop-client"_s}, {u"client_secret"_s, u"s3cret"_s},
                          {u"grant_type"_s, u"refresh_token"_s}, {u"refresh_token"_s, tokens[u"refresh_token"_s].toString()}});
    };
    const auto revoke = [&](const QString& token) {
        return http.post(emulator.url(u"/revoke?token="_s + QString::fromLatin1(QUrl::toPercentEncoding(token))), {},
                         "application/x-www-form-urlencoded"_ba);
    };

    // Revoking an access token revokes its refresh token too, and nothing of another sign-in.
    EXPECT_EQ(revoke(first[u"access_token"_s].toString()).status, 200);
    expectTokenError(refresh(first), 400, R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})");
    const HttpResult drive = http.get(emulator.url(u"/drive/v3/files"_s), bearer(first[u"access_token"_s].toString()));
    EXPECT_EQ(drive.status, 401);
    EXPECT_EQ(drive.json()[u"error"_s][u"errors"_s][0][u"reason"_s].toString(), u"authError"_s);
    expectTokenError(revoke(first[u"refresh_token"_s].toString()), 400,
                     R"({"error":"invalid_token","error_description":"Token expired or revoked"})");
    EXPECT_EQ(refresh(second).status, 200);

    // The user removing the application's access ends every grant; a form body names the token as well.
    emulator.revokeAllTokens();
    expectTokenError(refresh(second), 400, R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})");
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), bearer(second[u"access_token"_s].toString())).status, 401);
    const QJsonObject third = postToken(exchange(authorize(authorizationParameters(u"desktop-client"_s)))).json();
    EXPECT_EQ(http.post(emulator.url(u"/revoke"_s), "token="_ba + QUrl::toPercentEncoding(third[u"refresh_token"_s].toString()),
                        "application/x-www-form-urlencoded"_ba)
                  .status,
              200);
    EXPECT_EQ(http.get(emulator.url(u"/drive/v3/files"_s), bearer(third[u"access_token"_s].toString())).status, 401);
}
