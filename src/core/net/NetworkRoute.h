#pragma once

#include <QByteArray>
#include <QNetworkProxy>
#include <QUrl>

#include <optional>

class QNetworkAccessManager;

namespace orvane {

// How a request that does not go through Qt (the streamed upload on libcurl)
// reaches a URL the way Qt's requests reach it, so that lookups and upload
// never take different roads.
struct NetworkRoute {
    // The proxy Qt's requests to the URL go through: NoProxy for a direct
    // connection, else an HTTP or SOCKS 5 proxy.
    QNetworkProxy proxy;
    // The authorities Qt's requests trust, as PEM; empty while Qt trusts the
    // system's store.
    QByteArray trustedAuthoritiesPem;

    // The answer of the manager's own proxy, else of its proxy factory, else
    // of Qt's application proxy factory, for url; and Qt's default authorities.
    static NetworkRoute to(const QUrl& url, const QNetworkAccessManager& manager);
};

} // namespace orvane
