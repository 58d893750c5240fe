#pragma once

#include "support/Error.h"

namespace orvane {

// The token endpoint refused a code exchange or a refresh. Google's error code
// and description are kept unchanged: the application recognises some of them
// (an "invalid_request" about client_secret means the registration needs a
// secret that was not sent).
class OAuthTokenExchangeError final : public Error {
public:
    // error: Google's error code, or "token_exchange_failed" when the body was
    // not a Google error object. details: Google's error_description, or that
    // body as text (absent when it is not UTF-8).
    OAuthTokenExchangeError(int statusCode, QString error, std::optional<QString> details)
        : statusCode_(statusCode), error_(std::move(error)), details_(std::move(details))
    {
    }

    int statusCode() const { return statusCode_; }
    const QString& error() const { return error_; }
    const std::optional<QString>& details() const { return details_; }

    // "Google OAuth token exchange failed (400, invalid_grant): Bad Request",
    // or "... (400, invalid_grant)." without details.
    std::optional<QString> errorDescription() const override;

    bool operator==(const OAuthTokenExchangeError& other) const
    {
        return statusCode_ == other.statusCode_ && error_ == other.error_ && details_ == other.details_;
    }

protected:
    QString genericDescription() const override { return *errorDescription(); }

private:
    int statusCode_;
    QString error_;
    std::optional<QString> details_;
};

} // namespace orvane
