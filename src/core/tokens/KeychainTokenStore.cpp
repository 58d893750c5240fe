#include "tokens/KeychainTokenStore.h"

#include "support/BackgroundTask.h"
#include "tokens/KeychainTokenStoreError.h"

namespace orvane {

// Each operation hands the background work its own copy of the item, so the
// work never reaches back into the store, and returns the work's task as its own.

QCoro::Task<std::optional<OAuthTokenSet>> KeychainTokenStore::loadTokens()
{
    return runInBackground([item = item_]() -> std::optional<OAuthTokenSet> {
        const std::optional<QByteArray> secret = item.readSecret();
        if (!secret)
            return std::nullopt;
        return OAuthTokenSet::fromJson(*secret);
    });
}

QCoro::Task<> KeychainTokenStore::saveTokens(OAuthTokenSet tokens)
{
    return runInBackground([item = item_, json = tokens.toJson()] { item.writeSecret(json, itemLabel()); });
}

QCoro::Task<> KeychainTokenStore::deleteTokens()
{
    return runInBackground([item = item_] { item.remove(); });
}

QCoro::Task<bool> KeychainTokenStore::containsTokensWithoutReadingSecret()
{
    return runInBackground([item = item_] {
        try {
            return item.existsWithoutUnlocking();
        } catch (const KeychainTokenStoreError&) {
            // Start-up only wants to know whether to show the account as
            // connected; an unreachable keyring simply means no.
            return false;
        }
    });
}

} // namespace orvane
