#pragma once

namespace orvane {

// One look for the tray menu and the windows: the Fusion style for widgets
// and Qt Quick Controls alike, and a Japanese font behind the user's own so
// that the Japanese texts render with Japanese glyph forms. Call after the
// application object exists and before the first view is made.
void applyApplicationAppearance();

} // namespace orvane
