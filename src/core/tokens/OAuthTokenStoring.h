#pragma once

#include "tokens/OAuthTokenSet.h"

#include <QCoroTask>

#include <optional>

namespace orvane {

// Where the token set lives between launches. Every operation goes to the
// store itself (no cache) and is asynchronous, because a real keyring may be
// slow or may ask the user to unlock it, and the UI thread must not wait.
class OAuthTokenStoring {
public:
    virtual ~OAuthTokenStoring() = default;

    // The stored set, or nothing when none is stored.
    virtual QCoro::Task<std::optional<OAuthTokenSet>> loadTokens() = 0;
    // Replaces the stored set; a failed save leaves the previous set in place.
    virtual QCoro::Task<> saveTokens(OAuthTokenSet tokens) = 0;
    // Removing a set that does not exist succeeds.
    virtual QCoro::Task<> deleteTokens() = 0;
    // Whether a set is stored, found without reading or unlocking its secret,
    // so that asking never prompts the user. Never fails: trouble answers false.
    virtual QCoro::Task<bool> containsTokensWithoutReadingSecret() = 0;
};

} // namespace orvane
