#pragma once

#include <QQmlEngine>

class QMenu;

namespace orvane {

class AppModel;

// The one QML engine both windows share. Its views reach the application's
// one model (and, on desktops without a tray, the application menu) through
// it, and draw their symbols with the symbol library.
class ViewEngine final : public QQmlEngine {
    Q_OBJECT

public:
    // The views' module and the file of each window's content in it.
    static QUrl viewURL(const QString& viewName);

    // windowMenu: the menu the main window offers where there is no tray
    // item; null where there is one.
    ViewEngine(AppModel& model, QMenu* windowMenu, QObject* parent = nullptr);

    // The ViewEngine a view was made by.
    static ViewEngine& of(QQmlEngine* engine);

    AppModel& model() const { return model_; }
    QMenu* windowMenu() const { return windowMenu_; }

private:
    AppModel& model_;
    QMenu* windowMenu_;
};

} // namespace orvane
