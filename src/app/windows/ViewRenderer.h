#pragma once

#include "support/Environment.h"

#include <QString>

class QQuickWindow;

namespace orvane {

// On Linux the windows draw with Qt Quick's software renderer: they are
// forms, lists and text, and OpenGL through the driver keeps the driver's
// code (about 60 MiB) mapped for the life of a tray process once a window
// was drawn. A renderer the user's environment names (QT_QUICK_BACKEND,
// QSG_RHI_BACKEND) is left to Qt. Call before the first window is made.
void chooseViewRenderer(const Environment& environment);

// What draws a window whose scene graph is up, for the activity log:
// "software", "OpenGL", ...
QString viewRendererName(const QQuickWindow& window);

} // namespace orvane
