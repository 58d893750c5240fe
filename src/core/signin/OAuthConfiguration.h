#pragma once

#include "support/ApplicationBundle.h"
#include "support/Environment.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace orvane {

// The application's Google OAuth client registration. None is built into the
// program: it comes from the environment or a JSON file.
struct OAuthConfiguration {
    static constexpr const char* clientIDVariable = "ORVANE_GOOGLE_CLIENT_ID";
    static constexpr const char* clientSecretVariable = "ORVANE_GOOGLE_CLIENT_SECRET";
    static constexpr const char* tokenEndpointURLVariable = "ORVANE_GOOGLE_TOKEN_ENDPOINT_URL";

    QString clientID;
    std::optional<QString> clientSecret;
    // The application's own server-side token endpoint, used instead of
    // Google's; it is never sent the client secret.
    std::optional<QUrl> tokenEndpointURL;
    QStringList scopes;

    // Only the drive.file scope: the application sees just the files it made.
    static QStringList defaultScopes();

    // The first source that applies, never a mix: the environment when it names
    // a client ID, else the file at applicationSupportURL when it exists, else
    // the bundle's GoogleOAuth.json. Throws OrvaneError::missingOAuthClientID
    // when none applies, FileError or DecodingError for a file that is there
    // but unusable, ConfigurationError for a token endpoint that would carry
    // tokens in clear text over a network.
    static OAuthConfiguration load(const Environment& environment, const QUrl& applicationSupportURL,
                                   const ApplicationBundle& bundle);

    // Strict: "clientID" and "scopes" are required, "tokenEndpointURL" must be a URL.
    static OAuthConfiguration fromJson(const QByteArray& json);

    bool operator==(const OAuthConfiguration&) const = default;
};

} // namespace orvane
