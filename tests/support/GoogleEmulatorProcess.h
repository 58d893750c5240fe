#pragma once

#include "LoopbackHttpClient.h"
#include "TestCertificateAuthority.h"

#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

namespace orvane::testsupport {

struct GoogleEmulatorOptions {
    static inline const QString defaultClientId = QStringLiteral("orvane-test.apps.googleusercontent.com");

    QStringList clientIds{defaultClientId};
    // When set, the token endpoint refuses requests without it.
    std::optional<QString> clientSecret;
    // Answer the authorisation page with its redirect at once, as if "Allow" were clicked.
    bool autoApprove = true;
    std::optional<std::chrono::seconds> tokenLifetime; // the emulator's default: 3600 s
    // Serve HTTPS with this certificate (the control API too).
    std::optional<EmulatorTls> tls;
    // Conversion limits in place of Google's (bytes, bytes, bytes, cells).
    std::optional<qint64> maxDocumentImportBytes;
    std::optional<qint64> maxPresentationImportBytes;
    std::optional<qint64> maxSpreadsheetImportBytes;
    std::optional<qint64> maxSpreadsheetImportCells;
};

// A file or folder as the emulator holds it.
struct EmulatedDriveItem {
    QString id;
    QString name;
    QString mimeType;
    std::optional<QString> sourceMimeType; // the uploaded media type of a converted file
    QStringList parents;
    QMap<QString, QString> appProperties;
    QString description;
    QString clientId; // the OAuth client that created it
    bool trashed = false;
    qint64 size = 0;
    QString sha256;
    QUrl webViewLink;

    bool isFolder() const { return mimeType == QStringLiteral("application/vnd.google-apps.folder"); }
};

// One request the emulator received (control requests are not recorded).
struct RecordedRequest {
    QByteArray method;
    QString path;
    QByteArray query; // raw, still percent-encoded
    HttpHeaderList headers;
    qint64 bodySize = 0;
    std::optional<QByteArray> body; // present for bodies up to 1 MiB
    int status = 0; // the answer's status; 0 when dropped or unanswered

    std::optional<QByteArray> header(QByteArrayView name) const;
    // A decoded query parameter ("+" as blank), as the server reads it.
    std::optional<QString> queryValue(const QString& name) const;
};

// A resumable upload session as the emulator keeps it.
struct EmulatedUploadSession {
    QString uploadId;
    QString name;
    std::optional<qint64> totalBytes;
    qint64 persistedBytes = 0; // kept: where the next chunk must start
    qint64 receivedBytes = 0;  // every chunk byte that arrived, resent ones included
    int chunkRequests = 0;
    QString state; // "open", "complete", "expired", "cancelled" or "failed"
};

struct EmulatorTokens {
    QString accessToken;
    std::optional<QString> refreshToken;
    qint64 expiresIn = 0;
    QString scope;
    QString tokenType;
};

// Runs orvane-google-emulator for one test: starts it on a free port of
// 127.0.0.1 in the constructor (throwing std::runtime_error when it does not come
// up), stops it in the destructor, and speaks its control API synchronously.
// Control calls throw std::runtime_error when the emulator refuses them.
class GoogleEmulatorProcess {
public:
    explicit GoogleEmulatorProcess(GoogleEmulatorOptions options = {});
    ~GoogleEmulatorProcess();
    GoogleEmulatorProcess(const GoogleEmulatorProcess&) = delete;
    GoogleEmulatorProcess& operator=(const GoogleEmulatorProcess&) = delete;

    // For example http://127.0.0.1:43123 (https with tls): the value for ORVANE_GOOGLE_SERVICE_ROOT.
    QUrl rootUrl() const { return m_rootUrl; }
    // rootUrl() with a path and optional query, e.g. url(u"/drive/v3/files?pageSize=1").
    QUrl url(const QString& pathAndQuery) const;
    const GoogleEmulatorOptions& options() const { return m_options; }
    // The first configured client ID.
    QString clientId() const { return m_options.clientIds.first(); }

