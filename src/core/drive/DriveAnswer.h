#pragma once

#include "net/HttpExchange.h"
#include "net/RetryPolicy.h"
#include "support/UrlError.h"

namespace orvane {

// Whether Google asks for this Drive answer to be tried again: 429, a server
// failure (500, 502, 503, 504), or a 403 whose reason is a rate limit.
bool isTransientDriveAnswer(const HttpResponse& response);

// The error a failed Drive answer ends in: UrlError::badServerResponse with
// the status and the message of Google's error object, when it has one.
UrlError driveAnswerError(const HttpResponse& response);

} // namespace orvane
