#pragma once

#include "http/HttpMessage.h"

#include <QString>

#include <optional>

// The error bodies Google's services answer with.
namespace orvane::emulator::google {

// Where in the request an API error lies, e.g. {"q", "parameter"} or {"Authorization", "header"}.
struct ErrorLocation {
    QString location;
    QString locationType;
};

// The Drive API's error object: {"error": {"code", "message", "errors": [...]}}, with
// "status" (e.g. "UNAUTHENTICATED") when given.
HttpResponse apiError(int status, const QString& reason, const QString& message,
                      const std::optional<ErrorLocation>& location = std::nullopt,
                      const std::optional<QString>& statusName = std::nullopt);

// The Drive API's error object for a usage limit (domain "usageLimits"), e.g.
// 403 userRateLimitExceeded "User Rate Limit Exceeded".
HttpResponse usageLimitError(int status, const QString& reason, const QString& message);

// The OAuth endpoints' error object: {"error", "error_description"}.
HttpResponse oauthError(int status, const QString& error, const QString& description);

// The 401 for a request without credentials, and for one with a bad or expired token.
HttpResponse missingCredentials();
HttpResponse invalidCredentials();

// A 400 for a parameter value the API does not accept.
HttpResponse invalidParameter(const QString& parameter, const QString& message);

} // namespace orvane::emulator::google
