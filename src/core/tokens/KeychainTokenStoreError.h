#pragma once

#include "support/Error.h"

namespace orvane {

// A failure of the system keyring (the Secret Service), with its own code and
// message. It never carries a token: the keyring's messages are about the
// service, not the secret.
class KeychainTokenStoreError final : public Error {
public:
    // domain and code: the failing component's error domain and code, as the
    // keyring library reported them.
    KeychainTokenStoreError(QString domain, int code, QString message)
        : domain_(std::move(domain)), code_(code), message_(std::move(message))
    {
    }

    const QString& domain() const { return domain_; }
    int code() const { return code_; }
    const QString& message() const { return message_; }

    bool operator==(const KeychainTokenStoreError& other) const
    {
        return domain_ == other.domain_ && code_ == other.code_ && message_ == other.message_;
    }

protected:
    QString genericDescription() const override
    {
        return QStringLiteral("The system keyring is not available (%1).").arg(message_);
    }

private:
    QString domain_;
    int code_;
    QString message_;
};

} // namespace orvane
