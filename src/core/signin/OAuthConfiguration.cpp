#include "signin/OAuthConfiguration.h"

#include "support/ConfigurationError.h"
#include "support/FileError.h"
#include "routing/GoogleServiceEndpoints.h"
#include "routing/SecureTransport.h"
#include "support/JsonDecoding.h"
#include "routing/OrvaneError.h"

#include <QFile>
#include <QFileInfo>

namespace orvane {

namespace {

std::optional<OAuthConfiguration> fromEnvironment(const Environment& environment)
{
    const QString clientID = environment.value(QLatin1StringView(OAuthConfiguration::clientIDVariable));
    if (clientID.isEmpty())
        return std::nullopt;
    const auto secret = environment.constFind(QLatin1StringView(OAuthConfiguration::clientSecretVariable));
    const auto endpoint = environment.constFind(QLatin1StringView(OAuthConfiguration::tokenEndpointURLVariable));
    std::optional<QUrl> tokenEndpointURL;
    if (endpoint != environment.constEnd()) {
        // An address that does not parse falls back to Google's endpoint.
        const QUrl url(*endpoint, QUrl::StrictMode);
        if (!endpoint->isEmpty() && url.isValid())
            tokenEndpointURL = url;
    }
    return OAuthConfiguration{
        .clientID = clientID,
        .clientSecret = secret != environment.constEnd() ? std::optional<QString>(*secret) : std::nullopt,
        .tokenEndpointURL = tokenEndpointURL,
        .scopes = OAuthConfiguration::defaultScopes(),
    };
}

OAuthConfiguration fromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(FileError::Kind::notReadable, path, file.errorString());
    try {
        return OAuthConfiguration::fromJson(contents);
    } catch (const DecodingError& error) {
        throw error.readFrom(path);
    }
}

QString tokenEndpointSetting(const QString& path)
{
    return QStringLiteral("tokenEndpointURL in \u201C%1\u201D").arg(path);
}

// The token endpoint receives the authorisation code and the refresh token:
// an address that would carry them in clear text over a network is refused.
OAuthConfiguration requireSecureTokenEndpoint(OAuthConfiguration configuration, const QString& setting)
{
    const std::optional<QUrl>& endpoint = configuration.tokenEndpointURL;
    if (endpoint && !carriesSecretsSafely(*endpoint))
        throw ConfigurationError(setting, endpoint->toString(), secureTransportRequirement());
    return configuration;
}

} // namespace

QStringList OAuthConfiguration::defaultScopes()
{
    return {GoogleServiceEndpoints::driveFileScope()};
}

OAuthConfiguration OAuthConfiguration::load(const Environment& environment, const QUrl& applicationSupportURL,
                                            const ApplicationBundle& bundle)
{
    if (std::optional<OAuthConfiguration> configuration = fromEnvironment(environment))
        return requireSecureTokenEndpoint(*std::move(configuration), QString::fromLatin1(tokenEndpointURLVariable));
    const QString applicationSupportPath = applicationSupportURL.toLocalFile();
    if (!applicationSupportPath.isEmpty() && QFileInfo::exists(applicationSupportPath))
        return requireSecureTokenEndpoint(fromFile(applicationSupportPath), tokenEndpointSetting(applicationSupportPath));
    if (const std::optional<QString> resource = bundle.resourcePath(QStringLiteral("GoogleOAuth"), QStringLiteral("json")))
        return requireSecureTokenEndpoint(fromFile(*resource), tokenEndpointSetting(*resource));
    throw OrvaneError::missingOAuthClientID();
}

OAuthConfiguration OAuthConfiguration::fromJson(const QByteArray& json)
{
    const QJsonObject object = json::parseObject(json);
    return {
        .clientID = json::requireString(object, QLatin1StringView("clientID")),
        .clientSecret = json::optionalString(object, QLatin1StringView("clientSecret")),
        .tokenEndpointURL = json::optionalUrl(object, QLatin1StringView("tokenEndpointURL")),
        .scopes = json::requireStringList(object, QLatin1StringView("scopes")),
    };
}

} // namespace orvane
