#pragma once

#include "support/Environment.h"

namespace orvane {

// Makes Orvane's HTTPS requests trust the certificate authorities in the PEM
// file that SSL_CERT_FILE names, as OpenSSL's own tools do, instead of the
// system's store; without the variable the system's store stays. It sets Qt's
// default TLS configuration, which every request copies and which the
// streamed upload hands to libcurl, so both always trust the same. Verification
// is never turned off: a file that holds no certificate trusts nothing.
void trustCertificateAuthoritiesOf(const Environment& environment);

} // namespace orvane
