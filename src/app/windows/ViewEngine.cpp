#include "windows/ViewEngine.h"

#include "windows/SymbolImageProvider.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace orvane {

QUrl ViewEngine::viewURL(const QString& viewName)
{
    return QUrl(u"qrc:/Orvane/"_s + viewName + u".qml"_s);
}

ViewEngine::ViewEngine(AppModel& model, QMenu* windowMenu, QObject* parent)
    : QQmlEngine(parent), model_(model), windowMenu_(windowMenu)
{
    addImageProvider(SymbolImageProvider::providerId, new SymbolImageProvider);
}

ViewEngine& ViewEngine::of(QQmlEngine* engine)
{
    // Every view of Orvane's module is made by a ViewEngine.
    return *qobject_cast<ViewEngine*>(engine);
}

} // namespace orvane
