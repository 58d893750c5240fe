#include "AwaitTask.h"
#include "GoogleEmulatorProcess.h"
#include "QuickRetries.h"
#include "ScriptedBrowser.h"
#include "TestCertificateAuthority.h"
#include "TestConnectProxy.h"

#include "drive/GoogleDriveClient.h"
#include "drive/StreamingUpload.h"
#include "net/NetworkRoute.h"
#include "net/TrustStore.h"
#include "signin/GoogleOAuthClient.h"
#include "support/ConfigurationError.h"
#include "support/UrlError.h"
#include "tokens/InMemoryTokenStore.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QScopeGuard>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Google is only ever reached over TLS, perhaps through a proxy: the sign-in,
// the lookups, the folder creation and the upload against the emulator over
// HTTPS with verification on, trusting what SSL_CERT_FILE names, along the
// route Qt's proxy factory gives.

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString uploadPath = u"/upload/drive/v3/files"_s;

// Qt's default TLS configuration is the process's: each test gets it back as it was.
class TrustRestorer {
public:
    ~TrustRestorer()
    {
        trustCertificateAuthoritiesOf({});
        QSslConfiguration::setDefaultConfiguration(m_saved);
    }

private:
    QSslConfiguration m_saved = QSslConfiguration::defaultConfiguration();
};

// Answers one proxy for every request, as a desktop's proxy setting does.
class FixedProxyFactory final : public QNetworkProxyFactory {
public:
    explicit FixedProxyFactory(QNetworkProxy proxy) : m_proxy(std::move(proxy)) {}
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery&) override { return {m_proxy}; }

private:
    QNetworkProxy m_proxy;
};

class SecureRouteTest : public ::testing::Test {
protected:
    void trust(const TestCertificateAuthority& authority)
    {
        trustCertificateAuthoritiesOf({{u"SSL_CERT_FILE"_s, authority.certificatePath()}});
        // At once: the scripted browser, this process's too, makes its requests without makeRequest.
        applyTrustedCertificateAuthorities();
    }

    GoogleOAuthClient makeOAuthClient()
    {
        return GoogleOAuthClient({emulator.clientId(), std::nullopt, std::nullopt, {GoogleServiceEndpoints::driveFileScope()}},
                                 tokenStore, network, [this](const QUrl& url) { browser.open(url); }, endpoints,
                                 &QDateTime::currentDateTimeUtc, quickRetries());
    }

    DriveUploadRequest requestFor(const QString& name, const QByteArray& content)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const QUrl url = QUrl::fromLocalFile(file.fileName());
        const FileRoute route = FileRouter().route(url);
        return {url, LocalFileSnapshot::inspect(url, true), route, OpenMode::googleFormat, u"Opened from Mac"_s,
                route.destinationFolderName()};
    }

    // Streams a small file to url, as the upload does.
    void streamTo(const QUrl& url)
    {
        const auto file = std::make_shared<const UploadFile>(requestFor(u"x.csv"_s, "x").localFileURL.toLocalFile());
        const auto body = std::make_shared<FileRangeBody>(file, 0, file->size());
        StreamingConnection connection(NetworkRoute::to(url, network));
        awaitTask(connection.send("POST", url, {}, body));
    }

    UrlError::Code uploadFailure(const QUrl& url)
    {
        try {
            streamTo(url);
        } catch (const UrlError& error) {
            return error.code();
        }
        ADD_FAILURE() << "the upload went through";
        return UrlError::Code::unknown;
    }

    TrustRestorer restoreTrust;
    TestCertificateAuthority authority;
    GoogleEmulatorProcess emulator{{.tls = authority.serverFiles()}};
    GoogleServiceEndpoints endpoints = GoogleServiceEndpoints::google().withServiceRoot(emulator.rootUrl());
    std::shared_ptr<InMemoryTokenStore> tokenStore = std::make_shared<InMemoryTokenStore>();
    QNetworkAccessManager network;
    ScriptedBrowser browser;
    QTemporaryDir folder;

    DriveFolderStore folderStore() const { return DriveFolderStore(folder.filePath(DriveFolderStore::fileName)); }
};

} // namespace

TEST_F(SecureRouteTest, SignsInLooksUpCreatesFoldersAndUploadsOverTlsTrustingTheAuthorityOfSslCertFile)
{
    ASSERT_EQ(emulator.rootUrl().scheme(), u"https"_s);
    trust(authority);
    GoogleOAuthClient oauthClient = makeOAuthClient();
    GoogleDriveClient driveClient(oauthClient, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(),
                                  quickRetries());

    awaitTask(oauthClient.connect());
    const DriveUploadResult result = awaitTask(driveClient.uploadFile(requestFor(u"data.csv"_s, "a,b\n1,2\n")));

    EXPECT_TRUE(emulator.findFile(result.fileID));
    EXPECT_EQ(emulator.files().size(), 3) << "two folders and the file";
    EXPECT_EQ(emulator.requests(u"/token"_s).size(), 1);
    EXPECT_EQ(emulator.requests(uploadPath, "POST").size(), 1);
    EXPECT_EQ(emulator.requests(uploadPath, "PUT").size(), 1);
}

