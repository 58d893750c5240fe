#include "routing/GoogleServiceEndpoints.h"

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
        .driveUploadEndpoint = QUrl(QStringLiteral("https://www.googleapis.com/upload/drive/v3/files")),
        .docsWebRoot = QUrl(QStringLiteral("https://docs.google.com")),
        .driveWebRoot = QUrl(QStringLiteral("https://drive.google.com")),
    };
}

GoogleServiceEndpoints GoogleServiceEndpoints::fromEnvironment(const Environment& environment)
{
    const QUrl root(environment.value(QLatin1StringView(serviceRootVariable)), QUrl::StrictMode);
    const bool isWebRoot = root.isValid() && !root.host().isEmpty()
        && (root.scheme() == QLatin1StringView("http") || root.scheme() == QLatin1StringView("https"));
    return isWebRoot ? google().withServiceRoot(root) : google();
}

GoogleServiceEndpoints GoogleServiceEndpoints::withServiceRoot(const QUrl& root) const
{
    return {
        .authorizationEndpoint = rehosted(authorizationEndpoint, root),
        .tokenEndpoint = rehosted(tokenEndpoint, root),
        .driveFilesEndpoint = rehosted(driveFilesEndpoint, root),
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

} // namespace orvane
