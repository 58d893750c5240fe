#pragma once

#include <QString>

namespace orvane {

// The application's desktop id: the name of the desktop entry the package
// installs. The desktop knows Orvane by it, as the default application for
// its files and as a program started at login.
inline const QString desktopEntryFileName = QStringLiteral("app.orvane.Orvane.desktop");

} // namespace orvane
