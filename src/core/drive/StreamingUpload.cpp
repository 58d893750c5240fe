#include "drive/StreamingUpload.h"

#include "support/BackgroundTask.h"
#include "support/FileError.h"
#include "support/UrlError.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace orvane {

namespace {

const QString changedDuringUpload =
    QStringLiteral("it changed while it was being uploaded, so nothing was kept on Google Drive; open it again once "
                   "it is saved");

} // namespace

FileFramedBody::FileFramedBody(QByteArray head, const QString& filePath, QByteArray tail)
    : head_(std::move(head)), file_(std::make_unique<QFile>(filePath)), tail_(std::move(tail))
{
    if (!file_->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        const auto kind = file_->exists() ? FileError::Kind::notReadable : FileError::Kind::notFound;
        throw FileError(kind, filePath, file_->errorString());
    }
    struct stat status {};
    if (::fstat(file_->handle(), &status) != 0)
        throw FileError(FileError::Kind::notReadable, filePath, QString::fromLocal8Bit(std::strerror(errno)));
    identity_ = {quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size), qint64(status.st_mtim.tv_sec),
                 qint64(status.st_mtim.tv_nsec)};
}

bool FileFramedBody::fileIsUnchanged() const
{
    // The open file must not have been written to, and its path must still
    // name it: a file replaced by a save is another file.
    struct stat opened {};
    struct stat atPath {};
    if (::fstat(file_->handle(), &opened) != 0 || ::stat(QFile::encodeName(filePath()).constData(), &atPath) != 0)
        return false;
    const Identity now{quint64(opened.st_dev), quint64(opened.st_ino), qint64(opened.st_size),
                       qint64(opened.st_mtim.tv_sec), qint64(opened.st_mtim.tv_nsec)};
    return now == identity_ && quint64(atPath.st_dev) == identity_.device && quint64(atPath.st_ino) == identity_.inode;
}

qint64 FileFramedBody::read(char* data, qint64 maxSize)
{
    const auto copyFrom = [&](const QByteArray& bytes, qint64 offset) {
        const qint64 count = std::min(maxSize, bytes.size() - offset);
        std::memcpy(data, bytes.constData() + offset, size_t(count));
        position_ += count;
        return count;
    };
    if (position_ < head_.size())
        return copyFrom(head_, position_);
    const qint64 fileEnd = head_.size() + identity_.size;
    if (position_ < fileEnd) {
        const qint64 count = file_->read(data, std::min(maxSize, fileEnd - position_));
        // A file that shrank since it was opened cannot fill the announced length.
        if (count <= 0)
            return -1;
        position_ += count;
        return count;
    }
    // The last chance to keep a torn copy from being completed: the server
    // takes nothing without the closing boundary.
    if (position_ == fileEnd && !fileIsUnchanged())
        return -1;
    if (position_ - fileEnd >= tail_.size())
        return 0;
    return copyFrom(tail_, position_ - fileEnd);
}

namespace {

struct Transfer {
    FileFramedBody& body;
    QByteArray answer;
    bool bodyFailed = false;
};

size_t readBody(char* buffer, size_t size, size_t count, void* userData)
{
    auto* transfer = static_cast<Transfer*>(userData);
    const qint64 read = transfer->body.read(buffer, qint64(size * count));
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
// when the program starts, on its main thread.
const bool curlInitialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;

// libcurl works through OpenSSL on a pool thread, and OpenSSL's own clean-up
// when such a thread ends can lose its per-thread state; releasing it after
// every transfer keeps the thread clean.
struct OpenSslThreadStateRelease {
    ~OpenSslThreadStateRelease() { OPENSSL_thread_stop(); }
};

// The transfer in a multi handle of its own, whose wait an abort can wake.
struct MultiTransfer {
    CURLM* multi;
    CURL* easy;

    explicit MultiTransfer(CURL* easyHandle) : multi(curl_multi_init()), easy(easyHandle)
    {
        if (!multi || curl_multi_add_handle(multi, easy) != CURLM_OK)
            throw std::bad_alloc();
    }
    ~MultiTransfer()
    {
        curl_multi_remove_handle(multi, easy);
        curl_multi_cleanup(multi);
    }
    MultiTransfer(const MultiTransfer&) = delete;
    MultiTransfer& operator=(const MultiTransfer&) = delete;
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

HttpResponse post(const QUrl& url, const HttpHeaders& headers, FileFramedBody& body, const NetworkRoute& route,
                  const AbortSignal& abort, std::chrono::milliseconds idleTimeout)
{
    if (!curlInitialised)
        throw std::bad_alloc();
    const OpenSslThreadStateRelease releaseThreadState;
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle)
        throw std::bad_alloc();
    std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headerList(nullptr, curl_slist_free_all);
    for (const auto& [name, value] : headers)
        headerList.reset(curl_slist_append(headerList.release(), (name + ": " + value).constData()));

    const QByteArray target = url.toEncoded();
    const long idleSeconds = long(std::max<qint64>(1, std::chrono::ceil<std::chrono::seconds>(idleTimeout).count()));
    Transfer transfer{body, {}, false};
    CURL* const curl = handle.get();
    curl_easy_setopt(curl, CURLOPT_URL, target.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, readBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepAnswer);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headerList.get());
    // Idle, not total: a large file may take long, but never long without progress.
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, idleSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, idleSeconds);
    takeRoute(curl, route);

    const MultiTransfer running(curl);
    // Declared after the multi handle, so it is gone before the handle is.
    const AbortRegistration wakeOnAbort = abort.onAbort([multi = running.multi] { curl_multi_wakeup(multi); });
    for (int active = 1; active > 0;) {
        abort.throwIfAborted();
        if (curl_multi_perform(running.multi, &active) != CURLM_OK)
            throw UrlError(UrlError::Code::unknown);
        if (active > 0 && curl_multi_poll(running.multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
            throw UrlError(UrlError::Code::unknown);
    }
    int queued = 0;
    const CURLMsg* done = curl_multi_info_read(running.multi, &queued);
    const CURLcode result = done ? done->data.result : CURLE_GOT_NOTHING;
    if (transfer.bodyFailed)
        throw FileError(FileError::Kind::notReadable, body.filePath(), changedDuringUpload);
    if (result != CURLE_OK)
        throw UrlError(urlErrorCode(result));
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return HttpResponse{int(status), transfer.answer};
}

} // namespace

QCoro::Task<HttpResponse> postStreaming(QUrl url, HttpHeaders headers, std::shared_ptr<FileFramedBody> body,
                                        NetworkRoute route, AbortSignal abort, std::chrono::milliseconds idleTimeout)
{
    abort.throwIfAborted();
    co_return co_await runInBackground([url, headers, body, route, abort, idleTimeout] {
        return post(url, headers, *body, route, abort, idleTimeout);
    });
}

} // namespace orvane
