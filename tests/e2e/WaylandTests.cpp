#include "DesktopTest.h"
#include "StatusNotifierItemView.h"
#include "StatusNotifierWatcher.h"

#include <QFile>
#include <QSettings>

using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// The real orvane as a native Wayland client, on a compositor of its own,
// with a StatusNotifierItem tray on the session bus as GNOME and KDE have.
class WaylandTest : public DesktopTest {
protected:
    DisplayServer displayServer() const override { return DisplayServer::wayland; }

    QSettings settings() const
    {
        return QSettings(desktop->profilePath() + u"/config/Orvane/Orvane.conf"_s, QSettings::IniFormat);
    }

    StatusNotifierWatcher tray;
};

// Where a client cannot learn or choose where its windows are, the frame's
// size still follows the user from run to run, a position saved on an X11
// desktop is kept for it, and nothing is warned about.
TEST_F(WaylandTest, ShowsTheWindowOpensAFileHandedOverAndKeepsTheFrameSizeWithoutWarnings)
{
    ASSERT_TRUE(tray.isRegistered());
    desktop->completeOnboarding();
    storeSignIn();
    settings().setValue(u"main-AppWindow-1"_s, QRect(40, 50, 900, 700));

    const auto orvane = desktop->start();
    const QString item = tray.waitForItem(OrvaneProcess::defaultTimeout);
    ASSERT_FALSE(item.isEmpty()) << orvane->output().toStdString();

    const QString file = desktop->writeFile(u"Team budget.csv"_s, "Team,Amount\nSales,10\n");
    EXPECT_EQ(desktop->start({file})->waitForExit(), 0);
    ASSERT_TRUE(orvane->waitForLine(u"Status: Uploaded and opened Team budget.csv"_s))
        << orvane->output().toStdString();
    ASSERT_EQ(desktop->waitForBrowserCalls(1).size(), 1);
    EXPECT_TRUE(desktop->browserCalls().first().contains(u"/spreadsheets/d/"_s))
        << desktop->browserCalls().first().toStdString();

    const StatusNotifierItemView trayItem(item);
    trayItem.click(trayItem.menuEntry(u"Open Orvane"_s));
    ASSERT_TRUE(orvane->waitForLine(u"Drawing window: Orvane with software"_s)) << orvane->output().toStdString();
    trayItem.click(trayItem.menuEntry(u"Quit Orvane"_s));
    ASSERT_EQ(orvane->waitForExit(), 0) << orvane->output().toStdString();

    EXPECT_EQ(settings().value(u"main-AppWindow-1"_s).toRect(), QRect(40, 50, 900, 700));
    EXPECT_EQ(orvane->lines().filter(u"orvane.activity: "_s).size(), orvane->lines().size())
        << "nothing but the activity log:\n" << orvane->output().toStdString();
}

} // namespace
