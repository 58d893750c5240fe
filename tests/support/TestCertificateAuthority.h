#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orvane::testsupport {

// What an emulator needs to serve HTTPS, and what its clients must trust.
struct EmulatorTls {
    QString certificatePath;
    QString keyPath;
    // The authority that signed the certificate (PEM): what SSL_CERT_FILE names.
    QString authorityCertificatePath;
};

// A certificate authority made when a test starts (an EC P-256 key and a
// self-signed certificate valid for a day), and a server certificate it signed
// for 127.0.0.1 and localhost. Everything lives as PEM files in a temporary
// folder of its own; nothing is added to the system's trust.
class TestCertificateAuthority {
public:
    // name: the authority's common name, so that two authorities differ.
    explicit TestCertificateAuthority(const QString& name = QStringLiteral("Orvane Test CA"));

    QString certificatePath() const { return m_folder.filePath(QStringLiteral("authority.pem")); }
    EmulatorTls serverFiles() const;

private:
    QTemporaryDir m_folder;
};

} // namespace orvane::testsupport
