#include "net/TrustStore.h"

#include "support/FileError.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>

#include <sys/stat.h>

#include <cerrno>
#include <mutex>
#include <utility>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

std::mutex pendingFileMutex;
// The file named and not read yet.
std::optional<QString> pendingFile;
std::optional<ConfigurationError> unusableFile;

// Why the file cannot be read, in the system's words or by what it is; empty
// when it can. A pipe is not opened: that would wait for a writer.
QString whyUnreadable(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return FileError::systemReason(errno);
    if (!S_ISREG(status.st_mode))
        return FileError::kindOfNonRegularFile(status.st_mode);
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

} // namespace

void trustCertificateAuthoritiesOf(const Environment& environment)
{
    const QString certificateFile = environment.value(u"SSL_CERT_FILE"_s);
    const std::lock_guard lock(pendingFileMutex);
    unusableFile.reset();
    pendingFile = certificateFile.isEmpty() ? std::nullopt : std::optional(certificateFile);
}

void applyTrustedCertificateAuthorities()
{
    const std::lock_guard lock(pendingFileMutex);
    if (!pendingFile)
        return;
    const QString certificateFile = *std::exchange(pendingFile, std::nullopt);
    const QString whyNot = whyUnreadable(certificateFile);
    const QList<QSslCertificate> authorities =
        whyNot.isEmpty() ? QSslCertificate::fromPath(certificateFile, QSsl::Pem) : QList<QSslCertificate>();
    if (!whyNot.isEmpty())
        unusableFile.emplace(u"SSL_CERT_FILE"_s, certificateFile,
                             u"the file could not be read (%1), and without it no server is trusted"_s.arg(whyNot));
    else if (authorities.isEmpty())
        unusableFile.emplace(u"SSL_CERT_FILE"_s, certificateFile,
                             u"the file holds no certificate in PEM form, so no server is trusted"_s);
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    // Setting the list also stops Qt from loading the system's store on demand.
    configuration.setCaCertificates(authorities);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

const std::optional<ConfigurationError>& unusableCertificateAuthorities()
{
    return unusableFile;
}

} // namespace orvane