    // My Drive's folder ID ("root" is its alias).
    QString rootFolderId() const;
    QList<EmulatedDriveItem> files() const;
    std::optional<EmulatedDriveItem> findFile(const QString& id) const;
    QList<RecordedRequest> requests() const;
    // The recorded requests for one path (and method, when given), in arrival order.
    QList<RecordedRequest> requests(const QString& path, const QByteArray& method = {}) const;

    // Forgets files, tokens, codes, recorded requests and faults.
    void reset();
    // The next count requests for path (and method, when given) answer status with
    // Google's error JSON, stall for duration before being handled, or lose their
    // connection without an answer.
    void failNextRequests(const QString& path, int status, int count = 1, const QByteArray& method = {});
    // The same with the reason (Drive) or error code (OAuth endpoints) Google gives, e.g. 403 userRateLimitExceeded.
    void failNextRequests(const QString& path, int status, const QString& reason, int count = 1);
    // The next count requests are handled as usual (a folder is made, a file
    // stored) and then answered with status, or their connection closed
    // without an answer: the work is done, and the client hears otherwise.
    void failNextAnswers(const QString& path, int status, int count = 1, const QByteArray& method = {});
    void dropNextAnswers(const QString& path, int count = 1, const QByteArray& method = {});
    void stallNextRequests(const QString& path, std::chrono::milliseconds duration, int count = 1, const QByteArray& method = {});
    void dropNextRequests(const QString& path, int count = 1, const QByteArray& method = {});
    // The next request for path (and method) after skip others is handled as
    // usual, but its connection closes once bytes of its body have arrived.
    void dropAfterBodyBytes(const QString& path, qint64 bytes, const QByteArray& method = {}, int skip = 0);
    // A fault as the control API takes it, e.g. a status with a body of the test's own:
    // {"path": "/token", "status": 503, "body": "<html>…", "contentType": "text/html"}.
    void injectFault(const QJsonObject& fault);
    // Every access token issued so far expires now; refresh tokens keep working.
    void expireAllTokens();
    // The user takes the access back: every refresh token is refused as
    // expired or revoked, and every access token as invalid.
    void revokeAllTokens();
    // The next files.list answers hold at most these many items each, with a
    // nextPageToken while items remain, as Drive's partial pages do.
    void answerNextListsInPagesOf(const QList<int>& sizes);
    // The user grants only these scopes (blank-separated) on the consent
    // pages from now on, as when they untick one on Google's.
    void grantOnlyScope(const QString& scope);
    // files.list does not see items made in the last lag, as Drive's search
    // lags behind; files.get sees them at once.
    void lagSearchBehind(std::chrono::milliseconds lag);
    // Moves a file or folder (and everything below it) to the trash.
    void trash(const QString& id);
    // The resumable upload sessions, oldest first.
    QList<EmulatedUploadSession> uploadSessions() const;
    // Every open resumable upload session expires now.
    void expireUploadSessions();
    // Every resumable session, open now or opened until the next reset, keeps
    // its bytes but never makes the file: 308 with the full Range for ever.
    void makeUploadSessionsNeverFinish();

    // Signs a client in without a browser (the emulator must auto-approve): the
    // authorisation request with PKCE, then the code exchange.
    EmulatorTokens signIn(const QString& clientId = {});
    // A fresh, valid access token for clientId (default: the first client).
    QString accessToken(const QString& clientId = {}) { return signIn(clientId).accessToken; }

private:
    QJsonObject control(const QByteArray& method, const QString& path, const QJsonObject& body = {}) const;
    void addFault(const QString& path, int count, const QByteArray& method, QJsonObject action);

    GoogleEmulatorOptions m_options;
    std::unique_ptr<QProcess> m_process;
    QUrl m_rootUrl;
    mutable LoopbackHttpClient m_http;
};

// The path of the emulator binary this build made.
QString googleEmulatorExecutable();

} // namespace orvane::testsupport
