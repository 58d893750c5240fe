#include "model/OpenURLsNotification.h"

namespace orvane {

OpenURLsNotification& OpenURLsNotification::shared()
{
    static OpenURLsNotification notification;
    return notification;
}

OpenURLsNotification::OpenURLsNotification(QObject* parent) : QObject(parent)
{
    setObjectName(name);
}

void OpenURLsNotification::post(const QList<QUrl>& urls)
{
    QMetaObject::invokeMethod(this, [this, urls] { Q_EMIT posted(urls); });
}

} // namespace orvane
