#pragma once

#include <QString>

namespace orvane {

// Creates the folder and every missing folder above it readable by the user
// alone (0700): they hold local paths and Drive file IDs. Folders that exist
// are left as they are. Throws FileError naming the folder that could not be made.
void createPrivateFolders(const QString& path);

} // namespace orvane
