#include "net/HttpExchange.h"
#include "support/UrlError.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>

#include "AwaitTask.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// A loopback peer that reads one request and then does whatever the test says.
class ScriptedPeer {
public:
    explicit ScriptedPeer(std::function<void(QTcpSocket*, const QByteArray&)> onRequest)
    {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this, onRequest] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, onRequest] {
                received_ += socket->readAll();
                if (received_.contains("\r\n\r\n"))
                    onRequest(socket, received_);
            });
        });
    }

    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/path?q=1").arg(server_.serverPort())); }
    const QByteArray& received() const { return received_; }

private:
    QTcpServer server_;
    QByteArray received_;
};

UrlError transportFailure(QNetworkAccessManager& manager, const QNetworkRequest& request)
{
    try {
        testsupport::awaitTask(sendRequest(manager, request, "GET"));
    } catch (const UrlError& error) {
        return error;
    }
    ADD_FAILURE() << "the request did not fail";
    return UrlError(UrlError::Code::unknown);
}

} // namespace

TEST(HttpExchange, HandsBackErrorStatusesWithTheirBody)
{
    ScriptedPeer peer([](QTcpSocket* socket, const QByteArray&) {
        socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 7\r\nConnection: close\r\n\r\nmissing");
        socket->disconnectFromHost();
    });
    QNetworkAccessManager manager;
    const HttpResponse response = testsupport::awaitTask(sendRequest(manager, makeRequest(peer.url()), "GET"));
    EXPECT_EQ(response.statusCode, 404);
    EXPECT_EQ(response.body, "missing");
    EXPECT_TRUE(response.isHttpFailure());
    EXPECT_TRUE(peer.received().startsWith("GET /path?q=1 HTTP/1.1\r\n"));
    EXPECT_FALSE(peer.received().toLower().contains("content-length"));
}

TEST(HttpExchange, ARequestsConnectionIsKeptForSecondsNotQtsTwoMinutes)
{
    const QNetworkRequest request = makeRequest(QUrl(u"https://www.googleapis.com/drive/v3/files"_s));

    EXPECT_EQ(request.attribute(QNetworkRequest::ConnectionCacheExpiryTimeoutSecondsAttribute), QVariant(10));
}

TEST(HttpExchange, SendsTheBodyFromADevice)
{
    ScriptedPeer peer([](QTcpSocket* socket, const QByteArray& received) {
        if (!received.endsWith("hello body"))
            return;
        socket->write("HTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\n{}");
    });
    QNetworkAccessManager manager;
    QBuffer body;
    body.setData("hello body");
    body.open(QIODevice::ReadOnly);
    const HttpResponse response = testsupport::awaitTask(sendRequest(manager, makeRequest(peer.url()), "POST", &body));
    EXPECT_EQ(response.statusCode, 201);
    EXPECT_FALSE(response.isHttpFailure());
    EXPECT_TRUE(peer.received().contains("Content-Length: 10\r\n"));
}

TEST(HttpExchange, TransportFailuresBecomeUrlErrors)
{
    QNetworkAccessManager manager;

    ScriptedPeer silent([](QTcpSocket*, const QByteArray&) {});
    const UrlError unanswered = transportFailure(manager, makeRequest(silent.url(), 300ms));
    EXPECT_EQ(unanswered.code(), UrlError::Code::timedOut);
    EXPECT_EQ(unanswered.localizedDescription(), u"The request timed out: Google did not answer within a second"_s);
    EXPECT_EQ(noAnswerError(60s).localizedDescription(), u"The request timed out: Google did not answer within 60 seconds"_s);

    ScriptedPeer hangsUp([](QTcpSocket* socket, const QByteArray&) { socket->abort(); });
    EXPECT_EQ(transportFailure(manager, makeRequest(hangsUp.url())).code(), UrlError::Code::networkConnectionLost);

    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/").arg(closed.serverPort()));
    closed.close();
    EXPECT_EQ(transportFailure(manager, makeRequest(refused)).code(), UrlError::Code::cannotConnectToHost);
}
