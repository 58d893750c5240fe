#pragma once

class QSettings;

namespace orvane {

// Writes the settings' changes to their file now, and either they land
// whole or the previous file stays. QSettings cannot promise that itself on
// Qt 6.4: when the disk fills up after it made its lock file, it renames an
// empty file over the good one and reports no error. Throws FileError naming
// the settings file.
void syncSettings(QSettings& settings);

} // namespace orvane
