#include "support/DecodingError.h"
#include "signin/GoogleAccessExpiredError.h"
#include "signin/GoogleOAuthClient.h"
#include "tokens/InMemoryTokenStore.h"
#include "signin/OAuthTokenExchangeError.h"
#include "routing/OrvaneError.h"
#include "signin/PKCE.h"
#include "support/UrlError.h"

#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

#include "AwaitTask.h"
#include "QuickRetries.h"
#include "RawHttpExchange.h"

#include <gtest/gtest.h>

#include <functional>
#include <list>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString clientID = u"cid.apps.googleusercontent.com"_s;
const QString driveFileScope = u"https://www.googleapis.com/auth/drive.file"_s;
const QDateTime now(QDate(2030, 1, 1), QTime(12, 0), Qt::UTC);

// A token endpoint on 127.0.0.1 that records each request exactly as it
// arrives and answers it with the next scripted answer.
class ScriptedTokenEndpoint {
public:
    struct Request {
        QByteArray head;
        QByteArray body;
    };

    ScriptedTokenEndpoint()
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                QObject::connect(socket, &QIODevice::readyRead, socket, [this, socket] { read(socket); });
        });
    }

    QUrl url() const { return QUrl(u"http://127.0.0.1:%1/token"_s.arg(server_.serverPort())); }
    void answer(int status, QByteArray body) { answers_.append({status, std::move(body)}); }
    const QList<Request>& requests() const { return requests_; }

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& received = buffers_[socket];
        received += socket->readAll();
        const qsizetype headEnd = received.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        const QByteArray head = received.left(headEnd);
        static const QRegularExpression lengthHeader(u"(?i)\\r\\ncontent-length: *(\\d+)"_s);
        const qsizetype length = lengthHeader.match(QString::fromLatin1(head)).captured(1).toLongLong();
        if (received.size() < headEnd + 4 + length)
            return;
        requests_.append({head, received.mid(headEnd + 4, length)});
        const auto [status, body] = answers_.isEmpty() ? std::pair{500, QByteArray("unscripted")} : answers_.takeFirst();
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " Scripted\r\nContent-Type: application/json\r\n"
                      + "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    QList<std::pair<int, QByteArray>> answers_;
    QList<Request> requests_;
};

QString queryValue(const QUrl& url, const QString& name)
{
    return QUrlQuery(url).queryItemValue(name, QUrl::FullyDecoded);
}

// The query text of a callback for the authorisation request, as the browser would send it.
using CallbackQuery = std::function<QByteArray(const QUrl& authorizationURL)>;

QByteArray percentEncoded(const QString& text)
{
    return text.toUtf8().toPercentEncoding();
}

CallbackQuery approvedWithCode(QString code)
{
    return [code](const QUrl& authorizationURL) {
        return "state=" + percentEncoded(queryValue(authorizationURL, u"state"_s)) + "&code=" + percentEncoded(code)
            + "&scope=" + percentEncoded(driveFileScope);
    };
}

class GoogleOAuthClientTest : public ::testing::Test {
protected:
    GoogleOAuthClientTest() { endpoints.tokenEndpoint = tokenEndpoint.url(); }

    GoogleOAuthClient makeClient()
    {
        return GoogleOAuthClient(configuration, store, network, [this](const QUrl& url) { openInBrowser(url); },
                                 endpoints, [] { return now; }, quickRetries());
    }

    // The browser: follows the redirect to the loopback listener with the
    // scripted query, and returns at once, as opening a browser does.
    void openInBrowser(const QUrl& authorizationURL)
    {
        authorizationURLs.append(authorizationURL);
        const QUrl redirectURI(queryValue(authorizationURL, u"redirect_uri"_s));
        const QByteArray request = "GET " + redirectURI.path().toUtf8() + "?" + callbackQuery(authorizationURL)
            + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        browserVisits.push_back(exchangeRawHttp(QHostAddress::LocalHost, static_cast<quint16>(redirectURI.port()), request));
    }

