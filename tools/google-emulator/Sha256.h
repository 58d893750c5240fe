#pragma once

#include <QByteArray>

#include <memory>

struct evp_md_ctx_st;

namespace orvane::emulator {

// Incremental SHA-256 through OpenSSL, which is several times faster than
// QCryptographicHash on large uploads.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(QByteArrayView bytes);
    // The digest as 64 lower-case hexadecimal digits; the hash can't be updated afterwards.
    QByteArray finalHex();

    static QByteArray hexOf(QByteArrayView bytes);

private:
    struct ContextDeleter {
        void operator()(evp_md_ctx_st* context) const;
    };
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> m_context;
};

} // namespace orvane::emulator
