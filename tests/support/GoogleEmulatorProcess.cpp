#include "GoogleEmulatorProcess.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QUrlQuery>

#include <sys/prctl.h>

#include <csignal>
#include <stdexcept>

namespace orvane::testsupport {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int startTimeoutMilliseconds = 20'000;

QString base64Url(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QString randomBase64Url(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), count / 4);
    return base64Url(bytes);
}

QByteArray formEncoded(const QList<std::pair<QString, QString>>& items)
{
    QByteArrayList pairs;
    for (const auto& [name, value] : items)
        pairs.append(QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value));
    return pairs.join('&');
}

std::runtime_error failure(const QString& message)
{
    return std::runtime_error(message.toStdString());
}

EmulatedDriveItem itemFromJson(const QJsonObject& object)
{
    EmulatedDriveItem item;
    item.id = object.value(u"id"_s).toString();
    item.name = object.value(u"name"_s).toString();
    item.mimeType = object.value(u"mimeType"_s).toString();
    if (object.contains(u"sourceMimeType"_s))
        item.sourceMimeType = object.value(u"sourceMimeType"_s).toString();
    for (const QJsonValue& parent : object.value(u"parents"_s).toArray())
        item.parents.append(parent.toString());
    const QJsonObject properties = object.value(u"appProperties"_s).toObject();
    for (auto property = properties.begin(); property != properties.end(); ++property)
        item.appProperties.insert(property.key(), property->toString());
    item.description = object.value(u"description"_s).toString();
    item.clientId = object.value(u"clientId"_s).toString();
    item.trashed = object.value(u"trashed"_s).toBool();
    item.size = object.value(u"size"_s).toInteger();
    item.sha256 = object.value(u"sha256"_s).toString();
    item.webViewLink = QUrl(object.value(u"webViewLink"_s).toString());
    return item;
}

RecordedRequest requestFromJson(const QJsonObject& object)
{
    RecordedRequest request;
    request.method = object.value(u"method"_s).toString().toLatin1();
    request.path = object.value(u"path"_s).toString();
    request.query = object.value(u"query"_s).toString().toLatin1();
    for (const QJsonValue& header : object.value(u"headers"_s).toArray())
        request.headers.append({header[u"name"_s].toString().toLatin1(), header[u"value"_s].toString().toLatin1()});
    request.bodySize = object.value(u"bodySize"_s).toInteger();
    if (object.contains(u"body"_s))
        request.body = QByteArray::fromBase64(object.value(u"body"_s).toString().toLatin1());
    request.status = object.value(u"status"_s).toInt();
    return request;
}

} // namespace

QString googleEmulatorExecutable()
{
    return QStringLiteral(ORVANE_GOOGLE_EMULATOR_PATH);
}

std::optional<QByteArray> RecordedRequest::header(QByteArrayView name) const
{
    for (const auto& [headerName, value] : headers) {
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

std::optional<QString> RecordedRequest::queryValue(const QString& name) const
{
    QByteArray withBlanks = query;
    withBlanks.replace('+', ' ');
    const QUrlQuery items(QString::fromLatin1(withBlanks));
    if (!items.hasQueryItem(name))
        return std::nullopt;
    return items.queryItemValue(name, QUrl::FullyDecoded);
}

GoogleEmulatorProcess::GoogleEmulatorProcess(GoogleEmulatorOptions options)
    : m_options(std::move(options)), m_process(std::make_unique<QProcess>())
{
    QStringList arguments;
    for (const QString& clientId : m_options.clientIds)
        arguments << u"--client-id"_s << clientId;
    if (m_options.clientSecret)
        arguments << u"--client-secret"_s << *m_options.clientSecret;
    if (m_options.autoApprove)
        arguments << u"--auto-approve"_s;
    if (m_options.tokenLifetime)
        arguments << u"--token-lifetime"_s << QString::number(m_options.tokenLifetime->count());
    if (m_options.tls) {
        arguments << u"--tls-certificate"_s << m_options.tls->certificatePath << u"--tls-key"_s << m_options.tls->keyPath;
        m_http.trustOnly(QSslCertificate::fromPath(m_options.tls->authorityCertificatePath));
    }
    for (const auto& [option, value] : {std::pair{u"--max-document-import-bytes"_s, m_options.maxDocumentImportBytes},
                                        std::pair{u"--max-presentation-import-bytes"_s, m_options.maxPresentationImportBytes},
                                        std::pair{u"--max-spreadsheet-import-bytes"_s, m_options.maxSpreadsheetImportBytes},
                                        std::pair{u"--max-spreadsheet-import-cells"_s, m_options.maxSpreadsheetImportCells}}) {
        if (value)
            arguments << option << QString::number(*value);
    }

    // The emulator's diagnostics (and any sanitizer report) go to the test's output.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes or is killed must not leave the emulator behind: it
    // would keep the test's output open and hold the test runner until its time-out.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start(googleEmulatorExecutable(), arguments);
    if (!m_process->waitForStarted(startTimeoutMilliseconds))
        throw failure(u"The Google emulator did not start: %1"_s.arg(m_process->errorString()));
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(startTimeoutMilliseconds))
            throw failure(u"The Google emulator printed no root URL: %1"_s.arg(m_process->errorString()));
    }
    m_rootUrl = QUrl(QString::fromUtf8(m_process->readLine()).trimmed());
    requireLoopback(m_rootUrl);
}

