#include "windows/ViewRenderer.h"

#include <QQuickWindow>
#include <QSGRendererInterface>

using namespace Qt::StringLiterals;

namespace orvane {

void chooseViewRenderer([[maybe_unused]] const Environment& environment)
{
#if defined(Q_OS_LINUX)
    // QMLSCENE_DEVICE is QT_QUICK_BACKEND's older name.
    for (const QString& name : {u"QT_QUICK_BACKEND"_s, u"QMLSCENE_DEVICE"_s, u"QSG_RHI_BACKEND"_s})
        if (!environment.value(name).isEmpty())
            return;
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#endif
}

QString viewRendererName(const QQuickWindow& window)
{
    const QSGRendererInterface* renderer = window.rendererInterface();
    switch (renderer ? renderer->graphicsApi() : QSGRendererInterface::Unknown) {
    case QSGRendererInterface::Software:
        return u"software"_s;
    case QSGRendererInterface::OpenGL:
        return u"OpenGL"_s;
    case QSGRendererInterface::Vulkan:
        return u"Vulkan"_s;
    case QSGRendererInterface::Direct3D11:
        return u"Direct3D 11"_s;
    case QSGRendererInterface::Metal:
        return u"Metal"_s;
    case QSGRendererInterface::Null:
        return u"nothing"_s;
    default:
        return u"an unknown renderer"_s;
    }
}

} // namespace orvane
