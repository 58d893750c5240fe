#pragma once

#include "support/ConfigurationError.h"
#include "support/Environment.h"

#include <optional>

namespace orvane {

// Makes Orvane's HTTPS requests trust the certificate authorities in the PEM
// file that SSL_CERT_FILE names, as OpenSSL's own tools do, instead of the
// system's store; without the variable the system's store stays. It sets Qt's
// default TLS configuration, which every request copies and which the
// streamed upload hands to libcurl, so both always trust the same. Verification
// is never turned off: a file that cannot be read or holds no certificate
// trusts nothing.
//
// The file is read when the first request is made, not now: a system store
// of a few hundred authorities takes tens of milliseconds to read, which a
// start that only reopens a known Google file never needs.
void trustCertificateAuthoritiesOf(const Environment& environment);

// Called before a request is made (makeRequest, NetworkRoute::to): reads the
// file named by the last trustCertificateAuthoritiesOf, once.
void applyTrustedCertificateAuthorities();

// Why the file SSL_CERT_FILE names trusts nothing, when it could not be read
// or held no certificate: a refused certificate is then told as this, since
// the server is not what is wrong.
const std::optional<ConfigurationError>& unusableCertificateAuthorities();

} // namespace orvane
