#pragma once

#include "support/Error.h"

namespace orvane {

// Google refused the stored refresh token as expired or revoked (invalid_grant
// on a refresh): the user removed Orvane's access, or the registration is in
// testing and its tokens last only days. Only a new sign-in helps.
class GoogleAccessExpiredError final : public Error {
public:
    std::optional<QString> errorDescription() const override
    {
        return QStringLiteral("Google access has expired or was revoked. Connect Google again to go on opening files.");
    }

protected:
    QString genericDescription() const override { return *errorDescription(); }
};

} // namespace orvane
