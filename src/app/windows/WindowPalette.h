#pragma once

class QQuickWindow;

namespace orvane {

// Gives a window's controls the desktop's colours, now and each time the
// desktop changes them (a switch between light and dark while the window is
// shown). Qt Quick Controls' styles carry palettes of their own, made before
// the desktop's were known, and the controls would keep dark text on a dark
// desktop's window; a palette set on the window comes before those.
void followApplicationPalette(QQuickWindow& window);

} // namespace orvane
