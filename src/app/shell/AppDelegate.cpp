#include "shell/AppDelegate.h"

#include "model/LaunchIntentTracker.h"
#include "model/OpenURLsNotification.h"

#include <QGuiApplication>

namespace orvane {

AppDelegate::AppDelegate(LaunchIntentTracker& tracker, OpenURLsNotification& notification)
    : tracker_(tracker), notification_(notification)
{
}

AppDelegate::AppDelegate() : AppDelegate(LaunchIntentTracker::shared(), OpenURLsNotification::shared()) {}

void AppDelegate::applicationDidFinishLaunching()
{
    QGuiApplication::setQuitOnLastWindowClosed(false);
}

void AppDelegate::openURLs(const QList<QUrl>& urls)
{
    tracker_.recordFileOpenRequest(urls);
    notification_.post(urls);
}

bool AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows)
        notification_.post({});
    return true;
}

} // namespace orvane
