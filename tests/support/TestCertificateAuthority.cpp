#include "TestCertificateAuthority.h"

#include <QFile>

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <functional>
#include <memory>
#include <stdexcept>

namespace orvane::testsupport {

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Certificate = std::unique_ptr<X509, decltype(&X509_free)>;
using Bio = std::unique_ptr<BIO, decltype(&BIO_free)>;

void require(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(std::string("making a test certificate failed at ") + what);
}

Key newKey()
{
    Key key(EVP_EC_gen("P-256"), EVP_PKEY_free);
    require(key != nullptr, "EVP_EC_gen");
    return key;
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr, "X509V3_EXT_conf_nid");
    require(X509_add_ext(certificate, extension, -1) == 1, "X509_add_ext");
    X509_EXTENSION_free(extension);
}

// A certificate for subjectKey named commonName, signed by issuerKey (itself when issuer is null).
Certificate newCertificate(const char* commonName, EVP_PKEY* subjectKey, X509* issuer, EVP_PKEY* issuerKey)
{
    Certificate certificate(X509_new(), X509_free);
    require(certificate && X509_set_version(certificate.get(), X509_VERSION_3) == 1, "X509_set_version");
    unsigned char serial[16];
    require(RAND_bytes(serial, sizeof serial) == 1, "RAND_bytes");
    serial[0] &= 0x7f; // a positive serial number
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    require(BN_to_ASN1_INTEGER(number, X509_get_serialNumber(certificate.get())) != nullptr, "serial");
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
    X509_NAME* name = X509_get_subject_name(certificate.get());
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    require(X509_set_issuer_name(certificate.get(), issuer ? X509_get_subject_name(issuer) : name) == 1, "issuer");
    require(X509_set_pubkey(certificate.get(), subjectKey) == 1, "X509_set_pubkey");

    X509* const signer = issuer ? issuer : certificate.get();
    addExtension(certificate.get(), signer, NID_subject_key_identifier, "hash");
    if (issuer) {
        addExtension(certificate.get(), signer, NID_authority_key_identifier, "keyid:always");
        addExtension(certificate.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
        addExtension(certificate.get(), signer, NID_key_usage, "critical,digitalSignature");
        addExtension(certificate.get(), signer, NID_ext_key_usage, "serverAuth");
        addExtension(certificate.get(), signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
    } else {
        addExtension(certificate.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(certificate.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    }
    require(X509_sign(certificate.get(), issuerKey, EVP_sha256()) > 0, "X509_sign");
    return certificate;
}

void writePem(const QString& path, const std::function<int(BIO*)>& write)
{
    const Bio bio(BIO_new(BIO_s_mem()), BIO_free);
    require(bio && write(bio.get()) == 1, "PEM_write");
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(data, size) == size, "writing a PEM file");
}

} // namespace

TestCertificateAuthority::TestCertificateAuthority(const QString& name)
{
    require(m_folder.isValid(), "making a temporary folder");
    const Key authorityKey = newKey();
    const QByteArray authorityName = name.toUtf8();
    const Certificate authority = newCertificate(authorityName.constData(), authorityKey.get(), nullptr, authorityKey.get());
    const Key serverKey = newKey();
    const Certificate server = newCertificate("127.0.0.1", serverKey.get(), authority.get(), authorityKey.get());

    writePem(certificatePath(), [&](BIO* bio) { return PEM_write_bio_X509(bio, authority.get()); });
    const EmulatorTls files = serverFiles();
    writePem(files.certificatePath, [&](BIO* bio) { return PEM_write_bio_X509(bio, server.get()); });
    writePem(files.keyPath, [&](BIO* bio) {
        return PEM_write_bio_PrivateKey(bio, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
}

EmulatorTls TestCertificateAuthority::serverFiles() const
{
    return {.certificatePath = m_folder.filePath(QStringLiteral("server.pem")),
            .keyPath = m_folder.filePath(QStringLiteral("server-key.pem")),
            .authorityCertificatePath = certificatePath()};
}

} // namespace orvane::testsupport
