#include "net/TrustStore.h"

#include <QSslCertificate>
#include <QSslConfiguration>

namespace orvane {

void trustCertificateAuthoritiesOf(const Environment& environment)
{
    const QString certificateFile = environment.value(QStringLiteral("SSL_CERT_FILE"));
    if (certificateFile.isEmpty())
        return;
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    // Setting the list also stops Qt from loading the system's store on demand.
    configuration.setCaCertificates(QSslCertificate::fromPath(certificateFile, QSsl::Pem));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

} // namespace orvane
