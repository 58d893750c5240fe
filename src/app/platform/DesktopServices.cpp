#include "platform/DesktopServices.h"

#include "platform/BrowserUnavailableError.h"

#include "model/ActivityLog.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>

namespace orvane {

BrowserOpener systemBrowserOpener()
{
    return [](const QUrl& url) {
        // The sign-in page's query is the sign-in's state: not for the log.
        qCInfo(activityLog).noquote() << "Opening in the browser:" << url.adjusted(QUrl::RemoveQuery).toString();
        // False only when no browser could be started at all; whether a
        // started one shows the page, the user sees.
        if (!QDesktopServices::openUrl(url))
            throw BrowserUnavailableError(url);
    };
}

ClipboardWriter systemClipboardWriter()
{
    // Setting the text replaces everything the clipboard held.
    return [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
}

} // namespace orvane
