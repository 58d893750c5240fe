#pragma once

#include "model/DesktopActions.h"

namespace orvane {

// The system's default browser (through the desktop's URL handler). Throws
// BrowserUnavailableError when the desktop can start no browser.
BrowserOpener systemBrowserOpener();
// The system clipboard; needs the GUI application object.
ClipboardWriter systemClipboardWriter();

} // namespace orvane
