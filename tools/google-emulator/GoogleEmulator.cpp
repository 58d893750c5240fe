#include "GoogleEmulator.h"

#include "HtmlPage.h"

#include <QTimer>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype formBodyLimit = 1024 * 1024;
constexpr QByteArrayView filePathPrefix = "/drive/v3/files/";

std::unique_ptr<BodySink> answer(HttpResponse response)
{
    return std::make_unique<FixedResponseSink>(std::move(response));
}

std::unique_ptr<BodySink> buffered(BufferedBodySink::Handler handler)
{
    HttpResponse tooLarge = HttpResponse::html(413, html::page(u"Request Entity Too Large"_s, u"<h1>Request Entity Too Large</h1>"_s));
    return std::make_unique<BufferedBodySink>(formBodyLimit, std::move(handler), std::move(tooLarge));
}

HttpResponse notFound()
{
    return HttpResponse::html(404, html::page(u"Not Found"_s, u"<h1>404. That’s an error.</h1>\n<p>The requested URL was not found on this server.</p>"_s));
}

// What a status or drop fault answers (a stall has no answer of its own).
HttpResponse faultAnswer(const FaultAction& action, const QByteArray& path)
{
    if (const auto* status = std::get_if<AnswerWithStatus>(&action))
        return ControlApi::faultResponse(*status, path);
    HttpResponse nothing;
    nothing.status = 0;
    nothing.closesWithoutAnswer = true;
    return nothing;
}

HttpResponse methodNotAllowed(const QByteArray& allowed)
{
    HttpResponse response = HttpResponse::html(405, html::page(u"Method Not Allowed"_s, u"<h1>405. That’s an error.</h1>"_s));
    response.headers.append("Allow"_ba, allowed);
    return response;
}

} // namespace

GoogleEmulator::GoogleEmulator(EmulatorSettings settings, const QUrl& rootUrl)
    : m_settings(std::move(settings))
    , m_resources(rootUrl)
    , m_oauth(m_settings, m_grants)
    , m_drive(m_store, m_grants, m_resources, m_paging, m_searchLag, m_settings.conversionLimits)
    , m_resumableUploads(m_drive, m_uploadSessions, m_grants, rootUrl)
    , m_pages(m_store)
    , m_control({.store = m_store, .grants = m_grants, .log = m_log, .faults = m_faults, .paging = m_paging, .searchLag = m_searchLag,
                 .resources = m_resources, .uploadSessions = m_uploadSessions})
{
}

void GoogleEmulator::handle(const HttpRequestHead& head, const HttpExchange& exchange)
{
    if (head.path.startsWith(ControlApi::prefix)) {
        exchange.receiveBody(m_control.route(head));
        return;
    }
    const quint64 recordId = m_log.add(head);
    const std::optional<FaultPlan::Fault> fault = m_faults.take(head.method, head.path);
    if (!fault) {
        dispatch(head, exchange, recordId);
    } else if (fault->afterHandling) {
        dispatch(head, exchange, recordId, faultAnswer(fault->action, head.path));
    } else if (const auto* stall = std::get_if<Stall>(&fault->action)) {
        QTimer::singleShot(stall->duration, [this, head, exchange, recordId] { dispatch(head, exchange, recordId); });
    } else if (const auto* cut = std::get_if<DropAfterBodyBytes>(&fault->action)) {
        dispatch(head, exchange, recordId, std::nullopt, cut->bytes);
    } else if (std::holds_alternative<DropConnection>(fault->action)) {
        exchange.drop();
    } else {
        exchange.receiveBody(std::make_unique<RecordingSink>(m_log, recordId, answer(faultAnswer(fault->action, head.path))));
    }
}

void GoogleEmulator::dispatch(const HttpRequestHead& head, const HttpExchange& exchange, quint64 recordId,
                              std::optional<HttpResponse> replacement, std::optional<qint64> dropAfterBodyBytes)
{
    std::unique_ptr<BodySink> sink;
    try {
        sink = std::make_unique<RefusalGuardSink>(route(head));
    } catch (const RequestRefused& refusal) {
        sink = answer(refusal.response());
    }
    if (replacement)
        sink = std::make_unique<ReplacedAnswerSink>(std::move(sink), std::move(*replacement));
    sink = std::make_unique<RecordingSink>(m_log, recordId, std::move(sink));
    if (dropAfterBodyBytes)
        sink = std::make_unique<ConnectionDroppingSink>(std::move(sink), *dropAfterBodyBytes);
    exchange.receiveBody(std::move(sink));
}

std::unique_ptr<BodySink> GoogleEmulator::route(const HttpRequestHead& head)
{
    const QByteArray& path = head.path;
    const QByteArray& method = head.method;
    if (path == "/o/oauth2/v2/auth"_ba) {
        if (method != "GET"_ba)
            return answer(methodNotAllowed("GET"_ba));
        return answer(m_oauth.authorize(head.query));
    }
    if (path == OAuthService::decisionPath()) {
        if (method != "POST"_ba)
            return answer(methodNotAllowed("POST"_ba));
        return buffered([this, headers = head.headers](const QByteArray& body) { return m_oauth.decide(headers, body); });
    }
    if (path == OAuthService::tokenPath()) {
        if (method != "POST"_ba)
            return answer(methodNotAllowed("POST"_ba));
        return buffered([this, headers = head.headers](const QByteArray& body) { return m_oauth.token(headers, body); });
    }
    if (path == OAuthService::revokePath()) {
        if (method != "POST"_ba)
            return answer(methodNotAllowed("POST"_ba));
        return buffered([this, head](const QByteArray& body) { return m_oauth.revoke(head.headers, head.query, body); });
    }
    if (path == "/drive/v3/files"_ba) {
        if (method == "GET"_ba)
            return answer(m_drive.listFiles(head));
        if (method == "POST"_ba)
            return buffered([this, head](const QByteArray& body) { return m_drive.createFile(head, body); });
        return answer(methodNotAllowed("GET, POST"_ba));
    }
    if (path == "/drive/v3/about"_ba) {
        if (method != "GET"_ba)
            return answer(methodNotAllowed("GET"_ba));
        return answer(m_drive.about(head));
    }
    if (path == "/drive/v3/files/generateIds"_ba) {
        if (method != "GET"_ba)
            return answer(methodNotAllowed("GET"_ba));
        return answer(m_drive.generateIds(head));
    }
    if (path.startsWith(filePathPrefix) && !path.sliced(filePathPrefix.size()).contains('/')) {
        if (method != "GET"_ba)
            return answer(methodNotAllowed("GET"_ba));
        return answer(m_drive.getFile(head, QString::fromUtf8(QByteArray::fromPercentEncoding(path.sliced(filePathPrefix.size())))));
    }
    if (path == "/upload/drive/v3/files"_ba) {
        if (ResumableUploads::isInitiation(head))
            return m_resumableUploads.initiate(head);
        if (method == "POST"_ba)
            return m_drive.upload(head);
        if (method == "PUT"_ba)
            return m_resumableUploads.put(head);
        if (method == "DELETE"_ba)
            return answer(m_resumableUploads.cancel(head));
        return answer(methodNotAllowed("POST, PUT, DELETE"_ba));
    }
    if (std::optional<HttpResponse> page = m_pages.serve(path)) {
        if (method != "GET"_ba && method != "HEAD"_ba)
            return answer(methodNotAllowed("GET, HEAD"_ba));
        return answer(std::move(*page));
    }
    return answer(notFound());
}

} // namespace orvane::emulator
