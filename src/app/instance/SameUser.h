#pragma once

#include <QString>

namespace orvane {

// Only the user's own processes take part in a hand-over: the running Orvane
// would otherwise open files another user named, and a start would tell
// another user which files it opens.

// Whether the folder is the user's own and no other user can write to it,
// which is where nobody else can put a socket or a lock in Orvane's place.
// Makes the folder, private, when it is missing.
bool isPrivateFolder(const QString& path);

// Whether the process at the other end of a connected local socket runs as
// this user.
bool peerIsSameUser(int socketDescriptor);

} // namespace orvane
