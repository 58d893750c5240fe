// oauth-client.json, written by the user or any of the user's programs: a
// configuration that reads is one that the same form of file gives back.

#include "routing/SecureTransport.h"
#include "signin/OAuthConfiguration.h"
#include "support/DecodingError.h"

#include "FuzzCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace orvane;
using namespace orvane::fuzzing;

namespace {

QByteArray writtenAsFile(const OAuthConfiguration& configuration)
{
    QJsonObject object{{QStringLiteral("clientID"), configuration.clientID},
                       {QStringLiteral("scopes"), QJsonArray::fromStringList(configuration.scopes)}};
    if (configuration.clientSecret)
        object.insert(QStringLiteral("clientSecret"), *configuration.clientSecret);
    if (configuration.tokenEndpointURL)
        object.insert(QStringLiteral("tokenEndpointURL"), configuration.tokenEndpointURL->toString(QUrl::FullyEncoded));
    return QJsonDocument(object).toJson();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OAuthConfiguration configuration;
    try {
        configuration = OAuthConfiguration::fromJson(bytes(data, size));
    } catch (const DecodingError&) {
        return 0;
    }
    if (configuration.tokenEndpointURL)
        carriesSecretsSafely(*configuration.tokenEndpointURL);
    const QByteArray file = writtenAsFile(configuration);
    try {
        require(OAuthConfiguration::fromJson(file) == configuration, "the configuration written back reads otherwise",
                [&] { return QString::fromUtf8(file); });
    } catch (const DecodingError& error) {
        fail("the configuration written back does not read",
             error.localizedDescription() + u'\n' + QString::fromUtf8(file));
    }
    return 0;
}
