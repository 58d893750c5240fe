#include "ControlApi.h"

#include "GoogleErrors.h"
#include "oauth/OAuthService.h"

#include <QJsonDocument>

#include <cmath>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype controlBodyLimit = 1024 * 1024;

HttpResponse controlError(int status, const QString& message)
{
    return HttpResponse::json(status, QJsonObject{{u"error"_s, message}});
}

HttpResponse done()
{
    return HttpResponse::json(200, QJsonObject{});
}

// The reason Drive gives with a status when the test named none.
QString driveFaultReason(int status)
{
    switch (status) {
    case 401: return u"authError"_s;
    case 403: return u"forbidden"_s;
    case 404: return u"notFound"_s;
    case 429: return u"rateLimitExceeded"_s;
    default: return status >= 500 ? u"backendError"_s : u"badRequest"_s;
    }
}

HttpResponse driveFault(const AnswerWithStatus& fault)
{
    const QString reason = fault.reason.isEmpty() ? driveFaultReason(fault.status) : fault.reason;
    // The messages Google's documentation shows for these reasons.
    static const QHash<QString, QString> documentedMessages{
        {u"rateLimitExceeded"_s, u"Rate Limit Exceeded"_s},
        {u"userRateLimitExceeded"_s, u"User Rate Limit Exceeded"_s},
        {u"backendError"_s, u"Backend Error"_s},
    };
    const QString message = !fault.message.isEmpty() ? fault.message
                                                     : documentedMessages.value(reason, QString::fromLatin1(reasonPhrase(fault.status)));
    if (reason == u"rateLimitExceeded"_s || reason == u"userRateLimitExceeded"_s)
        return google::usageLimitError(fault.status, reason, message);
    return google::apiError(fault.status, reason, message);
}

// Google does not document what its token endpoint answers when it is
// overloaded or failing; these are RFC 6749's codes for such a server.
HttpResponse oauthFault(const AnswerWithStatus& fault)
{
    QString error = fault.reason;
    if (error.isEmpty())
        error = fault.status == 429 || fault.status == 503 ? u"temporarily_unavailable"_s
            : fault.status >= 500                          ? u"server_error"_s
                                                           : u"invalid_request"_s;
    return google::oauthError(fault.status, error,
                              fault.message.isEmpty() ? QString::fromLatin1(reasonPhrase(fault.status)) : fault.message);
}

std::optional<FaultAction> faultAction(const QJsonObject& request, QString* problem)
{
    const bool hasStatus = request.contains(u"status"_s);
    const bool hasStall = request.contains(u"stallMilliseconds"_s);
    const bool hasDrop = request.contains(u"drop"_s);
    const bool hasDropAfterBytes = request.contains(u"dropAfterBytes"_s);
    if (int(hasStatus) + int(hasStall) + int(hasDrop) + int(hasDropAfterBytes) != 1) {
        *problem = u"Give exactly one of \"status\", \"stallMilliseconds\", \"drop\" and \"dropAfterBytes\"."_s;
        return std::nullopt;
    }
    if (hasDropAfterBytes) {
        const double bytes = request.value(u"dropAfterBytes"_s).toDouble(-1);
        if (bytes < 0 || bytes != std::floor(bytes)) {
            *problem = u"\"dropAfterBytes\" must be a number of bytes."_s;
            return std::nullopt;
        }
        return DropAfterBodyBytes{qint64(bytes)};
    }
    if (hasStatus) {
        const int status = request.value(u"status"_s).toInt(-1);
        if (status < 100 || status > 599) {
            *problem = u"\"status\" must be an HTTP status code."_s;
            return std::nullopt;
        }
        if (request.contains(u"body"_s) && (request.contains(u"reason"_s) || request.contains(u"message"_s))) {
            *problem = u"A fault with a \"body\" takes no \"reason\" or \"message\"."_s;
            return std::nullopt;
        }
        return AnswerWithStatus{.status = status,
                                .body = request.value(u"body"_s).toString().toUtf8(),
                                .contentType = request.value(u"contentType"_s).toString().toUtf8(),
                                .reason = request.value(u"reason"_s).toString(),
                                .message = request.value(u"message"_s).toString()};
    }
    if (hasStall) {
        const int milliseconds = request.value(u"stallMilliseconds"_s).toInt(-1);
        if (milliseconds < 0) {
            *problem = u"\"stallMilliseconds\" must be a number of milliseconds."_s;
            return std::nullopt;
        }
        return Stall{std::chrono::milliseconds(milliseconds)};
    }
    if (request.value(u"drop"_s) != QJsonValue(true)) {
        *problem = u"\"drop\" must be true."_s;
        return std::nullopt;
    }
    return DropConnection{};
}

} // namespace

