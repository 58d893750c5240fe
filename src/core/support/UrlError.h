#pragma once

#include "support/Error.h"

#include <QNetworkReply>

namespace orvane {

// A failure of an HTTP exchange: the transport, a time-out, or an answer the
// caller could not accept. Codes follow the platform URL error codes.
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
    };

    explicit UrlError(Code code) : code_(code) {}

    // The error of a finished reply whose transport failed. HTTP statuses are
    // the caller's to judge, so they never reach this.
    static UrlError fromNetworkError(QNetworkReply::NetworkError error);

    Code code() const { return code_; }
    bool operator==(const UrlError& other) const { return code_ == other.code_; }

protected:
    QString genericDescription() const override;

private:
    Code code_;
};

} // namespace orvane
