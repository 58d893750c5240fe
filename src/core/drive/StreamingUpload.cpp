#include "drive/StreamingUpload.h"

#include "net/TrustStore.h"
#include "support/BackgroundTask.h"
#include "support/FileError.h"
#include "support/UrlError.h"

#include <QScopeGuard>

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

namespace orvane {

namespace {

const QString changedDuringUpload =
    QStringLiteral("it changed while it was being uploaded, so nothing was kept on Google Drive; open it again once "
                   "it is saved");

// How much of the body libcurl reads at a time: larger than its 64 KiB, so
// that a large upload takes fewer reads and sends.
constexpr long uploadBufferSize = 1024 * 1024;

// What one request collects on the transfer's thread.
struct Transfer {
    FileRangeBody* body;
    HttpHeaders answerHeaders;
    QByteArray answer;
    bool bodyFailed = false;
};

size_t readBody(char* buffer, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const qint64 read = transfer->body->read(buffer, qint64(size * count));
    if (read < 0) {
        transfer->bodyFailed = true;
        return CURL_READFUNC_ABORT;
    }
    return size_t(read);
}

size_t keepAnswer(char* data, size_t size, size_t count, void* userData)
{
    static_cast<Transfer*>(userData)->answer.append(data, qsizetype(size * count));
    return size * count;
}

// The header fields of the final answer: a status line (after an interim
// "100 Continue") starts the list afresh.
size_t keepHeader(char* data, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
    if (line.startsWith("HTTP/")) {
        transfer->answerHeaders.clear();
    } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
        transfer->answerHeaders.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return size * count;
}

UrlError::Code urlErrorCode(CURLcode code)
{
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return UrlError::Code::timedOut;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return UrlError::Code::cannotFindHost;
    case CURLE_COULDNT_CONNECT:
        return UrlError::Code::cannotConnectToHost;
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return UrlError::Code::networkConnectionLost;
    case CURLE_PEER_FAILED_VERIFICATION:
        return UrlError::Code::serverCertificateUntrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
        return UrlError::Code::secureConnectionFailed;
    case CURLE_UNSUPPORTED_PROTOCOL:
        return UrlError::Code::unsupportedURL;
    case CURLE_URL_MALFORMAT:
        return UrlError::Code::badURL;
    case CURLE_WEIRD_SERVER_REPLY:
        return UrlError::Code::badServerResponse;
    default:
        return UrlError::Code::unknown;
    }
}

// libcurl's global set-up is not safe to run beside other threads, so it runs
// when the program starts, on its main thread. OpenSSL is set up first and
// told not to tear itself down at exit: its clean-up runs on the main thread
// while Qt's network thread may still be ending (QThread::wait returns before
// the thread's own exit handlers run), which unregisters the handler that
// frees that thread's OpenSSL state, so the state was lost, and a thread still
// using OpenSSL then would use freed memory. The system frees it all at exit.
const bool curlInitialised = OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr) == 1
    && curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;

// libcurl works through OpenSSL on a pool thread, and OpenSSL's own clean-up
// when such a thread ends can lose its per-thread state; releasing it after
// every transfer keeps the thread clean.
struct OpenSslThreadStateRelease {
    ~OpenSslThreadStateRelease() { OPENSSL_thread_stop(); }
};

// Qt's proxy for the URL (an empty proxy also overrides libcurl's reading of
// https_proxy and its kin) and Qt's trusted authorities, when not the system's.
void takeRoute(CURL* curl, const NetworkRoute& route)
{
    const QNetworkProxy& proxy = route.proxy;
    if (proxy.type() == QNetworkProxy::NoProxy) {
        curl_easy_setopt(curl, CURLOPT_PROXY, "");
    } else {
        const QByteArray scheme = proxy.type() == QNetworkProxy::Socks5Proxy ? "socks5h" : "http";
        const QByteArray address = scheme + "://" + QUrl::toAce(proxy.hostName()) + ':' + QByteArray::number(proxy.port());
        curl_easy_setopt(curl, CURLOPT_PROXY, address.constData());
        if (!proxy.user().isEmpty()) {
            curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxy.user().toUtf8().constData());
            curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxy.password().toUtf8().constData());
        }
    }
    if (!route.trustedAuthoritiesPem.isEmpty()) {
        curl_blob authorities{const_cast<char*>(route.trustedAuthoritiesPem.constData()),
                              size_t(route.trustedAuthoritiesPem.size()), CURL_BLOB_COPY};
        curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &authorities);
    }
}

} // namespace

