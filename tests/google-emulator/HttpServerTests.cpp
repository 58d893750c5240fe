#include "EmulatorTestHelpers.h"

#include <QTcpSocket>

using namespace orvane::testsupport;
using namespace orvane::testsupport::emulator_tests;

namespace {

// Speaks raw HTTP/1.1 to the emulator, to test what a ready-made client never sends.
class RawConnection {
public:
    explicit RawConnection(const QUrl& root)
    {
        m_socket.connectToHost(u"127.0.0.1"_s, static_cast<quint16>(root.port()));
        if (!m_socket.waitForConnected(10'000))
            throw std::runtime_error("cannot connect");
    }
    void send(const QByteArray& bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(10'000);
    }
    // Reads until text has arrived (or the connection closed) and returns everything read so far.
    QByteArray readUntil(const QByteArray& text)
    {
        while (!m_received.contains(text) && m_socket.state() == QAbstractSocket::ConnectedState && m_socket.waitForReadyRead(10'000))
            m_received += m_socket.readAll();
        m_received += m_socket.readAll();
        return m_received;
    }
    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    bool closedByServer()
    {
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            m_socket.waitForDisconnected(10'000);
        return m_socket.state() == QAbstractSocket::UnconnectedState;
    }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};

class HttpServer : public ::testing::Test {
protected:
    GoogleEmulatorProcess emulator;
    RawConnection connection{emulator.rootUrl()};
};

} // namespace

TEST_F(HttpServer, AnswersPipelinedRequestsInOrderOnOneConnection)
{
    connection.send("GET /nowhere HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\nGET /token HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"_ba);
    const QByteArray answers = connection.readUntil("Allow: POST");
    EXPECT_TRUE(answers.startsWith("HTTP/1.1 404 Not Found\r\n")) << answers.toStdString();
    EXPECT_TRUE(answers.contains("HTTP/1.1 405 Method Not Allowed\r\nContent-Type: text/html; charset=utf-8\r\nAllow: POST\r\n"));
    EXPECT_FALSE(answers.contains("Connection: close"));
    EXPECT_TRUE(connection.isOpen());
}

TEST_F(HttpServer, ReadsAChunkedBodyAfterAnsweringExpectContinue)
{
    connection.send("POST /token HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                    "Transfer-Encoding: chunked\r\nExpect: 100-continue\r\n\r\n"_ba);
    EXPECT_EQ(connection.readUntil("\r\n\r\n"), "HTTP/1.1 100 Continue\r\n\r\n"_ba);
    connection.send("5\r\ngrant\r\n9;ext=1\r\n_type=foo\r\n0\r\n\r\n"_ba);
    const QByteArray answer = connection.readUntil("}");
    EXPECT_TRUE(answer.contains("HTTP/1.1 400 Bad Request\r\n")) << answer.toStdString();
    EXPECT_TRUE(answer.endsWith(R"({"error":"invalid_request","error_description":"Could not determine client ID from request."})")) << answer.toStdString();
    const QList<RecordedRequest> recorded = emulator.requests(u"/token"_s);
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded.first().body, "grant_type=foo"_ba);
}

TEST_F(HttpServer, RefusesAMalformedRequestAndCloses)
{
    connection.send("GET /drive/v3/files HTTP/1.1\r\nNo-Host-Field: x\r\n\r\n"_ba);
    const QByteArray answer = connection.readUntil("Host field\n");
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 400 Bad Request\r\n")) << answer.toStdString();
    EXPECT_TRUE(answer.contains("Connection: close\r\n"));
    EXPECT_TRUE(connection.closedByServer());
    EXPECT_TRUE(emulator.requests().isEmpty());
}

TEST_F(HttpServer, AnswersHeadWithoutABody)
{
    connection.send("HEAD /file/d/1unknown/view HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"_ba);
    const QByteArray answer = connection.readUntil("\r\n\r\n");
    ASSERT_TRUE(connection.closedByServer());
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 404 Not Found\r\n"));
    EXPECT_TRUE(answer.endsWith("Connection: close\r\n\r\n")) << answer.toStdString();
}

TEST(HttpsServer, ServesEveryEndpointOverTlsWithTheTestAuthoritysCertificate)
{
    const TestCertificateAuthority authority;
    GoogleEmulatorProcess emulator({.tls = authority.serverFiles()});
    EXPECT_EQ(emulator.rootUrl().scheme(), u"https"_s);
    const QString token = emulator.accessToken(); // authorisation and token endpoints, over TLS
    EXPECT_TRUE(emulator.files().isEmpty());      // the control API too

    LoopbackHttpClient trusting;
    trusting.trustOnly(QSslCertificate::fromPath(authority.certificatePath()));
    EXPECT_EQ(trusting.get(emulator.url(u"/drive/v3/files"_s), bearer(token)).status, 200);

    const TestCertificateAuthority stranger(u"Another Test CA"_s);
    LoopbackHttpClient distrusting;
    distrusting.trustOnly(QSslCertificate::fromPath(stranger.certificatePath()));
    const HttpResult refused = distrusting.get(emulator.url(u"/drive/v3/files"_s), bearer(token));
    EXPECT_EQ(refused.status, 0);
    EXPECT_FALSE(refused.transportError.isEmpty());
    EXPECT_EQ(emulator.requests(u"/drive/v3/files"_s).size(), 1) << "a client that refuses the certificate sends nothing";

    RawConnection plainText(emulator.rootUrl());
    plainText.send("GET /drive/v3/files HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"_ba);
    EXPECT_FALSE(plainText.readUntil("HTTP/1.1").contains("HTTP/1.1")) << "no plain HTTP on an HTTPS emulator";
}
