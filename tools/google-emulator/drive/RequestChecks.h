#pragma once

#include "FieldSelection.h"
#include "http/FormFields.h"
#include "http/HttpMessage.h"
#include "oauth/OAuthGrants.h"

#include <QStringList>

// The checks every Drive request goes through, refusing with Drive's own
// answers (they throw RequestRefused).
namespace orvane::emulator::drive_requests {

// The parameters every Drive call takes.
extern const QStringList commonParameters;

// The query's parameters, refusing any the endpoint does not take, and repeats.
FormFields checkedQuery(const QByteArray& query, const QStringList& accepted);

// The query's "fields" for a resource of this shape, or fallback without one.
FieldSelection checkedFieldSelection(const FormFields& query, const ResourceShape& shape, const FieldSelection& fallback);

// The client whose access token the request carries: 401 without one, or with
// one that is unknown, expired or revoked.
QString authorizedClient(const HttpRequestHead& head, const OAuthGrants& grants);

} // namespace orvane::emulator::drive_requests