    // Whether the loopback listener of the last sign-in still accepts connections.
    bool listenerIsReachable()
    {
        const QUrl redirectURI(queryValue(authorizationURLs.last(), u"redirect_uri"_s));
        return awaitTask(exchangeRawHttp(QHostAddress::LocalHost, static_cast<quint16>(redirectURI.port()), "\r\n"))
            .connected;
    }

    template <typename Error>
    Error connectFailure()
    {
        auto client = makeClient();
        try {
            awaitTask(client.connect());
            ADD_FAILURE() << "the sign-in succeeded";
        } catch (const Error& error) {
            return error;
        }
        throw std::logic_error("unreachable");
    }

    OAuthConfiguration configuration{clientID, std::nullopt, std::nullopt, {driveFileScope}};
    GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google();
    ScriptedTokenEndpoint tokenEndpoint;
    std::shared_ptr<InMemoryTokenStore> store = std::make_shared<InMemoryTokenStore>();
    QNetworkAccessManager network;
    CallbackQuery callbackQuery = approvedWithCode(u"4/0AcodeValue"_s);
    QList<QUrl> authorizationURLs;
    std::list<QCoro::Task<RawHttpExchange>> browserVisits;
};

const QByteArray fullTokenResponse =
    R"({"access_token":"ya29.new","expires_in":3599.5,"refresh_token":"1//new","scope":"https://www.googleapis.com/auth/drive.file","token_type":"Bearer","id_token":"ignored"})";

OAuthTokenSet storedSet(QDateTime expiresAt, std::optional<QString> refreshToken = u"1//stored+r y&z"_s)
{
    return {u"ya29.stored"_s, std::move(refreshToken), std::move(expiresAt), u"stored-scope"_s, u"stored-type"_s};
}

} // namespace

TEST_F(GoogleOAuthClientTest, SendsTheBrowserToTheAuthorisationPageWithNineParametersInOrder)
{
    configuration.scopes = {driveFileScope, u"openid"_s};
    tokenEndpoint.answer(200, fullTokenResponse);
    auto client = makeClient();
    awaitTask(client.connect());

    ASSERT_EQ(authorizationURLs.size(), 1);
    const QString url = authorizationURLs.first().toString(QUrl::FullyEncoded);
    static const QRegularExpression expected(
        u"^https://accounts\\.google\\.com/o/oauth2/v2/auth"
        "\\?client_id=cid\\.apps\\.googleusercontent\\.com"
        "&redirect_uri=http://127\\.0\\.0\\.1:(\\d+)/oauth2redirect"
        "&response_type=code"
        "&scope=https://www\\.googleapis\\.com/auth/drive\\.file%20openid"
        "&access_type=offline"
        "&prompt=consent"
        "&code_challenge=([A-Za-z0-9_-]{43})"
        "&code_challenge_method=S256"
        "&state=[A-Za-z0-9_-]{32}$"_s);
    const QRegularExpressionMatch match = expected.match(url);
    ASSERT_TRUE(match.hasMatch()) << url.toStdString();

    // The challenge is the S256 of the verifier that the code exchange sends.
    ASSERT_EQ(tokenEndpoint.requests().size(), 1);
    static const QRegularExpression verifier(u"code_verifier=([A-Za-z0-9_-]{43})&"_s);
    const QString sentVerifier = verifier.match(QString::fromUtf8(tokenEndpoint.requests().first().body)).captured(1);
    EXPECT_EQ(PKCE::codeChallenge(sentVerifier), match.captured(2));
}

