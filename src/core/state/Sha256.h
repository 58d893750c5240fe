#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

struct evp_md_ctx_st;

namespace orvane {

// Incremental SHA-256 on OpenSSL's EVP interface, which is several times
// faster here than QCryptographicHash.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(QByteArrayView bytes);
    // The 32-byte digest; the hasher is spent afterwards.
    QByteArray finalize();

    static QByteArray digest(QByteArrayView bytes);
    // 64 lower-case hexadecimal characters.
    static QString hexDigest(QByteArrayView bytes);

private:
    struct ContextDeleter {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> context_;
};

} // namespace orvane
