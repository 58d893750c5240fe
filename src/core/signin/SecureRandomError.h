#pragma once

#include "support/Error.h"

namespace orvane {

// The system's cryptographically secure random generator could not deliver
// bytes. Sign-in values are never made from anything weaker.
class SecureRandomError final : public Error {
protected:
    QString genericDescription() const override
    {
        return QStringLiteral("The secure random number generator is not available.");
    }
};

} // namespace orvane
