#pragma once

#include <QString>

// The per-sign-in secrets of the OAuth flow for installed applications: the
// PKCE code verifier with its S256 challenge (RFC 7636), and the state value
// that ties the redirect to this sign-in. All are base64url without padding.
namespace orvane::PKCE {

// 32 secure random bytes: 43 characters of letters, digits, "-" and "_".
// Throws SecureRandomError when the generator fails.
QString generateCodeVerifier();

// 24 secure random bytes: 32 characters. Throws SecureRandomError.
QString generateState();

// The SHA-256 digest of the verifier's UTF-8 bytes: 43 characters.
QString codeChallenge(const QString& verifier);

} // namespace orvane::PKCE
