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

// Whether the session starts Orvane when the user logs in, as the desktop
// has it now: the user may change it behind Orvane's back.
using StartAtLoginReader = std::function<bool()>;
// Turns starting at login on or off; throws an error that says why when the
// desktop's setting cannot be changed.
using StartAtLoginWriter = std::function<void(bool)>;

} // namespace orvane
