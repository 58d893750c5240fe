#include "state/Sha256.h"

#include <openssl/evp.h>

#include <new>

namespace orvane {

void Sha256::ContextDeleter::operator()(evp_md_ctx_st* context) const
{
    EVP_MD_CTX_free(context);
}

namespace {

// Fetched once, when the program starts on its main thread: OpenSSL then
// initialises itself there, and hashing on worker threads neither looks the
// algorithm up again nor leaves OpenSSL's per-thread state in them.
const EVP_MD* const sha256Algorithm = EVP_MD_fetch(nullptr, "SHA256", nullptr);

} // namespace

Sha256::Sha256() : context_(EVP_MD_CTX_new())
{
    // Failing here means OpenSSL could not allocate or has no SHA-256 at all.
    if (!context_ || !sha256Algorithm || EVP_DigestInit_ex2(context_.get(), sha256Algorithm, nullptr) != 1)
        throw std::bad_alloc();
}

Sha256::~Sha256() = default;

void Sha256::update(QByteArrayView bytes)
{
    if (EVP_DigestUpdate(context_.get(), bytes.data(), static_cast<size_t>(bytes.size())) != 1)
        throw std::bad_alloc();
}

QByteArray Sha256::finalize()
{
    QByteArray digest(EVP_MAX_MD_SIZE, Qt::Uninitialized);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_.get(), reinterpret_cast<unsigned char*>(digest.data()), &length) != 1)
        throw std::bad_alloc();
    digest.truncate(length);
    return digest;
}

QByteArray Sha256::digest(QByteArrayView bytes)
{
    Sha256 hasher;
    hasher.update(bytes);
    return hasher.finalize();
}

QString Sha256::hexDigest(QByteArrayView bytes)
{
    return QString::fromLatin1(digest(bytes).toHex());
}

} // namespace orvane