ControlApi::ControlApi(State state) : m_state(state) {}

HttpResponse ControlApi::faultResponse(const AnswerWithStatus& fault, const QByteArray& path)
{
    if (fault.body.isEmpty())
        return OAuthService::servesOAuthErrors(path) ? oauthFault(fault) : driveFault(fault);
    HttpResponse response{.status = fault.status, .headers = {}, .body = fault.body};
    response.headers.append("Content-Type"_ba, fault.contentType.isEmpty() ? "application/json; charset=UTF-8"_ba : fault.contentType);
    return response;
}

std::unique_ptr<BodySink> ControlApi::route(const HttpRequestHead& head)
{
    const QByteArray resource = head.path.sliced(prefix.size());
    const bool get = head.method == "GET"_ba;
    const bool post = head.method == "POST"_ba;
    auto answer = [](HttpResponse response) { return std::make_unique<FixedResponseSink>(std::move(response)); };

    if (resource == "files"_ba && get)
        return answer(files());
    if (resource == "requests"_ba && get)
        return answer(HttpResponse::json(200, QJsonObject{{u"requests"_s, m_state.log.toJson()}}));
    if (resource == "reset"_ba && post)
        return answer(reset());
    if (resource == "tokens/expire"_ba && post) {
        m_state.grants.expireAccessTokens();
        return answer(done());
    }
    if (resource == "uploads"_ba && get)
        return answer(HttpResponse::json(200, QJsonObject{{u"uploads"_s, m_state.uploadSessions.toJson()}}));
    if (resource == "uploads/expire"_ba && post) {
        m_state.uploadSessions.expireAll();
        return answer(done());
    }
    if (resource == "uploads/never-finish"_ba && post) {
        m_state.uploadSessions.neverFinish();
        return answer(done());
    }
    if (resource == "tokens/revoke"_ba && post) {
        m_state.grants.revokeAll();
        return answer(done());
    }
    const auto withBody = [](std::function<HttpResponse(const QByteArray&)> handler) {
        return std::make_unique<BufferedBodySink>(controlBodyLimit, std::move(handler),
                                                  controlError(413, u"The request body is too large."_s));
    };
    if (resource == "faults"_ba && post)
        return withBody([this](const QByteArray& body) { return addFault(body); });
    if (resource == "list-pages"_ba && post)
        return withBody([this](const QByteArray& body) { return addListPages(body); });
    if (resource == "granted-scope"_ba && post)
        return withBody([this](const QByteArray& body) {
            const QJsonValue scope = QJsonDocument::fromJson(body).object().value(u"scope"_s);
            if (!scope.isString() && !scope.isNull())
                return controlError(400, u"Give \"scope\": the scopes the user grants, blank-separated, or null for all."_s);
            m_state.grants.setGrantedScope(scope.isString() ? std::optional(scope.toString()) : std::nullopt);
            return done();
        });
    if (resource == "search-lag"_ba && post)
        return withBody([this](const QByteArray& body) { return setSearchLag(body); });
    const QList<QByteArray> segments = resource.split('/');
    if (segments.size() == 3 && segments[0] == "files"_ba && segments[2] == "trash"_ba && post)
        return answer(trash(QString::fromUtf8(QByteArray::fromPercentEncoding(segments[1]))));
    return answer(controlError(404, u"No control endpoint %1 %2."_s.arg(QString::fromLatin1(head.method), QString::fromLatin1(head.path))));
}