GoogleEmulatorProcess::~GoogleEmulatorProcess()
{
    m_process->terminate();
    if (!m_process->waitForFinished(5'000)) {
        m_process->kill();
        m_process->waitForFinished(5'000);
    }
}

QUrl GoogleEmulatorProcess::url(const QString& pathAndQuery) const
{
    return QUrl(m_rootUrl.toString() + pathAndQuery, QUrl::StrictMode);
}

QJsonObject GoogleEmulatorProcess::control(const QByteArray& method, const QString& path, const QJsonObject& body) const
{
    const QByteArray payload = method == "POST"_ba ? QJsonDocument(body).toJson(QJsonDocument::Compact) : QByteArray();
    const HttpResult result = m_http.send(method, url(u"/emulator/"_s + path), {{"Content-Type"_ba, "application/json"_ba}}, payload);
    if (result.status != 200)
        throw failure(u"The emulator refused %1 /emulator/%2 (%3%4): %5"_s.arg(QString::fromLatin1(method), path)
                          .arg(result.status)
                          .arg(result.transportError.isEmpty() ? QString() : u", "_s + result.transportError,
                               QString::fromUtf8(result.body)));
    return result.json();
}

QString GoogleEmulatorProcess::rootFolderId() const
{
    return control("GET"_ba, u"files"_s).value(u"rootFolderId"_s).toString();
}

QList<EmulatedDriveItem> GoogleEmulatorProcess::files() const
{
    QList<EmulatedDriveItem> items;
    for (const QJsonValue& file : control("GET"_ba, u"files"_s).value(u"files"_s).toArray())
        items.append(itemFromJson(file.toObject()));
    return items;
}

std::optional<EmulatedDriveItem> GoogleEmulatorProcess::findFile(const QString& id) const
{
    for (const EmulatedDriveItem& item : files()) {
        if (item.id == id)
            return item;
    }
    return std::nullopt;
}

QList<RecordedRequest> GoogleEmulatorProcess::requests() const
{
    QList<RecordedRequest> recorded;
    for (const QJsonValue& request : control("GET"_ba, u"requests"_s).value(u"requests"_s).toArray())
        recorded.append(requestFromJson(request.toObject()));
    return recorded;
}

QList<RecordedRequest> GoogleEmulatorProcess::requests(const QString& path, const QByteArray& method) const
{
    QList<RecordedRequest> matching = requests();
    matching.removeIf([&](const RecordedRequest& request) {
        return request.path != path || (!method.isEmpty() && request.method != method);
    });
    return matching;
}

void GoogleEmulatorProcess::reset()
{
    control("POST"_ba, u"reset"_s);
}

void GoogleEmulatorProcess::addFault(const QString& path, int count, const QByteArray& method, QJsonObject action)
{
    action.insert(u"path"_s, path);
    action.insert(u"count"_s, count);
    if (!method.isEmpty())
        action.insert(u"method"_s, QString::fromLatin1(method));
    injectFault(action);
}

void GoogleEmulatorProcess::failNextRequests(const QString& path, int status, int count, const QByteArray& method)
{
    addFault(path, count, method, {{u"status"_s, status}});
}

void GoogleEmulatorProcess::failNextRequests(const QString& path, int status, const QString& reason, int count)
{
    addFault(path, count, {}, {{u"status"_s, status}, {u"reason"_s, reason}});
}

void GoogleEmulatorProcess::failNextAnswers(const QString& path, int status, int count, const QByteArray& method)
{
    addFault(path, count, method, {{u"status"_s, status}, {u"afterHandling"_s, true}});
}

void GoogleEmulatorProcess::dropNextAnswers(const QString& path, int count, const QByteArray& method)
{
    addFault(path, count, method, {{u"drop"_s, true}, {u"afterHandling"_s, true}});
}

void GoogleEmulatorProcess::stallNextRequests(const QString& path, std::chrono::milliseconds duration, int count, const QByteArray& method)
{
    addFault(path, count, method, {{u"stallMilliseconds"_s, static_cast<qint64>(duration.count())}});
}

void GoogleEmulatorProcess::dropNextRequests(const QString& path, int count, const QByteArray& method)
{
    addFault(path, count, method, {{u"drop"_s, true}});
}

void GoogleEmulatorProcess::dropAfterBodyBytes(const QString& path, qint64 bytes, const QByteArray& method, int skip)
{
    addFault(path, 1, method, {{u"dropAfterBytes"_s, bytes}, {u"skip"_s, skip}});
}

void GoogleEmulatorProcess::injectFault(const QJsonObject& fault)
{
    control("POST"_ba, u"faults"_s, fault);
}

void GoogleEmulatorProcess::expireAllTokens()
{
    control("POST"_ba, u"tokens/expire"_s);
}

void GoogleEmulatorProcess::revokeAllTokens()
{
    control("POST"_ba, u"tokens/revoke"_s);
}

void GoogleEmulatorProcess::grantOnlyScope(const QString& scope)
{
    control("POST"_ba, u"granted-scope"_s, {{u"scope"_s, scope}});
}

void GoogleEmulatorProcess::lagSearchBehind(std::chrono::milliseconds lag)
{
    control("POST"_ba, u"search-lag"_s, {{u"milliseconds"_s, double(lag.count())}});
}

void GoogleEmulatorProcess::answerNextListsInPagesOf(const QList<int>& sizes)
{
    QJsonArray list;
    for (int size : sizes)
        list.append(size);
    control("POST"_ba, u"list-pages"_s, {{u"sizes"_s, list}});
}

void GoogleEmulatorProcess::trash(const QString& id)
{
    control("POST"_ba, u"files/%1/trash"_s.arg(id));
}

QList<EmulatedUploadSession> GoogleEmulatorProcess::uploadSessions() const
{
    QList<EmulatedUploadSession> sessions;
    for (const QJsonValue& value : control("GET"_ba, u"uploads"_s).value(u"uploads"_s).toArray()) {
        const QJsonObject session = value.toObject();
        sessions.append({.uploadId = session.value(u"uploadId"_s).toString(),
                         .name = session.value(u"name"_s).toString(),
                         .totalBytes = session.contains(u"totalBytes"_s)
                             ? std::optional(session.value(u"totalBytes"_s).toInteger())
                             : std::nullopt,
                         .persistedBytes = session.value(u"persistedBytes"_s).toInteger(),
                         .receivedBytes = session.value(u"receivedBytes"_s).toInteger(),
                         .chunkRequests = session.value(u"chunkRequests"_s).toInt(),
                         .state = session.value(u"state"_s).toString()});
    }
    return sessions;
}

void GoogleEmulatorProcess::expireUploadSessions()
{
    control("POST"_ba, u"uploads/expire"_s);
}

void GoogleEmulatorProcess::makeUploadSessionsNeverFinish()
{
    control("POST"_ba, u"uploads/never-finish"_s);
}

EmulatorTokens GoogleEmulatorProcess::signIn(const QString& clientId)
{
    const QString client = clientId.isEmpty() ? this->clientId() : clientId;
    const QString verifier = randomBase64Url(32);
    const QString challenge = base64Url(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256));
    const QString redirectUri = u"http://127.0.0.1:9/oauth2redirect"_s;
    QUrlQuery query;
    query.setQueryItems({{u"client_id"_s, client},
                         {u"redirect_uri"_s, redirectUri},
                         {u"response_type"_s, u"code"_s},
                         {u"scope"_s, u"https://www.googleapis.com/auth/drive.file"_s},
                         {u"access_type"_s, u"offline"_s},
                         {u"code_challenge"_s, challenge},
                         {u"code_challenge_method"_s, u"S256"_s},
                         {u"state"_s, u"signed-in-by-test"_s}});
    QUrl authorization = url(u"/o/oauth2/v2/auth"_s);
    authorization.setQuery(query);
    const HttpResult approval = m_http.get(authorization);
    const QUrl callback(QString::fromUtf8(approval.header("Location").value_or(QByteArray())));
    const QString code = QUrlQuery(callback).queryItemValue(u"code"_s, QUrl::FullyDecoded);
    if (approval.status != 302 || code.isEmpty())
        throw failure(u"The emulator did not approve the sign-in (status %1; is autoApprove set?): %2"_s.arg(approval.status).arg(
            QString::fromUtf8(approval.body)));

    QList<std::pair<QString, QString>> form{{u"client_id"_s, client},
                                            {u"code"_s, code},
                                            {u"code_verifier"_s, verifier},
                                            {u"grant_type"_s, u"authorization_code"_s},
                                            {u"redirect_uri"_s, redirectUri}};
    if (m_options.clientSecret)
        form.append({u"client_secret"_s, *m_options.clientSecret});
    const HttpResult exchange = m_http.post(url(u"/token"_s), formEncoded(form), "application/x-www-form-urlencoded"_ba);
    if (exchange.status != 200)
        throw failure(u"The emulator refused the code exchange (%1): %2"_s.arg(exchange.status).arg(QString::fromUtf8(exchange.body)));
    const QJsonObject tokens = exchange.json();
    EmulatorTokens result;
    result.accessToken = tokens.value(u"access_token"_s).toString();
    if (tokens.contains(u"refresh_token"_s))
        result.refreshToken = tokens.value(u"refresh_token"_s).toString();
    result.expiresIn = tokens.value(u"expires_in"_s).toInteger();
    result.scope = tokens.value(u"scope"_s).toString();
    result.tokenType = tokens.value(u"token_type"_s).toString();
    return result;
}

} // namespace orvane::testsupport
