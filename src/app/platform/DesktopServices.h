#pragma once

#include "platform/WebBrowser.h"

#include <QString>

#include <functional>

namespace orvane {

// Puts text on the system clipboard as plain text.
using ClipboardWriter = std::function<void(const QString&)>;

// The system's default browser (through the desktop's URL handler). Throws
// BrowserUnavailableError when the desktop can start no browser.
BrowserOpener systemBrowserOpener();
// The system clipboard; needs the GUI application object.
ClipboardWriter systemClipboardWriter();

} // namespace orvane