TEST_F(SecureRouteTest, ACertificateFromAnUnknownAuthorityIsRefusedByTheRequestsAndByTheUpload)
{
    const TestCertificateAuthority stranger(u"Another Test CA"_s);
    trust(stranger);
    awaitTask(tokenStore->saveTokens({u"ya29.token"_s, std::nullopt, QDateTime::currentDateTimeUtc().addSecs(3600),
                                      std::nullopt, std::nullopt}));
    GoogleOAuthClient oauthClient = makeOAuthClient();
    GoogleDriveClient driveClient(oauthClient, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(),
                                  quickRetries());

    try {
        awaitTask(driveClient.uploadFile(requestFor(u"data.csv"_s, "a\n")));
        FAIL() << "the lookup trusted an unknown authority";
    } catch (const UrlError& error) {
        EXPECT_EQ(error.code(), UrlError::Code::serverCertificateUntrusted);
        EXPECT_EQ(error.localizedDescription(),
                  u"The server's certificate is not from an authority this computer trusts, so nothing was sent to it."_s);
    }
    EXPECT_EQ(uploadFailure(emulator.url(uploadPath)), UrlError::Code::serverCertificateUntrusted);
    EXPECT_TRUE(emulator.requests().isEmpty()) << "nothing reached the server";
}

TEST_F(SecureRouteTest, WithoutSslCertFileTheSystemStoreDecidesAndItDoesNotKnowATestAuthority)
{
    trustCertificateAuthoritiesOf({});
    EXPECT_EQ(uploadFailure(emulator.url(uploadPath)), UrlError::Code::serverCertificateUntrusted);
    EXPECT_THROW(awaitTask(sendRequest(network, makeRequest(emulator.url(u"/drive/v3/files"_s)), "GET")), UrlError);
    EXPECT_TRUE(emulator.requests().isEmpty());
}

// The server is not what is wrong, so the refusal names the file instead.
TEST_F(SecureRouteTest, AnSslCertFileThatCannotBeReadIsNamedByTheRequestsAndByTheUploadAndNothingIsSent)
{
    trustCertificateAuthoritiesOf({{u"SSL_CERT_FILE"_s, folder.path()}});
    const QString expected = u"SSL_CERT_FILE is \u201C%1\u201D, which Orvane cannot use: the file could not be read "
                             u"(it is a folder), and without it no server is trusted."_s.arg(folder.path());
    const std::function<void()> sends[] = {
        [this] { awaitTask(sendRequest(network, makeRequest(emulator.url(u"/drive/v3/files"_s)), "GET")); },
        [this] { streamTo(emulator.url(uploadPath)); },
    };
    for (const std::function<void()>& send : sends) {
        try {
            send();
            ADD_FAILURE() << "sent with no authority trusted";
        } catch (const ConfigurationError& error) {
            EXPECT_EQ(error.localizedDescription(), expected);
        }
    }
    EXPECT_TRUE(emulator.requests().isEmpty());
}

// A start that only reopens a known file sends nothing, and must not pay for
// reading a system store of hundreds of authorities.
TEST_F(SecureRouteTest, SslCertFileIsReadByTheFirstRequestNotWhenItIsNamed)
{
    const QString authorities = folder.filePath(u"authorities.pem"_s);
    trustCertificateAuthoritiesOf({{u"SSL_CERT_FILE"_s, authorities}});
    ASSERT_TRUE(QFile::copy(authority.certificatePath(), authorities));

    const HttpResponse answer =
        awaitTask(sendRequest(network, makeRequest(emulator.url(u"/drive/v3/files"_s)), "GET"));

    EXPECT_EQ(answer.statusCode, 401) << "reached the server without a token";
}

TEST_F(SecureRouteTest, TheUploadTakesTheProxyThatQtsProxyFactoryAnswersForItsUrl)
{
    trust(authority);
    TestConnectProxy proxy;
    // The manager's own factory: Qt's application-wide one never proxies 127.0.0.1.
    network.setProxyFactory(new FixedProxyFactory(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, proxy.port())));
    awaitTask(tokenStore->saveTokens({emulator.accessToken(), std::nullopt, QDateTime::currentDateTimeUtc().addSecs(3600),
                                      std::nullopt, std::nullopt}));
    GoogleOAuthClient oauthClient = makeOAuthClient();
    GoogleDriveClient driveClient(oauthClient, network, GoogleFileURLResolver(endpoints), endpoints, folderStore(),
                                  quickRetries());

    const QByteArray content(3 * 1024 * 1024, 'x');
    const DriveUploadResult result = awaitTask(driveClient.uploadFile(requestFor(u"large.csv"_s, content)));

    EXPECT_TRUE(emulator.findFile(result.fileID));
    const QByteArray target = "127.0.0.1:" + QByteArray::number(emulator.rootUrl().port());
    EXPECT_GE(proxy.tunnels().size(), 2) << "the lookups' connection and the upload's";
    EXPECT_TRUE(std::all_of(proxy.tunnels().begin(), proxy.tunnels().end(), [&](const QByteArray& tunnel) { return tunnel == target; }));
    EXPECT_GT(proxy.bytesFromClients(), content.size()) << "the file went through the proxy";
}
