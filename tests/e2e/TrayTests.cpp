#include "DesktopTest.h"
#include "IconContrast.h"
#include "StatusNotifierItemView.h"
#include "StatusNotifierWatcher.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

#include <chrono>

using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// One line per entry, as in the menu unit tests: its text ("---" for a
// separator) and "(disabled)" when it cannot be chosen.
QStringList lines(const QList<TrayMenuEntry>& entries)
{
    QStringList lines;
    for (const TrayMenuEntry& entry : entries)
        lines.append(entry.isEnabled || entry.isSeparator ? entry.text : entry.text + u" (disabled)"_s);
    return lines;
}

// A strip of panel in colour with the icon at its end, as a tray draws it.
void saveOnPanel(const QImage& icon, const QColor& colour, const QString& name)
{
    QImage panel(240, 32, QImage::Format_ARGB32);
    panel.fill(colour);
    QPainter painter(&panel);
    painter.drawImage(QPoint(panel.width() - 8 - icon.width(), (panel.height() - icon.height()) / 2), icon);
    painter.end();
    const QDir folder(QStringLiteral(ORVANE_SCREENSHOT_DIR));
    ASSERT_TRUE(folder.mkpath(u"."_s));
    EXPECT_TRUE(panel.save(folder.filePath(name + u".png"_s)));
}

// The real orvane on a desktop whose tray speaks the StatusNotifierItem
// protocol, looked at as that tray sees it.
class TrayTest : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(watcher.isRegistered());
        desktop->completeOnboarding();
        storeSignIn();
    }

    // Orvane started with arguments, and its tray item once it registers.
    std::unique_ptr<OrvaneProcess> startInTray(const QStringList& arguments = {})
    {
        auto orvane = desktop->start(arguments);
        const QString service = watcher.waitForItem(OrvaneProcess::defaultTimeout);
        EXPECT_FALSE(service.isEmpty()) << "no tray item: " << orvane->output().toStdString();
        item = std::make_unique<StatusNotifierItemView>(service);
        return orvane;
    }

    // The icon theme of an installed Orvane, in the profile's data folder.
    void installIconTheme() const
    {
        const QString theme = desktop->profilePath() + u"/share/icons/hicolor"_s;
        QDirIterator icons(QStringLiteral(ORVANE_PACKAGING_DIR "/icons/hicolor"), QDir::Files,
                           QDirIterator::Subdirectories);
        while (icons.hasNext()) {
            const QString icon = icons.next();
            const QString installed = theme + icon.mid(qsizetype(strlen(ORVANE_PACKAGING_DIR "/icons/hicolor")));
            ASSERT_TRUE(QDir().mkpath(QFileInfo(installed).path()));
            ASSERT_TRUE(QFile::copy(icon, installed));
        }
        // As the hicolor-icon-theme package has it, for the folder that matters here.
        QFile index(theme + u"/index.theme"_s);
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=symbolic/apps\n\n"
                    "[symbolic/apps]\nMinSize=8\nSize=16\nMaxSize=512\nContext=Applications\nType=Scalable\n");
    }

    StatusNotifierWatcher watcher;
    std::unique_ptr<StatusNotifierItemView> item;
};

TEST_F(TrayTest, TheItemRegistersNamedOrvaneAndItsIconShowsOnDarkAndLightPanels)
{
    const auto orvane = startInTray();
    ASSERT_TRUE(item);

    EXPECT_EQ(item->id(), u"Orvane"_s);
    EXPECT_EQ(item->title(), u"Orvane"_s);
    EXPECT_EQ(item->status(), u"Active"_s);
    EXPECT_EQ(item->toolTipTitle(), u"Orvane"_s);
    EXPECT_EQ(item->iconName(), QString()) << "no icon theme has Orvane's here";
    const QList<QImage> pictures = item->iconPixmaps();
    ASSERT_FALSE(pictures.isEmpty());
    for (const QImage& picture : pictures) {
        const QString size = u"%1x%2"_s.arg(picture.width()).arg(picture.height());
        EXPECT_GE(shareStandingOut(picture, Qt::black, 7.0), 0.1) << size.toStdString();
        EXPECT_GE(shareStandingOut(picture, Qt::white, 7.0), 0.1) << size.toStdString();
        if (picture.width() == 22) {
            saveOnPanel(picture, QColor(0x1d, 0x1d, 0x1d), u"tray-icon-on-dark-panel"_s);
            saveOnPanel(picture, QColor(0xf6, 0xf5, 0xf4), u"tray-icon-on-light-panel"_s);
        }
    }
}

