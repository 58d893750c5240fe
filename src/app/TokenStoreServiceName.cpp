#include "TokenStoreServiceName.h"

#include "KeychainTokenStore.h"

namespace orvane {

QString tokenStoreServiceName(const GoogleServiceEndpoints& endpoints)
{
    const QString service = KeychainTokenStore::defaultService();
    if (endpoints == GoogleServiceEndpoints::google())
        return service;
    const QUrl root = endpoints.tokenEndpoint.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
    return service + QLatin1Char('@') + root.toString();
}

} // namespace orvane
