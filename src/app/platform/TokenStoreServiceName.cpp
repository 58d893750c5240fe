#include "platform/TokenStoreServiceName.h"

#include "tokens/KeychainTokenStore.h"

namespace orvane {

QString tokenStoreServiceName(const GoogleServiceEndpoints& endpoints)
{
    const QString service = KeychainTokenStore::defaultService();
    const std::optional<QUrl> standInRoot = endpoints.standInRoot();
    return standInRoot ? service + QLatin1Char('@') + standInRoot->toString() : service;
}

} // namespace orvane
