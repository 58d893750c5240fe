#include "windows/OpenFailureNotice.h"

#include "model/AppModel.h"
#include "platform/DesktopNotifications.h"

using namespace Qt::StringLiterals;

namespace orvane {

OpenFailureNotice::OpenFailureNotice(AppModel& model, DesktopNotifications& notifications,
    std::function<bool()> hasVisibleWindow, std::function<void()> openOrvane, QObject* parent)
    : QObject(parent)
{
    connect(&model, &AppModel::openFailed, this,
        [&notifications, hasVisibleWindow = std::move(hasVisibleWindow)](
            const QString& fileName, const QString& error) {
            if (!hasVisibleWindow())
                notifications.show(u"Could not open "_s + fileName, error);
        });
    connect(&notifications, &DesktopNotifications::activated, this, std::move(openOrvane));
}

} // namespace orvane