TEST_F(GoogleOAuthClientTest, ExchangesTheCodeWithTheExactFormBodyAndSavesTheTokens)
{
    configuration.clientSecret = u"s3 cr+t/x"_s;
    callbackQuery = approvedWithCode(u"4/0A b+c&d:\u00e9"_s);
    tokenEndpoint.answer(200, fullTokenResponse);
    auto client = makeClient();
    const OAuthTokenSet tokens = awaitTask(client.connect());

    const OAuthTokenSet expected{u"ya29.new"_s, u"1//new"_s, now.addMSecs(3'599'500), driveFileScope, u"Bearer"_s};
    EXPECT_EQ(tokens, expected);
    EXPECT_EQ(awaitTask(store->loadTokens()), expected);

    ASSERT_EQ(tokenEndpoint.requests().size(), 1);
    const auto& [head, body] = tokenEndpoint.requests().first();
    const QString port = QString::number(QUrl(queryValue(authorizationURLs.first(), u"redirect_uri"_s)).port());
    const QString verifier = QString::fromUtf8(body).section(u"code_verifier="_s, 1).section(u'&', 0, 0);
    EXPECT_EQ(QString::fromUtf8(body),
              u"client_id=cid.apps.googleusercontent.com&client_secret=s3%20cr%2Bt/x"
              "&code=4/0A%20b%2Bc%26d%3A%C3%A9&code_verifier="_s
                  + verifier + u"&grant_type=authorization_code&redirect_uri=http%3A//127.0.0.1%3A"_s + port
                  + u"/oauth2redirect"_s);
    EXPECT_EQ(verifier.size(), 43);
    EXPECT_TRUE(head.startsWith("POST /token HTTP/1.1\r\n")) << head.constData();
    EXPECT_TRUE(head.contains("\r\nContent-Type: application/x-www-form-urlencoded\r\n")) << head.constData();
    EXPECT_FALSE(head.toLower().contains("\r\nauthorization:")) << head.constData();
}

TEST_F(GoogleOAuthClientTest, RefreshesWithTheExactFormBodyAndKeepsWhatTheAnswerLeavesOut)
{
    configuration.clientSecret = u"secret"_s;
    awaitTask(store->saveTokens(storedSet(now.addSecs(60))));
    tokenEndpoint.answer(200, R"({"access_token":"ya29.refreshed","expires_in":120})");
    auto client = makeClient();

    EXPECT_EQ(awaitTask(client.accessToken()), u"ya29.refreshed"_s);
    ASSERT_EQ(tokenEndpoint.requests().size(), 1);
    EXPECT_EQ(tokenEndpoint.requests().first().body,
              "client_id=cid.apps.googleusercontent.com&client_secret=secret&grant_type=refresh_token"
              "&refresh_token=1//stored%2Br%20y%26z");
    EXPECT_EQ(awaitTask(store->loadTokens()),
              (OAuthTokenSet{u"ya29.refreshed"_s, u"1//stored+r y&z"_s, now.addSecs(120), u"stored-scope"_s,
                             u"stored-type"_s}));
    EXPECT_TRUE(authorizationURLs.isEmpty());
}

TEST_F(GoogleOAuthClientTest, TakesWhatARefreshAnswerGivesAndAnHourWithoutALifetime)
{
    awaitTask(store->saveTokens(storedSet(now.addSecs(-5))));
    tokenEndpoint.answer(200, R"({"access_token":"a2","refresh_token":"r2","scope":"s2","token_type":"t2"})");
    auto client = makeClient();
    awaitTask(client.accessToken());
    EXPECT_EQ(awaitTask(store->loadTokens()), (OAuthTokenSet{u"a2"_s, u"r2"_s, now.addSecs(3600), u"s2"_s, u"t2"_s}));
}

TEST_F(GoogleOAuthClientTest, HandsOutTheStoredTokenWhileItIsMoreThanAMinuteFromExpiring)
{
    awaitTask(store->saveTokens(storedSet(now.addSecs(61))));
    auto client = makeClient();
    EXPECT_EQ(awaitTask(client.accessToken()), u"ya29.stored"_s);
    EXPECT_TRUE(tokenEndpoint.requests().isEmpty());
    EXPECT_TRUE(authorizationURLs.isEmpty());
}