// The easy handle and the multi handle whose connection cache keeps the
// connection between requests, and whose wait an abort can wake.
struct StreamingConnection::Handles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;

    Handles() : multi(curl_multi_init()), easy(curl_easy_init())
    {
        if (!curlInitialised || !multi || !easy) {
            release();
            throw std::bad_alloc();
        }
    }
    ~Handles() { release(); }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;

    void release()
    {
        if (easy)
            curl_easy_cleanup(easy);
        if (multi)
            curl_multi_cleanup(multi);
    }

    HttpResponse transfer(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers, FileRangeBody* body,
                          const NetworkRoute& route, const AbortSignal& abort, std::chrono::milliseconds idleTimeout);
};

HttpResponse StreamingConnection::Handles::transfer(const QByteArray& verb, const QUrl& url, const HttpHeaders& headers,
                                                    FileRangeBody* body, const NetworkRoute& route,
                                                    const AbortSignal& abort, std::chrono::milliseconds idleTimeout)
{
    const OpenSslThreadStateRelease releaseThreadState;
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(nullptr, curl_slist_free_all);
    for (const auto& [name, value] : headers)
        headerList.reset(curl_slist_append(headerList.release(), (name + ": " + value).constData()));

    const QByteArray target = url.toEncoded();
    const long idleSeconds = long(std::max<qint64>(1, std::chrono::ceil<std::chrono::seconds>(idleTimeout).count()));
    Transfer transfer{body, {}, {}, false};
    // A reset keeps the connection cache; every option is set anew.
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_URL, target.constData());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    if (verb == "POST") {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body ? body->size() : 0));
    } else if (verb == "PUT") {
        curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(easy, CURLOPT_INFILESIZE_LARGE, curl_off_t(body ? body->size() : 0));
    } else {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.constData());
    }
    if (body) {
        curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, uploadBufferSize);
        curl_easy_setopt(easy, CURLOPT_READFUNCTION, readBody);
        curl_easy_setopt(easy, CURLOPT_READDATA, &transfer);
    } else if (verb == "POST") {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, "");
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, keepAnswer);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, keepHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.get());
    // Idle, not total: a large file may take long, but never long without progress.
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, idleSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, idleSeconds);
    takeRoute(easy, route);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        throw UrlError(UrlError::Code::unknown);
    const auto detach = qScopeGuard([this] { curl_multi_remove_handle(multi, easy); });
    // Declared after the guard, so it is gone before the handle leaves the multi handle.
    const AbortRegistration wakeOnAbort = abort.onAbort([multi = multi] { curl_multi_wakeup(multi); });
    for (int active = 1; active > 0;) {
        abort.throwIfAborted();
        if (curl_multi_perform(multi, &active) != CURLM_OK)
            throw UrlError(UrlError::Code::unknown);
        if (active > 0 && curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
            throw UrlError(UrlError::Code::unknown);
    }
    int queued = 0;
    const CURLMsg* done = curl_multi_info_read(multi, &queued);
    const CURLcode result = done ? done->data.result : CURLE_GOT_NOTHING;
    if (transfer.bodyFailed)
        throw FileError(FileError::Kind::notReadable, body->filePath(), changedDuringUpload);
    if (result == CURLE_OPERATION_TIMEDOUT)
        throw noAnswerError(idleTimeout);
    if (result == CURLE_PEER_FAILED_VERIFICATION && unusableCertificateAuthorities())
        throw *unusableCertificateAuthorities();
    if (result != CURLE_OK)
        throw UrlError(urlErrorCode(result));
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    return HttpResponse{int(status), transfer.answer, transfer.answerHeaders};
}

StreamingConnection::StreamingConnection(NetworkRoute route, std::chrono::milliseconds idleTimeout)
    : route_(std::move(route)), idleTimeout_(idleTimeout), handles_(std::make_shared<Handles>())
{
}

QCoro::Task<HttpResponse> StreamingConnection::send(QByteArray verb, QUrl url, HttpHeaders headers,
                                                    std::shared_ptr<FileRangeBody> body, AbortSignal abort,
                                                    std::optional<std::chrono::milliseconds> requestIdleTimeout)
{
    abort.throwIfAborted();
    const std::chrono::milliseconds idleTimeout = requestIdleTimeout.value_or(idleTimeout_);
    co_return co_await runInBackground([handles = handles_, verb, url, headers, body, route = route_, abort, idleTimeout] {
        return handles->transfer(verb, url, headers, body.get(), route, abort, idleTimeout);
    });
}

} // namespace orvane