HttpResponse ControlApi::files() const
{
    QJsonArray files;
    for (const DriveItem* item : m_state.store.items()) {
        QJsonObject properties;
        for (auto property = item->appProperties.cbegin(); property != item->appProperties.cend(); ++property)
            properties.insert(property.key(), *property);
        QJsonObject file{
            {u"id"_s, item->id},
            {u"name"_s, item->name},
            {u"mimeType"_s, item->mimeType},
            {u"parents"_s, QJsonArray::fromStringList(item->parents)},
            {u"appProperties"_s, properties},
            {u"description"_s, item->description},
            {u"clientId"_s, item->clientId},
            {u"trashed"_s, item->trashed},
            {u"size"_s, item->size},
            {u"sha256"_s, QString::fromLatin1(item->sha256)},
            {u"webViewLink"_s, m_state.resources.webViewLink(*item)},
        };
        if (item->sourceMimeType)
            file.insert(u"sourceMimeType"_s, *item->sourceMimeType);
        files.append(file);
    }
    return HttpResponse::json(200, QJsonObject{{u"rootFolderId"_s, m_state.store.rootFolderId()}, {u"files"_s, files}});
}

HttpResponse ControlApi::addFault(const QByteArray& body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return controlError(400, u"A fault is a JSON object."_s);
    const QJsonObject request = document.object();
    const QString path = request.value(u"path"_s).toString();
    if (!path.startsWith(u'/'))
        return controlError(400, u"\"path\" must be a request path starting with /."_s);
    const int count = request.value(u"count"_s).toInt(1);
    if (count < 1)
        return controlError(400, u"\"count\" must be 1 or more."_s);
    QString problem;
    std::optional<FaultAction> action = faultAction(request, &problem);
    if (!action)
        return controlError(400, problem);
    const QJsonValue afterHandling = request.value(u"afterHandling"_s);
    if (!afterHandling.isUndefined()
        && (!afterHandling.isBool() || std::holds_alternative<Stall>(*action)
            || std::holds_alternative<DropAfterBodyBytes>(*action)))
        return controlError(400, u"\"afterHandling\" is true or false, for a status or a drop."_s);
    const int skip = request.value(u"skip"_s).toInt(0);
    if (skip < 0)
        return controlError(400, u"\"skip\" must be 0 or more."_s);
    m_state.faults.add({.path = path.toUtf8(),
                        .method = request.value(u"method"_s).toString().toUtf8(),
                        .remaining = count,
                        .action = *action,
                        .afterHandling = afterHandling.toBool(),
                        .skip = skip});
    return done();
}

HttpResponse ControlApi::addListPages(const QByteArray& body)
{
    const QJsonValue sizes = QJsonDocument::fromJson(body).object().value(u"sizes"_s);
    QList<int> pageSizes;
    for (const QJsonValue& size : sizes.toArray()) {
        if (!size.isDouble() || size.toInt(-1) < 0)
            return controlError(400, u"\"sizes\" must be a list of page sizes, 0 or more."_s);
        pageSizes.append(size.toInt());
    }
    if (pageSizes.isEmpty())
        return controlError(400, u"Give \"sizes\": the sizes of the next pages files.list answers."_s);
    m_state.paging.add(pageSizes);
    return done();
}

HttpResponse ControlApi::setSearchLag(const QByteArray& body)
{
    const QJsonValue milliseconds = QJsonDocument::fromJson(body).object().value(u"milliseconds"_s);
    if (!milliseconds.isDouble() || milliseconds.toDouble() < 0 || milliseconds.toDouble() != std::floor(milliseconds.toDouble()))
        return controlError(400, u"Give \"milliseconds\": how long files.list does not see a new item, 0 or more."_s);
    m_state.searchLag.set(std::chrono::milliseconds(qint64(milliseconds.toDouble())));
    return done();
}

HttpResponse ControlApi::trash(const QString& id)
{
    if (!m_state.store.trash(id))
        return controlError(404, u"No file or folder has the ID %1."_s.arg(id));
    return done();
}

HttpResponse ControlApi::reset()
{
    m_state.store.clear();
    m_state.grants.clear();
    m_state.log.clear();
    m_state.faults.clear();
    m_state.paging.clear();
    m_state.searchLag.clear();
    m_state.uploadSessions.clear();
    return done();
}

} // namespace orvane::emulator
