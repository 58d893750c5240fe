#include "signin/PKCE.h"

#include "signin/SecureRandomError.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <openssl/rand.h>

namespace orvane::PKCE {

namespace {

QString base64url(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), count) != 1)
        throw SecureRandomError();
    return bytes;
}

} // namespace

QString generateCodeVerifier()
{
    return base64url(randomBytes(32));
}

QString generateState()
{
    return base64url(randomBytes(24));
}

QString codeChallenge(const QString& verifier)
{
    return base64url(QCryptographicHash::hash(verifier.toUtf8(), QCryptographicHash::Sha256));
}

} // namespace orvane::PKCE
