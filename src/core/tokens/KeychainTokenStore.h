#pragma once

#include "tokens/OAuthTokenStoring.h"
#include "tokens/SecretServiceItem.h"

#include <QString>

namespace orvane {

// The token set as one JSON item in the system keyring (the Secret Service),
// never in a plain file. Keyring calls block, so each runs on the thread pool
// and the caller's thread only awaits it. Keyring failures throw
// KeychainTokenStoreError; a stored item that is not a token set throws
// DecodingError.
class KeychainTokenStore final : public OAuthTokenStoring {
public:
    // The label a user sees for the item in their keyring manager.
    static QString itemLabel() { return QStringLiteral("Orvane Google sign-in"); }
    static QString defaultService() { return QStringLiteral("app.orvane.Orvane.oauth"); }
    static QString defaultAccount() { return QStringLiteral("google"); }

    // service: a reverse-DNS name ending in ".oauth"; a stand-in Google
    // service gets a name of its own, so its tokens never mix with real ones.
    explicit KeychainTokenStore(QString service = defaultService(), QString account = defaultAccount())
        : item_(std::move(service), std::move(account))
    {
    }

    QCoro::Task<std::optional<OAuthTokenSet>> loadTokens() override;
    QCoro::Task<> saveTokens(OAuthTokenSet tokens) override;
    QCoro::Task<> deleteTokens() override;
    QCoro::Task<bool> containsTokensWithoutReadingSecret() override;

private:
    SecretServiceItem item_;
};

} // namespace orvane
