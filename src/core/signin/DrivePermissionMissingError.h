#pragma once

#include "support/Error.h"

namespace orvane {

// The user left out the permission to create files in their Drive on Google's
// consent page: without it no upload can work, so nothing is stored.
class DrivePermissionMissingError final : public Error {
public:
    std::optional<QString> errorDescription() const override
    {
        return QStringLiteral("Orvane needs permission to create files in your Google Drive. Connect Google again and "
                              "allow Orvane to see, edit and create the Google Drive files it uses.");
    }

protected:
    QString genericDescription() const override { return *errorDescription(); }
};

} // namespace orvane