TEST_F(GoogleOAuthClientTest, SignsInWhenNothingUsableIsStored)
{
    for (const std::optional<OAuthTokenSet>& stored : {std::optional<OAuthTokenSet>(),
                                                        std::optional(storedSet(now.addSecs(30), std::nullopt))}) {
        store = std::make_shared<InMemoryTokenStore>(stored);
        tokenEndpoint.answer(200, R"({"access_token":"ya29.signed-in"})");
        auto client = makeClient();
        EXPECT_EQ(awaitTask(client.accessToken()), u"ya29.signed-in"_s);
        EXPECT_EQ(awaitTask(store->loadTokens()),
                  (OAuthTokenSet{u"ya29.signed-in"_s, std::nullopt, now.addSecs(3600), std::nullopt, std::nullopt}));
    }
    EXPECT_EQ(authorizationURLs.size(), 2);
    ASSERT_EQ(tokenEndpoint.requests().size(), 2);
    EXPECT_TRUE(tokenEndpoint.requests().last().body.contains("&grant_type=authorization_code&"));
}

TEST_F(GoogleOAuthClientTest, PassesOnAFailedRefreshWithoutSigningInOrForgettingTheTokens)
{
    const OAuthTokenSet expired = storedSet(now.addSecs(-1));
    awaitTask(store->saveTokens(expired));
    tokenEndpoint.answer(401, R"({"error":"invalid_client","error_description":"Unauthorized"})");
    auto client = makeClient();
    try {
        awaitTask(client.accessToken());
        FAIL() << "the refresh succeeded";
    } catch (const OAuthTokenExchangeError& error) {
        EXPECT_EQ(error, OAuthTokenExchangeError(401, u"invalid_client"_s, u"Unauthorized"_s));
        EXPECT_EQ(error.localizedDescription(), u"Google OAuth token exchange failed (401, invalid_client): Unauthorized"_s);
    }
    EXPECT_TRUE(authorizationURLs.isEmpty());
    EXPECT_EQ(awaitTask(store->loadTokens()), expired);
}

TEST_F(GoogleOAuthClientTest, ARefreshRefusedAsAnInvalidGrantSaysPlainlyToConnectAgainWithoutOpeningTheBrowser)
{
    const OAuthTokenSet expired = storedSet(now.addSecs(-1));
    awaitTask(store->saveTokens(expired));
    tokenEndpoint.answer(400, R"({"error":"invalid_grant","error_description":"Token has been expired or revoked."})");
    auto client = makeClient();
    try {
        awaitTask(client.accessToken());
        FAIL() << "the refresh succeeded";
    } catch (const GoogleAccessExpiredError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"Google access has expired or was revoked. Connect Google again to go on opening files."_s);
    }
    EXPECT_TRUE(authorizationURLs.isEmpty());
    EXPECT_EQ(tokenEndpoint.requests().size(), 1) << "a refused grant is not tried again";

    // A code exchange refused so is a sign-in that failed, not an expired access.
    tokenEndpoint.answer(400, R"({"error":"invalid_grant","error_description":"Bad Request"})");
    EXPECT_EQ(connectFailure<OAuthTokenExchangeError>(), OAuthTokenExchangeError(400, u"invalid_grant"_s, u"Bad Request"_s));
}

// Found by fuzzing: a description of another type than text made the whole
// answer unreadable, so that a revoked grant was reported as raw JSON.
TEST_F(GoogleOAuthClientTest, AnErrorWhoseDescriptionIsNoTextKeepsItsCodeSoARevokedGrantStillAsksToConnectAgain)
{
    awaitTask(store->saveTokens(storedSet(now.addSecs(-1))));
    tokenEndpoint.answer(400, R"({"error":"invalid_grant","error_description":["Token has been expired or revoked."]})");
    EXPECT_THROW(awaitTask(makeClient().accessToken()), GoogleAccessExpiredError);

    tokenEndpoint.answer(401, R"({"error":"invalid_client","error_description":0})");
    EXPECT_EQ(connectFailure<OAuthTokenExchangeError>(), OAuthTokenExchangeError(401, u"invalid_client"_s, std::nullopt));
}

