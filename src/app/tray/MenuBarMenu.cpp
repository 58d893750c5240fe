#include "tray/MenuBarMenu.h"

#include "model/AppModel.h"
#include "windows/SymbolLibrary.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace orvane {

MenuBarMenu::MenuBarMenu(AppModel& model, std::function<void()> showMainWindow, std::function<void()> quit,
                         QObject* parent)
    : QObject(parent), model_(model), showMainWindow_(std::move(showMainWindow)), quit_(std::move(quit))
{
    connect(&menu_, &QMenu::aboutToShow, this, &MenuBarMenu::rebuild);
    // A tray that exports the menu to the desktop may read it without asking
    // first, so a change of what it lists is shown at once as well.
    connect(&model_, &AppModel::recentRecordsChanged, this, &MenuBarMenu::rebuild);
    connect(&model_, &AppModel::uploadChanged, this, &MenuBarMenu::followUpload);
    rebuild();
}

void MenuBarMenu::setTitleReader(MenuTitleReader reader)
{
    titleReader_ = reader;
    rebuild();
}

template<typename... Action>
QAction* MenuBarMenu::addItem(const QString& title, Action&&... action)
{
    return menu_.addAction(literalMenuTitle(title, titleReader_), std::forward<Action>(action)...);
}

void MenuBarMenu::rebuild()
{
    menu_.clear();

    addUpload();
    addItem(u"Open Orvane"_s, this, &MenuBarMenu::openOrvane)->setIcon(symbol(u"macwindow"_s));
    QAction* copyURL = addItem(u"Copy Last Google URL"_s, &model_, &AppModel::copyLastOpenedURL);
    copyURL->setIcon(symbol(u"link"_s));
    copyURL->setEnabled(model_.lastOpenedURL().has_value());
    menu_.addSeparator();

    addRecentFiles();
    menu_.addSeparator();

    addItem(u"Preferences"_s, &model_, &AppModel::showPreferencesWindow)->setIcon(symbol(u"gearshape"_s));
    addItem(u"Onboarding"_s, this, &MenuBarMenu::reviewOnboarding)->setIcon(symbol(u"sparkles"_s));
    menu_.addSeparator();

    addItem(u"Quit Orvane"_s, this, [this] { quit_(); });
}

void MenuBarMenu::addUpload()
{
    if (!model_.isUploading())
        return;
    uploadItem_ = addItem(model_.uploadTitle());
    uploadItem_->setEnabled(false);
    addItem(u"Cancel Upload"_s, &model_, &AppModel::cancelUpload)->setIcon(symbol(u"xmark.circle"_s));
    menu_.addSeparator();
}

void MenuBarMenu::followUpload()
{
    if (model_.isUploading() != !uploadItem_.isNull())
        rebuild();
    else if (uploadItem_)
        uploadItem_->setText(literalMenuTitle(model_.uploadTitle(), titleReader_));
}

void MenuBarMenu::addRecentFiles()
{
    const QList<LocalFileRecord>& records = model_.recentRecords();
    if (records.isEmpty()) {
        addItem(u"No recent files"_s)->setEnabled(false);
        return;
    }
    // A heading that exported menus keep too: an item that does nothing.
    addItem(u"Recent Files"_s)->setEnabled(false);
    for (const LocalFileRecord& record : records.first(std::min(records.size(), recentFilesShown))) {
        addItem(QFileInfo(record.localFilePath).fileName(), &model_,
                [this, openURL = record.openURL] { model_.openRecordURL(openURL); });
    }
}

void MenuBarMenu::openOrvane()
{
    if (model_.hasCompletedOnboarding())
        model_.setShowingOnboarding(false);
    else
        model_.showOnboardingIfSetupIsIncomplete();
    showMainWindow_();
}

void MenuBarMenu::reviewOnboarding()
{
    model_.setShowingOnboarding(true);
    model_.setStatusMessage(u"Reviewing onboarding"_s);
    showMainWindow_();
}

QIcon MenuBarMenu::symbol(const QString& name) const
{
    return SymbolLibrary::icon(name, menu_.palette());
}

} // namespace orvane
