#pragma once

#include "support/Error.h"

#include <QNetworkReply>

namespace orvane {

// A failure of an HTTP exchange: the transport, a time-out, or an answer the
// caller could not accept. Codes follow the platform URL error codes. An
// answer refused for its status keeps the status and what the server said.
class UrlError final : public Error {
public:
    enum class Code : int {
        unknown = -1,
        cancelled = -999,
        badURL = -1000,
        timedOut = -1001,
        unsupportedURL = -1002,
        cannotFindHost = -1003,
        cannotConnectToHost = -1004,
        networkConnectionLost = -1005,
        badServerResponse = -1011,
        secureConnectionFailed = -1200,
        serverCertificateUntrusted = -1202,
    };

    explicit UrlError(Code code) : code_(code) {}
    // An answer with this status, and the server's own explanation when it gave one.
    UrlError(Code code, int statusCode, std::optional<QString> serverMessage)
        : code_(code), statusCode_(statusCode), serverMessage_(std::move(serverMessage))
    {
    }
    // A failure without an answer, and what Orvane knows of it.
    UrlError(Code code, QString detail) : code_(code), serverMessage_(std::move(detail)) {}

    // The error of a finished reply whose transport failed. HTTP statuses are
    // the caller's to judge, so they never reach this.
    static UrlError fromNetworkError(QNetworkReply::NetworkError error);

    Code code() const { return code_; }
    const std::optional<int>& statusCode() const { return statusCode_; }
    const std::optional<QString>& serverMessage() const { return serverMessage_; }
    bool operator==(const UrlError& other) const
    {
        return code_ == other.code_ && statusCode_ == other.statusCode_ && serverMessage_ == other.serverMessage_;
    }

protected:
    // The sentence for the code, followed by the server's message when there is one.
    QString genericDescription() const override;

private:
    QString codeDescription() const;

    Code code_;
    std::optional<int> statusCode_;
    std::optional<QString> serverMessage_;
};

} // namespace orvane
