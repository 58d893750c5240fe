#include "signin/LoopbackRedirectServer.h"
#include "support/UrlError.h"

#include <QNetworkInterface>

#include "AwaitTask.h"
#include "RawHttpExchange.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

const QByteArray successPage =
    "HTTP/1.1 200 OK\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "Content-Length: 140\r\n"
    "Connection: close\r\n"
    "\r\n"
    "<html><body><h1>Orvane is connected.</h1><p>The desktop app should come back to the front. "
    "You can close this browser tab.</p></body></html>";

const QByteArray failurePage =
    "HTTP/1.1 400 Bad Request\r\n"
    "Content-Type: text/html; charset=utf-8\r\n"
    "Content-Length: 77\r\n"
    "Connection: close\r\n"
    "\r\n"
    "<html><body><h1>Orvane could not read the Google callback.</h1></body></html>";

const QByteArray browserRedirect = "GET /oauth2redirect?state=s-1_x&code=4%2F0AbC HTTP/1.1\r\n"
                                   "Host: 127.0.0.1\r\nUser-Agent: test\r\n\r\n";
const QUrl browserRedirectURL(u"http://127.0.0.1/oauth2redirect?state=s-1_x&code=4%2F0AbC"_s);

quint16 portOf(const QUrl& redirectURL)
{
    return static_cast<quint16>(redirectURL.port());
}

QCoro::Task<RawHttpExchange> send(const QUrl& redirectURL, QByteArray request)
{
    return exchangeRawHttp(QHostAddress::LocalHost, portOf(redirectURL), std::move(request));
}

UrlError::Code waitFailure(LoopbackRedirectServer& server, std::chrono::milliseconds timeout)
{
    try {
        const QUrl url = awaitTask(server.waitForCallback(timeout));
        ADD_FAILURE() << "the wait delivered " << url.toString().toStdString();
    } catch (const UrlError& error) {
        return error.code();
    }
    return UrlError::Code::unknown;
}

} // namespace

TEST(LoopbackRedirectServer, ListensOnAFreePortOfTheLoopbackAddress)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    EXPECT_EQ(redirectURL.toString(), u"http://127.0.0.1:%1/oauth2redirect"_s.arg(redirectURL.port()));
    EXPECT_GT(redirectURL.port(), 0);
}

TEST(LoopbackRedirectServer, RebuildsTheCallbackFromTheRequestLineAndAnswersWithTheSuccessPage)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    RawHttpExchange exchange;
    QUrl callback;
    awaitTask([&]() -> QCoro::Task<> {
        auto waiting = server.waitForCallback(5s);
        exchange = co_await send(redirectURL, browserRedirect);
        callback = co_await std::move(waiting);
    }());
    EXPECT_EQ(callback, browserRedirectURL);
    EXPECT_EQ(callback.toString(QUrl::FullyEncoded), browserRedirectURL.toString(QUrl::FullyEncoded));
    EXPECT_EQ(exchange.response, successPage);
    EXPECT_TRUE(exchange.closedByPeer);
}

TEST(LoopbackRedirectServer, TakesAnyPathAsTheCallback)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    const RawHttpExchange exchange = awaitTask(send(redirectURL, "GET /favicon.ico HTTP/1.1\r\n\r\n"));
    EXPECT_EQ(exchange.response, successPage);
    EXPECT_EQ(awaitTask(server.waitForCallback(0ms)), QUrl(u"http://127.0.0.1/favicon.ico"_s));
}

TEST(LoopbackRedirectServer, AnswersUnreadableRequestsWithTheFailurePageAndKeepsWaiting)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    const QByteArray unreadable[] = {
        "\r\n\r\n",                                   // empty request line
        "GET\r\n\r\n",                                // a method only
        "GET  \t\r\n\r\n",                            // a method and blanks
        "GET /oauth2redirect?state=\xff\xfe HTTP/1.1\r\n\r\n", // not UTF-8
        "GET /%zz HTTP/1.1\r\n\r\n",                  // not a URL
    };
    QList<RawHttpExchange> exchanges;
    QUrl callback;
    awaitTask([&]() -> QCoro::Task<> {
        auto waiting = server.waitForCallback(5s);
        for (const QByteArray& request : unreadable)
            exchanges.append(co_await send(redirectURL, request));
        exchanges.append(co_await send(redirectURL, browserRedirect));
        callback = co_await std::move(waiting);
    }());
    ASSERT_EQ(exchanges.size(), 6);
    for (qsizetype index = 0; index < 5; ++index) {
        EXPECT_EQ(exchanges[index].response, failurePage) << "request " << index;
        EXPECT_TRUE(exchanges[index].closedByPeer) << "request " << index;
    }
    EXPECT_EQ(exchanges[5].response, successPage);
    EXPECT_EQ(callback, browserRedirectURL);
}

TEST(LoopbackRedirectServer, DeliversACallbackThatArrivedBeforeTheWait)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    EXPECT_EQ(awaitTask(send(redirectURL, "GET /oauth2redirect?code=first HTTP/1.1\r\n\r\n")).response, successPage);
    EXPECT_EQ(awaitTask(send(redirectURL, "GET /oauth2redirect?code=second HTTP/1.1\r\n\r\n")).response, successPage);
    // No time is left for a time-out: the held callback is handed over at once.
    EXPECT_EQ(awaitTask(server.waitForCallback(0ms)), QUrl(u"http://127.0.0.1/oauth2redirect?code=second"_s));
}

