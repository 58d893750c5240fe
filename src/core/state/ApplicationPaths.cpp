#include "state/ApplicationPaths.h"

#include <QStandardPaths>

namespace orvane {

ApplicationPaths ApplicationPaths::standard(const GoogleServiceEndpoints& endpoints)
{
    return ApplicationPaths(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
                                + applicationSupportDirectoryName,
                            endpoints);
}

QUrl ApplicationPaths::applicationSupportDirectory() const
{
    return QUrl::fromLocalFile(applicationSupportDirectory_ + QLatin1Char('/'));
}

QUrl ApplicationPaths::item(const QString& name) const
{
    return QUrl::fromLocalFile(applicationSupportDirectory_ + QLatin1Char('/') + name);
}

QUrl ApplicationPaths::defaultStateFileURL() const
{
    if (standInName_)
        return item(QStringLiteral("stand-ins/%1/local-state.json").arg(*standInName_));
    return item(QStringLiteral("local-state.json"));
}

QUrl ApplicationPaths::pendingOpensFileURL() const
{
    return defaultStateFileURL().resolved(QUrl(QStringLiteral("pending-opens.json")));
}

QUrl ApplicationPaths::defaultOAuthClientConfigURL() const
{
    return item(QStringLiteral("oauth-client.json"));
}

QUrl ApplicationPaths::samplesDirectory() const
{
    return item(QStringLiteral("Samples/"));
}

} // namespace orvane
