#include "platform/DesktopServices.h"

#include "shell/ActivityLog.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

namespace orvane {

BrowserOpener systemBrowserOpener()
{
    // Nothing is reported when no browser can be started: the caller cannot
    // tell whether a browser took the URL, and the user sees what happened.
    return [](const QUrl& url) {
        // The sign-in page's query is the sign-in's state: not for the log.
        qCInfo(activityLog).noquote() << "Opening in the browser:" << url.adjusted(QUrl::RemoveQuery).toString();
        QDesktopServices::openUrl(url);
    };
}

ClipboardWriter systemClipboardWriter()
{
    // Setting the text replaces everything the clipboard held.
    return [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
}

} // namespace orvane