TEST(LoopbackRedirectServer, TimesOutWithoutACallback)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    awaitTask(send(redirectURL, "GET\r\n\r\n"));
    EXPECT_EQ(waitFailure(server, 50ms), UrlError::Code::timedOut);
}

TEST(LoopbackRedirectServer, AnswersLaterRequestsWithoutChangingTheResult)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    QUrl callback;
    QList<RawHttpExchange> later;
    awaitTask([&]() -> QCoro::Task<> {
        auto waiting = server.waitForCallback(5s);
        co_await send(redirectURL, browserRedirect);
        callback = co_await std::move(waiting);
        later.append(co_await send(redirectURL, "GET /oauth2redirect?code=late HTTP/1.1\r\n\r\n"));
        later.append(co_await send(redirectURL, "\r\n"));
    }());
    EXPECT_EQ(callback, browserRedirectURL);
    ASSERT_EQ(later.size(), 2);
    EXPECT_EQ(later[0].response, successPage);
    EXPECT_EQ(later[1].response, failurePage);
}

TEST(LoopbackRedirectServer, ARequestLineLongerThan8KiBGetsTheFailurePageAndIsNotTakenAsTheCallback)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    // Without a line break, and with one after 8 KiB.
    const QByteArray target = "/oauth2redirect?state=s-1_x&code=" + QByteArray(9000, 'a');
    QList<RawHttpExchange> exchanges;
    QUrl callback;
    awaitTask([&]() -> QCoro::Task<> {
        auto waiting = server.waitForCallback(5s);
        exchanges.append(co_await send(redirectURL, "GET " + target));
        exchanges.append(co_await send(redirectURL, "GET " + target + " HTTP/1.1\r\n\r\n"));
        exchanges.append(co_await send(redirectURL, browserRedirect));
        callback = co_await std::move(waiting);
    }());
    ASSERT_EQ(exchanges.size(), 3);
    EXPECT_EQ(exchanges[0].response, failurePage);
    EXPECT_EQ(exchanges[1].response, failurePage);
    EXPECT_EQ(exchanges[2].response, successPage);
    EXPECT_EQ(callback, browserRedirectURL);
}

TEST(LoopbackRedirectServer, ARequestLineOfExactly8KiBWithItsLineBreakIsStillRead)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    const QByteArray head = "GET /oauth2redirect?code=";
    const QByteArray tail = " HTTP/1.1\r\n";
    const QByteArray code(8192 - head.size() - tail.size(), 'c');
    const RawHttpExchange exchange = awaitTask(send(redirectURL, head + code + tail + "\r\n"));
    EXPECT_EQ(exchange.response, successPage);
    EXPECT_EQ(awaitTask(server.waitForCallback(0ms)), QUrl(u"http://127.0.0.1/oauth2redirect?code="_s + QString::fromLatin1(code)));
}

TEST(LoopbackRedirectServer, ClosesSilentConnectionsAndAnswersUnendedLinesWithTheFailurePageWithoutHoldingUpTheCallback)
{
    LoopbackRedirectServer server(300ms);
    const QUrl redirectURL = server.start();
    RawHttpExchange silent;
    RawHttpExchange unfinished;
    QUrl callback;
    awaitTask([&]() -> QCoro::Task<> {
        auto waiting = server.waitForCallback(5s);
        auto silentExchange = send(redirectURL, {});
        auto unfinishedExchange = send(redirectURL, "GET /oauth2redirect?code=never");
        co_await send(redirectURL, browserRedirect);
        callback = co_await std::move(waiting);
        silent = co_await std::move(silentExchange);
        unfinished = co_await std::move(unfinishedExchange);
    }());
    EXPECT_EQ(callback, browserRedirectURL);
    EXPECT_TRUE(silent.closedByPeer);
    EXPECT_EQ(silent.response, QByteArray());
    EXPECT_TRUE(unfinished.closedByPeer);
    EXPECT_EQ(unfinished.response, failurePage);
}

TEST(LoopbackRedirectServer, RefusesConnectionsAfterStop)
{
    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    server.stop();
    const RawHttpExchange exchange = awaitTask(send(redirectURL, browserRedirect));
    EXPECT_FALSE(exchange.connected);
    EXPECT_EQ(exchange.connectionError, QAbstractSocket::ConnectionRefusedError);
}

TEST(LoopbackRedirectServer, RefusesConnectionsToOtherAddressesOfTheMachine)
{
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    const auto nonLoopback = std::find_if(addresses.cbegin(), addresses.cend(), [](const QHostAddress& address) {
        return !address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol;
    });
    if (nonLoopback == addresses.cend())
        GTEST_SKIP() << "this machine has no IPv4 address besides the loopback address";

    LoopbackRedirectServer server;
    const QUrl redirectURL = server.start();
    const RawHttpExchange exchange =
        awaitTask(exchangeRawHttp(*nonLoopback, portOf(redirectURL), browserRedirect, 2s));
    EXPECT_FALSE(exchange.connected) << nonLoopback->toString().toStdString();
    EXPECT_EQ(exchange.connectionError, QAbstractSocket::ConnectionRefusedError);
    EXPECT_EQ(waitFailure(server, 0ms), UrlError::Code::timedOut);
}
