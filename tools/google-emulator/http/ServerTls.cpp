#include "ServerTls.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

std::variant<QSslConfiguration, QString> serverTlsConfiguration(const QString& certificatePath, const QString& keyPath)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificatePath, QSsl::Pem);
    if (chain.isEmpty())
        return u"No PEM certificate could be read from %1."_s.arg(certificatePath);
    QFile keyFile(keyPath);
    if (!keyFile.open(QIODevice::ReadOnly))
        return u"Cannot read the TLS key %1: %2"_s.arg(keyPath, keyFile.errorString());
    const QByteArray pem = keyFile.readAll();
    QSslKey key(pem, QSsl::Ec, QSsl::Pem);
    if (key.isNull())
        key = QSslKey(pem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull())
        return u"%1 holds no PEM private key (EC or RSA)."_s.arg(keyPath);

    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone); // clients are not asked for certificates
    return configuration;
}

} // namespace orvane::emulator
