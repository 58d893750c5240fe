#include "net/NetworkRoute.h"

#include "net/TrustStore.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QSslConfiguration>

#include <algorithm>

namespace orvane {

namespace {

// Qt tries a factory's answers in order; libcurl takes one, so the first that
// it can speak (a direct connection, HTTP CONNECT or SOCKS 5) is the route.
QNetworkProxy proxyTo(const QUrl& url, const QNetworkAccessManager& manager)
{
    if (manager.proxy().type() != QNetworkProxy::DefaultProxy)
        return manager.proxy();
    const QNetworkProxyQuery query(url);
    const QList<QNetworkProxy> answers = manager.proxyFactory() ? manager.proxyFactory()->queryProxy(query)
                                                                : QNetworkProxyFactory::proxyForQuery(query);
    const auto usable = std::find_if(answers.cbegin(), answers.cend(), [](const QNetworkProxy& proxy) {
        return proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::HttpProxy
            || proxy.type() == QNetworkProxy::Socks5Proxy;
    });
    return usable != answers.cend() ? *usable : QNetworkProxy(QNetworkProxy::NoProxy);
}

} // namespace

NetworkRoute NetworkRoute::to(const QUrl& url, const QNetworkAccessManager& manager)
{
    applyTrustedCertificateAuthorities();
    QByteArray pem;
    for (const QSslCertificate& authority : QSslConfiguration::defaultConfiguration().caCertificates())
        pem += authority.toPem();
    return {proxyTo(url, manager), pem};
}

} // namespace orvane
