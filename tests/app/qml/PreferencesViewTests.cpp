#include "SmallDisk.h"
#include "ViewFixture.h"

#include <QFile>
#include <QFileInfo>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class PreferencesViewTest : public ViewTest {
protected:
    QQuickWindow& showPreferences()
    {
        makeViews();
        return showPreferencesWindow();
    }
};

TEST_F(PreferencesViewTest, TheAccountRowOffersConnectThenDisconnect)
{
    QQuickWindow& window = showPreferences();
    QQuickItem* status = item(window, u"accountStatus"_s);
    QQuickItem* button = item(window, u"accountButton"_s);
    EXPECT_EQ(status->property("title"), u"Not connected"_s);
    EXPECT_EQ(status->property("systemImage"), u"person.crop.circle.badge.exclamationmark"_s);
    EXPECT_EQ(text(button), u"Connect"_s);

    click(window, button);
    ASSERT_TRUE(waitUntil([this] { return model->isConnected(); }));
    settle(window);

    EXPECT_EQ(status->property("title"), u"Connected"_s);
    EXPECT_EQ(status->property("systemImage"), u"checkmark.circle.fill"_s);
    EXPECT_EQ(text(button), u"Disconnect"_s);

    click(window, button);

    EXPECT_FALSE(model->isConnected());
    EXPECT_EQ(model->statusMessage(), u"Google account disconnected"_s);
    EXPECT_EQ(status->property("title"), u"Not connected"_s);
    EXPECT_EQ(text(button), u"Connect"_s);
}

TEST_F(PreferencesViewTest, ConnectStaysAvailableWhileASignInWaits)
{
    holdSignIn = true;
    QQuickWindow& window = showPreferences();
    QQuickItem* button = item(window, u"accountButton"_s);

    click(window, button);
    ASSERT_TRUE(waitUntil([this] { return browserCalls.size() == 1; }));
    ASSERT_TRUE(model->isConnectingGoogle());
    settle(window);

    EXPECT_EQ(item(window, u"accountStatus"_s)->property("title"), u"Not connected"_s);
    EXPECT_EQ(text(button), u"Connect"_s);
    EXPECT_TRUE(button->isEnabled());

    signInBrowser.open(browserCalls[0]);
    ASSERT_TRUE(waitUntil([this] { return !model->isConnectingGoogle(); }));
    EXPECT_TRUE(model->isConnected());
}

TEST_F(PreferencesViewTest, TheModeChosenHereIsTheHomeViewsMode)
{
    QQuickWindow& preferences = showPreferences();
    QQuickWindow& home = showMainWindow();
    QQuickItem* office = item(preferences, u"option_officePreserved"_s);
    EXPECT_EQ(text(office), u"Keep Office format on Drive"_s);
    EXPECT_EQ(text(item(preferences, u"option_googleFormat"_s)), u"Convert to Google Docs / Sheets / Slides"_s);

    click(preferences, office);
    settle(home);

    EXPECT_EQ(model->preferences().officeOpenMode, OpenMode::officePreserved);
    EXPECT_EQ(item(home, u"modePill"_s)->property("title"), u"Office format mode"_s);
}

TEST_F(PreferencesViewTest, ClearingTheRootFolderHandsAnEmptyNameToTheModel)
{
    QQuickWindow& window = showPreferences();
    QQuickItem* field = item(window, u"rootFolderField"_s);
    EXPECT_EQ(text(field), u"Opened from Mac"_s);

    click(window, field);
    pressKey(window, Qt::Key_A, Qt::ControlModifier);
    pressKey(window, Qt::Key_Backspace);

    EXPECT_EQ(model->rootFolderName(), QString());
    EXPECT_EQ(PreferencesStore(defaults).load().rootFolderName, QString());
}

TEST_F(PreferencesViewTest, TheErrorBannerFollowsTheModelsError)
{
    QQuickWindow& window = showPreferences();
    QQuickItem* banner = item(window, u"errorBanner"_s);
    EXPECT_FALSE(banner->isVisible());

    model->copyLastOpenedURL();
    settle(window);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->property("message"), u"No Google file URL has been opened yet."_s);

    connectAndWait();
    settle(window);
    EXPECT_FALSE(banner->isVisible());
}

TEST_F(PreferencesViewTest, TheLocalStateNoteNamesThisOrvanesDataFolderAndTheSystemKeyring)
{
    QQuickWindow& window = showPreferences();

    // The fixture's Orvane keeps its records in a temporary folder of its own.
    EXPECT_EQ(text(item(window, u"localStateNote"_s)),
              u"Recent mappings are stored in %1. Tokens are stored in the system keyring, not in local JSON files."_s
                  .arg(QFileInfo(paths().defaultStateFileURL().toLocalFile()).absolutePath()));
}

TEST_F(PreferencesViewTest, TheStartAtLoginSwitchWritesOrRemovesTheAutostartEntryAndShowsWhetherItIsThere)
{
    QQuickWindow& window = showPreferences();
    QQuickItem* startAtLogin = item(window, u"startAtLoginSwitch"_s);
    const auto isOn = [startAtLogin] { return startAtLogin->property("checked").toBool(); };
    EXPECT_EQ(text(startAtLogin), u"Start Orvane when you log in"_s);
    EXPECT_FALSE(isOn());

    click(window, startAtLogin);
    QFile entry(autostartEntry.path());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_EQ(entry.readAll(), AutostartEntry::contents());
    EXPECT_TRUE(isOn());

    click(window, startAtLogin);
    EXPECT_FALSE(QFile::exists(autostartEntry.path()));
    EXPECT_FALSE(isOn());

    // Changed by hand while the window was closed.
    window.close();
    autostartEntry.setEnabled(true);
    showPreferencesWindow();
    EXPECT_TRUE(isOn());
    window.close();
    QFile::remove(autostartEntry.path());
    showPreferencesWindow();
    EXPECT_FALSE(isOn());
}

TEST_F(PreferencesViewTest, AnAutostartFolderThatCannotBeWrittenIsToldAndTheSwitchStaysOff)
{
    SmallDisk disk(configFolder.path());
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    disk.makeReadOnly();
    QQuickWindow& window = showPreferences();
    QQuickItem* startAtLogin = item(window, u"startAtLoginSwitch"_s);
    QQuickItem* error = item(window, u"startAtLoginError"_s);
    EXPECT_FALSE(error->isVisible());

    // Twice: the second failure changes nothing in the model, yet the switch
    // must go back all the same.
    for (int attempt = 0; attempt < 2; ++attempt) {
        click(window, startAtLogin);
        EXPECT_FALSE(startAtLogin->property("checked").toBool());
    }
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->property("message"),
              u"Could not turn on \u201CStart Orvane when you log in\u201D: The folder \u201C%1/autostart\u201D could "
              u"not be made. (Read-only file system)"_s.arg(configFolder.path()));
}

TEST_F(PreferencesViewTest, TheWindowIsTitledPreferencesAndKeepsItsWidth)
{
    QQuickWindow& window = showPreferences();

    EXPECT_EQ(window.title(), u"Preferences"_s);
    EXPECT_EQ(window.width(), 560);
    EXPECT_EQ(window.minimumWidth(), 560);
    EXPECT_EQ(window.maximumWidth(), 560);
    EXPECT_EQ(window.minimumHeight(), 360);
}

} // namespace
