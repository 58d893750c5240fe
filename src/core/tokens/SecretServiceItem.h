#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane {

// One item of the desktop's Secret Service (GNOME Keyring, KWallet), found by
// its "service" and "account" attributes in the default collection. Every call
// blocks on D-Bus, and may wait for the user to unlock the keyring, so callers
// run it off the UI thread. Failures throw KeychainTokenStoreError.
class SecretServiceItem {
public:
    SecretServiceItem(QString service, QString account) : service_(std::move(service)), account_(std::move(account)) {}

    // The secret, or nothing when there is no such item. May unlock the collection.
    std::optional<QByteArray> readSecret() const;
    // Creates the item or replaces its secret and label in one step, so a
    // failure leaves the previous secret in place.
    void writeSecret(const QByteArray& secret, const QString& label) const;
    // Removing an item that does not exist succeeds. Unlocks the collection
    // first; throws KeychainTokenStoreError when it stays locked (the user
    // declined, or no one can answer the keyring's prompt).
    void remove() const;
    // Whether the item exists, asked without unlocking anything or loading the
    // secret, so it never prompts.
    bool existsWithoutUnlocking() const;

private:
    QString service_;
    QString account_;
};

} // namespace orvane