// Started from the applications menu, Orvane shows its window even with a
// tray; only the session's start at login (--background) stays in the tray.
TEST_F(TrayTest, AStartWithoutFilesShowsTheWindowAndOnlyABackgroundStartStaysInTheTray)
{
    const auto inBackground = startInTray({u"--background"_s});
    ASSERT_TRUE(item);
    EXPECT_FALSE(inBackground->waitForLine(u"Showing window"_s, 1500ms)) << inBackground->output().toStdString();

    // A second start with the session leaves the running Orvane as it is.
    EXPECT_EQ(desktop->start({u"--background"_s})->waitForExit(), 0);
    EXPECT_FALSE(inBackground->waitForLine(u"Showing window"_s, 1000ms)) << inBackground->output().toStdString();

    item->click(item->menuEntry(u"Quit Orvane"_s));
    ASSERT_EQ(inBackground->waitForExit(), 0) << inBackground->output().toStdString();

    const auto fromTheMenu = desktop->start();
    EXPECT_TRUE(fromTheMenu->waitForLine(u"Showing window: Orvane"_s)) << fromTheMenu->output().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([this] { return watcher.items().size() == 2; }, 10'000)) << "and its tray item";
}

TEST_F(TrayTest, WithOrvanesIconThemeInstalledTheItemNamesItsSymbolicIcon)
{
    installIconTheme();

    const auto orvane = startInTray();
    ASSERT_TRUE(item);

    EXPECT_EQ(item->iconName(), u"app.orvane.Orvane-symbolic"_s);
    EXPECT_FALSE(item->iconPixmaps().isEmpty()) << "pictures too, for trays that do not look names up";
}

TEST_F(TrayTest, TheMenuShowsFileNamesAsTheyAreAndEachEntryDoesWhatItSays)
{
    const QString file = desktop->writeFile(u"P&L_Q1 draft.csv"_s, "Item,Amount\nSales,10\n");
    const auto orvane = startInTray({file});
    ASSERT_TRUE(item);
    ASSERT_TRUE(orvane->waitForLine(u"Status: Uploaded and opened P&L_Q1 draft.csv"_s)) << orvane->output().toStdString();

    EXPECT_EQ(lines(item->menu()),
              (QStringList{u"Open Orvane"_s, u"Copy Last Google URL"_s, u"---"_s, u"Recent Files (disabled)"_s,
                           u"P&L_Q1 draft.csv"_s, u"---"_s, u"Preferences"_s, u"Onboarding"_s, u"---"_s,
                           u"Quit Orvane"_s}));

    item->click(item->menuEntry(u"P&L_Q1 draft.csv"_s));
    const QStringList pages = desktop->waitForBrowserCalls(2);
    ASSERT_EQ(pages.size(), 2);
    EXPECT_EQ(pages[1], pages[0]) << "the recorded Google page, again";

    item->click(item->menuEntry(u"Copy Last Google URL"_s));
    EXPECT_TRUE(orvane->waitForLine(u"Status: Copied Google file URL"_s)) << orvane->output().toStdString();
    item->click(item->menuEntry(u"Preferences"_s));
    EXPECT_TRUE(orvane->waitForLine(u"Showing window: Preferences"_s)) << orvane->output().toStdString();
    item->click(item->menuEntry(u"Onboarding"_s));
    EXPECT_TRUE(orvane->waitForLine(u"Status: Reviewing onboarding"_s)) << orvane->output().toStdString();
    EXPECT_TRUE(orvane->waitForLine(u"Showing window: Orvane"_s)) << orvane->output().toStdString();

    // A left click opens Orvane: the home view, even while reviewing onboarding.
    item->activate();
    EXPECT_TRUE(orvane->waitForLine(u"Onboarding closed"_s)) << orvane->output().toStdString();
    EXPECT_TRUE(orvane->waitForLines(u"Showing window: Orvane"_s, 2)) << orvane->output().toStdString();

    item->click(item->menuEntry(u"Quit Orvane"_s));
    EXPECT_EQ(orvane->waitForExit(), 0) << orvane->output().toStdString();
}

TEST_F(TrayTest, AnUploadUnderWayShowsInTheTooltipAndHeadsTheMenuWithACancel)
{
    // Large enough to show its bytes going; its chunk hangs until the cancel.
    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, 30s, 1, "PUT");
    const QString file = desktop->writeFile(u"export.csv"_s, QByteArray(6 * 1024 * 1024, 'a'));
    const auto orvane = startInTray({file});
    ASSERT_TRUE(item);
    const auto uploadShows = [this] { return item->toolTipTitle().startsWith(u"Uploading export.csv \u2014 "_s); };
    ASSERT_TRUE(QTest::qWaitFor(uploadShows, 10'000)) << item->toolTipTitle().toStdString();
    EXPECT_TRUE(QRegularExpression(u"^Uploading export.csv \u2014 [0-9]{1,3}%$"_s).match(item->toolTipTitle()).hasMatch())
        << item->toolTipTitle().toStdString();

    const QStringList menu = lines(item->menu());
    ASSERT_GE(menu.size(), 4);
    EXPECT_TRUE(menu[0].startsWith(u"Uploading export.csv \u2014 "_s) && menu[0].endsWith(u"% (disabled)"_s))
        << menu[0].toStdString();
    EXPECT_EQ(menu.mid(1, 3), (QStringList{u"Cancel Upload"_s, u"---"_s, u"Open Orvane"_s}));

    item->click(item->menuEntry(u"Cancel Upload"_s));
    EXPECT_TRUE(orvane->waitForLine(u"Status: Upload of export.csv cancelled"_s)) << orvane->output().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([this] { return item->toolTipTitle() == u"Orvane"_s; }, 5000));
    EXPECT_EQ(lines(item->menu()).first(), u"Open Orvane"_s);
    EXPECT_EQ(emulator.uploadSessions().first().state, u"cancelled"_s);
}

// Without a tray on the session bus there is no tray mode: the main window
// shows at start and carries the menu.
TEST(NoTrayTest, WithoutAWatcherOrvaneShowsItsWindowAtStart)
{
    if (qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") != u"1"_s)
        GTEST_SKIP() << "needs the private session of scripts/with-test-services";
    GoogleEmulatorProcess emulator;
    OrvaneDesktop desktop(emulator.rootUrl(), emulator.clientId());
    desktop.completeOnboarding();

    const auto orvane = desktop.start();

    EXPECT_TRUE(orvane->waitForLine(u"Showing window: Orvane"_s)) << orvane->output().toStdString();
}

} // namespace
