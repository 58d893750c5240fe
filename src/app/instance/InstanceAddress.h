#pragma once

#include "support/Environment.h"

#include <QString>

namespace orvane {

// Where a user's running Orvane is found: the socket it takes requests on,
// and the lock beside it that marks it as the running one.
struct InstanceAddress {
    QString socketPath;
    QString lockPath;

    // In XDG_RUNTIME_DIR (private to the user) when it is set, else in a
    // folder of the temporary folder named for the user id. An Orvane on a
    // stand-in Google service has an address of its own.
    static InstanceAddress of(const Environment& environment);
    // The socket at socketPath and its lock.
    static InstanceAddress at(const QString& socketPath);

    // Whether the socket's folder is the user's alone (see isPrivateFolder):
    // an Orvane whose folder is not runs alone, and a start hands nothing over.
    bool hasPrivateFolder() const;

    bool operator==(const InstanceAddress&) const = default;
};

} // namespace orvane
