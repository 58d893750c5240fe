#pragma once

#include "tokens/OAuthTokenStoring.h"

namespace orvane {

// A token store that lives only as long as the object: for tests, and for
// anything that must not touch the user's keyring.
class InMemoryTokenStore final : public OAuthTokenStoring {
public:
    explicit InMemoryTokenStore(std::optional<OAuthTokenSet> tokens = std::nullopt) : tokens_(std::move(tokens)) {}

    QCoro::Task<std::optional<OAuthTokenSet>> loadTokens() override;
    QCoro::Task<> saveTokens(OAuthTokenSet tokens) override;
    QCoro::Task<> deleteTokens() override;
    QCoro::Task<bool> containsTokensWithoutReadingSecret() override;

private:
    std::optional<OAuthTokenSet> tokens_;
};

} // namespace orvane
