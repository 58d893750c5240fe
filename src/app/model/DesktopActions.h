#pragma once

#include <QString>
#include <QUrl>

#include <QCoroTask>

#include <functional>

namespace orvane {

// What the model asks of the desktop. The model is given them, so that it
// never reaches the desktop itself; platform/ provides the system's own.

// Opens a URL in the user's default browser and returns at once; throws
// when no browser could be started.
using BrowserOpener = std::function<void(const QUrl&)>;

// Puts text on the system clipboard as plain text.
using ClipboardWriter = std::function<void(const QString&)>;

// Makes Orvane the application the file manager opens the supported files
// with; throws an error that says why when the desktop refuses.
using DefaultApplicationRegistering = std::function<QCoro::Task<>()>;

} // namespace orvane
