#pragma once

#include "tray/LiteralMenuTitle.h"

#include <QMenu>
#include <QObject>
#include <QPointer>

#include <functional>

namespace orvane {

class AppModel;

// The menu of Orvane's tray item (and, on desktops without a tray, of the
// main window's menu button): the upload under way with its Cancel, the main
// window, the last Google URL, the recent files, preferences, onboarding and
// quitting. It is made anew from the model each time it opens, and whenever
// the recent files change or an upload shows or ends while it is shown.
class MenuBarMenu final : public QObject {
    Q_OBJECT

public:
    // How many recent files the menu lists; the model may hold more.
    static constexpr qsizetype recentFilesShown = 8;

    MenuBarMenu(AppModel& model, std::function<void()> showMainWindow, std::function<void()> quit,
                QObject* parent = nullptr);

    QMenu& menu() { return menu_; }

    // Who draws the titles (Qt unless the menu is handed to the desktop's
    // tray); every title, file names included, is shown as it is.
    void setTitleReader(MenuTitleReader reader);

    // Replaces every item with ones that show the model as it is now.
    void rebuild();
    // "Open Orvane": the main window, with onboarding until setup is complete
    // and the home view after it.
    void openOrvane();

private:
    void addUpload();
    // The upload's percent, without remaking the menu a few times a second.
    void followUpload();
    void addRecentFiles();
    template<typename... Action>
    QAction* addItem(const QString& title, Action&&... action);
    void reviewOnboarding();
    QIcon symbol(const QString& name) const;

    AppModel& model_;
    std::function<void()> showMainWindow_;
    std::function<void()> quit_;
    QMenu menu_;
    QPointer<QAction> uploadItem_;
    MenuTitleReader titleReader_ = MenuTitleReader::qtMenu;
};

} // namespace orvane
