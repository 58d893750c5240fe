#include "tokens/InMemoryTokenStore.h"

namespace orvane {

QCoro::Task<std::optional<OAuthTokenSet>> InMemoryTokenStore::loadTokens()
{
    // A copy: QCoro moves from whatever co_return names, members included.
    co_return std::optional<OAuthTokenSet>(tokens_);
}

QCoro::Task<> InMemoryTokenStore::saveTokens(OAuthTokenSet tokens)
{
    tokens_ = std::move(tokens);
    co_return;
}

QCoro::Task<> InMemoryTokenStore::deleteTokens()
{
    tokens_.reset();
    co_return;
}

QCoro::Task<bool> InMemoryTokenStore::containsTokensWithoutReadingSecret()
{
    co_return tokens_.has_value();
}

} // namespace orvane