TEST_F(GoogleOAuthClientTest, KeepsTheBodyOfAnErrorThatIsNotGooglesAsDetails)
{
    struct Case {
        QByteArray body;
        std::optional<QString> details;
        QString description;
    };
    // Google's API error object gives its message, not the JSON around it.
    const Case cases[] = {
        {"<html>Bad request</html>", u"<html>Bad request</html>"_s,
         u"Google OAuth token exchange failed (400, token_exchange_failed): <html>Bad request</html>"_s},
        {"", QString(), u"Google OAuth token exchange failed (400, token_exchange_failed)."_s},
        {"\xff\xfe", std::nullopt, u"Google OAuth token exchange failed (400, token_exchange_failed)."_s},
        {R"({"error":{"code":400,"message":"Invalid JSON payload received."}})", u"Invalid JSON payload received."_s,
         u"Google OAuth token exchange failed (400, token_exchange_failed): Invalid JSON payload received."_s},
    };
    awaitTask(store->saveTokens(storedSet(now)));
    for (const Case& expected : cases) {
        tokenEndpoint.answer(400, expected.body);
        auto client = makeClient();
        try {
            awaitTask(client.accessToken());
            ADD_FAILURE() << "no failure for " << expected.body.constData();
        } catch (const OAuthTokenExchangeError& error) {
            EXPECT_EQ(error, OAuthTokenExchangeError(400, u"token_exchange_failed"_s, expected.details));
            EXPECT_EQ(error.localizedDescription(), expected.description);
        }
    }
}

