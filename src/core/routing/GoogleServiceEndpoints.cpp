#include "routing/GoogleServiceEndpoints.h"

#include "routing/SecureTransport.h"
#include "support/ConfigurationError.h"

#include <QCryptographicHash>

namespace orvane {

namespace {

QUrl rehosted(QUrl url, const QUrl& root)
{
    url.setScheme(root.scheme());
    url.setHost(root.host());
    url.setPort(root.port());
    return url;
}

} // namespace

QString GoogleServiceEndpoints::driveFileScope()
{
    return QStringLiteral("https://www.googleapis.com/auth/drive.file");
}

GoogleServiceEndpoints GoogleServiceEndpoints::google()
{
    return {
        .authorizationEndpoint = QUrl(QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth")),
        .tokenEndpoint = QUrl(QStringLiteral("https://oauth2.googleapis.com/token")),
        .driveFilesEndpoint = QUrl(QStringLiteral("https://www.googleapis.com/drive/v3/files")),
        .driveAboutEndpoint = QUrl(QStringLiteral("https://www.googleapis.com/drive/v3/about")),
        .driveUploadEndpoint = QUrl(QStringLiteral("https://www.googleapis.com/upload/drive/v3/files")),
        .docsWebRoot = QUrl(QStringLiteral("https://docs.google.com")),
        .driveWebRoot = QUrl(QStringLiteral("https://drive.google.com")),
    };
}

GoogleServiceEndpoints GoogleServiceEndpoints::fromEnvironment(const Environment& environment)
{
    const QString value = environment.value(QLatin1StringView(serviceRootVariable));
    if (value.isEmpty())
        return google();
    const QUrl root(value, QUrl::StrictMode);
    const bool isWebScheme = root.scheme() == QLatin1StringView("http") || root.scheme() == QLatin1StringView("https");
    // "/" is the root itself; anything more would be silently dropped.
    const bool isRoot = root.isValid() && isWebScheme && !root.host().isEmpty() && root.userInfo().isEmpty()
        && (root.path().isEmpty() || root.path() == QLatin1StringView("/")) && !root.hasQuery() && !root.hasFragment();
    if (!isRoot)
        throw ConfigurationError(QString::fromLatin1(serviceRootVariable), value,
                                 QStringLiteral("it must be an http or https address of a host, with an optional "
                                                "port and no path, such as http://127.0.0.1:8765"));
    if (!carriesSecretsSafely(root))
        throw ConfigurationError(QString::fromLatin1(serviceRootVariable), value, secureTransportRequirement());
    return google().withServiceRoot(root);
}

GoogleServiceEndpoints GoogleServiceEndpoints::withServiceRoot(const QUrl& root) const
{
    return {
        .authorizationEndpoint = rehosted(authorizationEndpoint, root),
        .tokenEndpoint = rehosted(tokenEndpoint, root),
        .driveFilesEndpoint = rehosted(driveFilesEndpoint, root),
        .driveAboutEndpoint = rehosted(driveAboutEndpoint, root),
        .driveUploadEndpoint = rehosted(driveUploadEndpoint, root),
        .docsWebRoot = rehosted(docsWebRoot, root),
        .driveWebRoot = rehosted(driveWebRoot, root),
    };
}

std::optional<QUrl> GoogleServiceEndpoints::standInRoot() const
{
    if (*this == google())
        return std::nullopt;
    return tokenEndpoint.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
}

std::optional<QString> GoogleServiceEndpoints::standInName() const
{
    const std::optional<QUrl> root = standInRoot();
    if (!root)
        return std::nullopt;
    // A digest keeps names short, and fit for a file name, whatever the root.
    const QByteArray digest = QCryptographicHash::hash(root->toString().toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex().left(16));
}

} // namespace orvane
