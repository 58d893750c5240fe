#include "routing/SecureTransport.h"

#include <QHostAddress>

namespace orvane {

namespace {

bool isLoopbackHost(const QString& host)
{
    // QUrl gives host names in lower case and addresses without brackets.
    return host == QLatin1StringView("localhost") || QHostAddress(host).isLoopback();
}

} // namespace

bool carriesSecretsSafely(const QUrl& url)
{
    const QString host = url.host();
    if (!url.isValid() || host.isEmpty())
        return false;
    return url.scheme() == QLatin1StringView("https")
        || (url.scheme() == QLatin1StringView("http") && isLoopbackHost(host));
}

QString secureTransportRequirement()
{
    return QStringLiteral("tokens travel only over https, or over http to this computer (localhost, 127.0.0.0/8 or ::1)");
}

} // namespace orvane