TEST_F(GoogleOAuthClientTest, RefusesSuccessAnswersWithoutAnAccessToken)
{
    tokenEndpoint.answer(200, R"({"refresh_token":"1//r","expires_in":3600})");
    EXPECT_EQ(connectFailure<OrvaneError>(), OrvaneError::oauthTokenUnavailable());
    tokenEndpoint.answer(200, "not json");
    connectFailure<DecodingError>();
    tokenEndpoint.answer(200, R"({"access_token":7})");
    connectFailure<DecodingError>();
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    EXPECT_FALSE(listenerIsReachable());
}

TEST_F(GoogleOAuthClientTest, SendsNoSecretToTheApplicationsOwnTokenEndpointNorAnEmptyOne)
{
    ScriptedTokenEndpoint ownEndpoint;
    configuration.clientSecret = u"secret"_s;
    configuration.tokenEndpointURL = ownEndpoint.url();
    ownEndpoint.answer(200, R"({"access_token":"ya29.own"})");
    awaitTask(store->saveTokens(storedSet(now)));
    EXPECT_EQ(awaitTask(makeClient().accessToken()), u"ya29.own"_s);

    configuration.tokenEndpointURL.reset();
    configuration.clientSecret = QString();
    tokenEndpoint.answer(200, R"({"access_token":"ya29.google"})");
    EXPECT_EQ(awaitTask(makeClient().accessToken()), u"ya29.own"_s); // still current
    awaitTask(store->saveTokens(storedSet(now)));
    EXPECT_EQ(awaitTask(makeClient().accessToken()), u"ya29.google"_s);

    ASSERT_EQ(ownEndpoint.requests().size(), 1);
    EXPECT_EQ(ownEndpoint.requests().first().body,
              "client_id=cid.apps.googleusercontent.com&grant_type=refresh_token&refresh_token=1//stored%2Br%20y%26z");
    ASSERT_EQ(tokenEndpoint.requests().size(), 1);
    EXPECT_FALSE(tokenEndpoint.requests().first().body.contains("client_secret"));
}

TEST_F(GoogleOAuthClientTest, PassesOnTransportFailuresUnchanged)
{
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    endpoints.tokenEndpoint = QUrl(u"http://127.0.0.1:%1/token"_s.arg(closed.serverPort()));
    closed.close();
    awaitTask(store->saveTokens(storedSet(now)));
    try {
        awaitTask(makeClient().accessToken());
        FAIL() << "the refresh succeeded";
    } catch (const UrlError& error) {
        EXPECT_EQ(error.code(), UrlError::Code::cannotConnectToHost);
    }
}

TEST_F(GoogleOAuthClientTest, RefusesCallbacksOfAnotherSignInAttempt)
{
    const CallbackQuery mismatches[] = {
        [](const QUrl&) { return QByteArray("code=4/0Acode&state=other"); },
        [](const QUrl&) { return QByteArray("code=4/0Acode"); },
        [](const QUrl&) { return QByteArray(); },
        [](const QUrl&) { return QByteArray("code=4/0Acode&state"); },
        [](const QUrl& url) { return "state=other&code=4/0Acode&state=" + queryValue(url, u"state"_s).toUtf8(); },
        [](const QUrl& url) { return "code=4/0Acode&state=" + queryValue(url, u"state"_s).toLower().toUtf8() + "x"; },
    };
    for (const CallbackQuery& query : mismatches) {
        callbackQuery = query;
        EXPECT_EQ(connectFailure<OrvaneError>(), OrvaneError::oauthStateMismatch());
        EXPECT_FALSE(listenerIsReachable());
    }
    EXPECT_TRUE(tokenEndpoint.requests().isEmpty());
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
}

TEST_F(GoogleOAuthClientTest, RefusesCallbacksWithoutACode)
{
    const auto withState = [](QByteArray rest) {
        return [rest](const QUrl& url) { return "state=" + queryValue(url, u"state"_s).toUtf8() + rest; };
    };
    for (const auto& query : {withState(""), withState("&code"), withState("&error=access_denied")}) {
        callbackQuery = query;
        EXPECT_EQ(connectFailure<OrvaneError>(), OrvaneError::invalidOAuthCallback());
        EXPECT_FALSE(listenerIsReachable());
    }
    EXPECT_TRUE(tokenEndpoint.requests().isEmpty());
}

TEST_F(GoogleOAuthClientTest, JudgesTheFirstStateAndExchangesAnEmptyCode)
{
    callbackQuery = [](const QUrl& url) {
        return "code=&code=second&state=" + queryValue(url, u"state"_s).toUtf8() + "&state=other";
    };
    tokenEndpoint.answer(400, R"({"error":"invalid_request","error_description":"Missing required parameter: code"})");
    const OAuthTokenExchangeError error = connectFailure<OAuthTokenExchangeError>();
    EXPECT_EQ(error.error(), u"invalid_request"_s);
    ASSERT_EQ(tokenEndpoint.requests().size(), 1);
    EXPECT_TRUE(tokenEndpoint.requests().first().body.contains("&code=&code_verifier="));
    EXPECT_FALSE(listenerIsReachable());
}

TEST_F(GoogleOAuthClientTest, PassesOnTheOpenersFailureAndStopsListening)
{
    auto client = GoogleOAuthClient(
        configuration, store, network,
        [this](const QUrl& url) {
            authorizationURLs.append(url);
            throw UrlError(UrlError::Code::unsupportedURL);
        },
        endpoints, [] { return now; });
    EXPECT_THROW(awaitTask(client.connect()), UrlError);
    EXPECT_FALSE(listenerIsReachable());
}

TEST_F(GoogleOAuthClientTest, AnswersWhetherItIsConnectedAndDisconnectsByDeletingTheTokens)
{
    auto client = makeClient();
    EXPECT_FALSE(awaitTask(client.isConnected()));
    awaitTask(store->saveTokens(storedSet(now.addSecs(-100))));
    EXPECT_TRUE(awaitTask(client.isConnected()));
    awaitTask(client.disconnect());
    EXPECT_EQ(awaitTask(store->loadTokens()), std::nullopt);
    EXPECT_FALSE(awaitTask(client.isConnected()));
    EXPECT_TRUE(tokenEndpoint.requests().isEmpty());
}
