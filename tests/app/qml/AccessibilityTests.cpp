#include "AccessibilityTree.h"
#include "SampleRecords.h"
#include "ViewFixture.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QSignalSpy>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

// The windows as a screen reader reads them: over AT-SPI, on the
// accessibility bus of the test's own D-Bus session, from the X11 platform
// with Qt's accessibility switched on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON).
namespace {

// Roles of the objects a person acts on.
const QStringList roleNamesThatAct{u"push button"_s, u"toggle button"_s, u"check box"_s, u"radio button"_s,
                                   u"link"_s,        u"menu item"_s,     u"page tab"_s,  u"combo box"_s};

class AccessibilityTest : public ViewTest {
protected:
    // The application's tree, read by another thread while this one
    // answers its questions.
    AccessibleNode readAsAScreenReader()
    {
        const QString name = QCoreApplication::applicationName();
        std::future<AccessibleNode> reading =
            std::async(std::launch::async, [name] { return readAccessibleApplication(name, 10'000); });
        while (reading.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return reading.get();
    }

    // What a screen reader announces for each control shown that acts, in
    // its order; an unnamed one as "".
    static QStringList controlNames(const AccessibleNode& root)
    {
        QStringList names;
        for (const AccessibleNode* node : flattened(root)) {
            if (node->isShowing && (roleNamesThatAct.contains(node->roleName) || node->isEditable))
                names.append(node->name);
        }
        return names;
    }

    // The controls a person can act on, in the order a reader meets them
    // (the windows' layouts put items in the order they are read).
    static void collectControls(QQuickItem* item, QList<QQuickItem*>& controls)
    {
        if (!item->isVisible() || !item->isEnabled())
            return;
        if (item->inherits("QQuickAbstractButton") || item->inherits("QQuickTextField"))
            controls.append(item);
        for (QQuickItem* child : item->childItems())
            collectControls(child, controls);
    }

    static QList<QQuickItem*> enabledControls(QQuickWindow& window)
    {
        QList<QQuickItem*> controls;
        collectControls(window.contentItem(), controls);
        return controls;
    }

    static QQuickItem* focusedControl(QQuickWindow& window)
    {
        QQuickItem* focused = window.activeFocusItem();
        while (focused && !focused->inherits("QQuickAbstractButton") && !focused->inherits("QQuickTextField"))
            focused = focused->parentItem();
        return focused;
    }

    // Where Tab takes the focus, from the first control on, until it comes
    // round again.
    static QList<QQuickItem*> tabOrder(QQuickWindow& window)
    {
        QList<QQuickItem*> reached;
        for (int presses = 0; presses < 100; ++presses) {
            pressKey(window, Qt::Key_Tab);
            QQuickItem* focused = focusedControl(window);
            if (!focused || reached.contains(focused))
                break;
            reached.append(focused);
        }
        return reached;
    }

    static QStringList describe(const QList<QQuickItem*>& controls)
    {
        QStringList names;
        for (const QQuickItem* control : controls)
            names.append(control->objectName().isEmpty() ? control->property("text").toString()
                                                         : control->objectName());
        return names;
    }

    static void expectTabReachesEveryEnabledControlInReadingOrder(QQuickWindow& window)
    {
        const QList<QQuickItem*> controls = enabledControls(window);
        ASSERT_FALSE(controls.isEmpty());
        QList<QQuickItem*> reached = tabOrder(window);
        // Tab order is a ring: it starts wherever the focus was.
        if (const qsizetype first = reached.indexOf(controls.first()); first > 0)
            reached = reached.mid(first) + reached.first(first);
        EXPECT_EQ(describe(reached), describe(controls));
        EXPECT_EQ(reached, controls);
    }

    // Space and Return, on each push button that Tab took the focus to,
    // press that button and no other (the page's default button's shortcut
    // must not take Return from it); putBack sets the window as it was
    // before each press. Buttons named in pressedBefore are left out, and
    // those pressed here added to it.
    static void expectSpaceAndReturnPressEachButton(QQuickWindow& window, const std::function<void()>& putBack,
                                                    QStringList& pressedBefore)
    {
        putBack();
        const QStringList names = describe(enabledControls(window));
        const qsizetype controlCount = names.size();
        for (qsizetype index = 0; index < controlCount; ++index) {
            for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
                putBack();
                const QList<QQuickItem*> controls = enabledControls(window);
                ASSERT_EQ(controls.size(), controlCount);
                QQuickItem* button = controls[index];
                if (!button->inherits("QQuickAbstractButton") || button->property("checkable").toBool()
                    || pressedBefore.contains(names[index]))
                    break;
                // A button that lost and got back the focus has it without
                // the keyboard's mark: Tab round to it, as a person would.
                for (int presses = 0; presses < 100 && !button->property("visualFocus").toBool(); ++presses)
                    pressKey(window, Qt::Key_Tab);
                QSignalSpy pressed(button, SIGNAL(clicked()));
                pressKey(window, key);
                EXPECT_EQ(pressed.count(), 1)
                    << qPrintable(names[index]) << " with " << qPrintable(QKeySequence(key).toString());
            }
        }
        pressedBefore += names;
    }

    // Nothing under way, not connected: as the window was first shown.
    void waitForTheModelAtRest()
    {
        ASSERT_TRUE(waitUntil([this] { return !model->isConnectingGoogle() && !model->isOpening(); }));
        if (model->isConnected())
            model->disconnectGoogle();
    }

    void storeRecords(const QStringList& paths)
    {
        QList<LocalFileRecord> records;
        for (const QString& path : paths)
            records.append(sampleRecord(path, QDateTime::currentDateTimeUtc().addSecs(-60)));
        stateStore.saveRecords(records);
    }
};

// Each control needs a name of its own: five buttons all called "Open in
// Browser" do not say which file each opens.
void expectEveryControlNamedAndTold(const QStringList& names)
{
    EXPECT_FALSE(names.isEmpty());
    EXPECT_FALSE(names.contains(QString())) << qPrintable(names.join(u" | "_s));
    QStringList repeated;
    for (const QString& name : names) {
        if (names.count(name) > 1 && !repeated.contains(name))
            repeated.append(name);
    }
    EXPECT_EQ(repeated, QStringList()) << qPrintable(names.join(u" | "_s));
}

TEST_F(AccessibilityTest, EveryControlOfTheHomeAndPreferencesWindowsHasANameOfItsOwn)
{
    storeRecords({u"/home/aki/Documents/Quarterly sales.csv"_s, u"/home/aki/Downloads/contacts.csv"_s});
    makeViews();
    showMainWindow();
    showPreferencesWindow();

    const QStringList names = controlNames(readAsAScreenReader());

    expectEveryControlNamedAndTold(names);
    for (const QString& expected : {u"Open Quarterly sales.csv in the browser"_s,
                                    u"Open contacts.csv in the browser"_s, u"Copy last Google URL"_s,
                                    u"Preferences"_s, u"Connect"_s, u"Convert to Google Docs / Sheets / Slides"_s,
                                    u"Keep Office format on Drive"_s, u"Root folder"_s})
        EXPECT_TRUE(names.contains(expected)) << qPrintable(expected) << " in " << qPrintable(names.join(u" | "_s));
}

TEST_F(AccessibilityTest, EveryControlOfEachOnboardingStepHasANameOfItsOwn)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeViews();
    QQuickWindow& window = showMainWindow();

    for (const QString& step :
         {u"welcome"_s, u"connect"_s, u"destination"_s, u"mode"_s, u"doubleClick"_s, u"testFile"_s}) {
        click(window, item(window, u"sidebarStep_"_s + step));
        const QStringList names = controlNames(readAsAScreenReader());
        SCOPED_TRACE(step.toStdString());
        expectEveryControlNamedAndTold(names);
        EXPECT_TRUE(names.contains(u"ようこそ"_s) && names.contains(u"テストファイル"_s));
    }
}

TEST_F(AccessibilityTest, TabReachesEveryEnabledControlInReadingOrderAndSpaceOrReturnPressesIt)
{
    storeRecords({u"/home/aki/Documents/Quarterly sales.csv"_s, u"/home/aki/Downloads/contacts.csv"_s});
    makeViews();
    QQuickWindow& window = showMainWindow();
    const QList<QQuickItem*> controls = enabledControls(window);
    ASSERT_TRUE(std::any_of(controls.begin(), controls.end(),
                            [](QQuickItem* control) { return control->objectName() == u"openRecordButton"_s; }));

    expectTabReachesEveryEnabledControlInReadingOrder(window);

    const auto pressWith = [&](Qt::Key key, const QString& expectedURL) {
        browserCalls.clear();
        const auto open = *std::find_if(controls.begin(), controls.end(), [](QQuickItem* control) {
            return control->objectName() == u"openRecordButton"_s;
        });
        open->forceActiveFocus(Qt::TabFocusReason);
        pressKey(window, key);
        EXPECT_EQ(browserCalls, QList<QUrl>{QUrl(expectedURL)}) << QKeySequence(key).toString().toStdString();
    };
    pressWith(Qt::Key_Space, u"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit"_s);
    pressWith(Qt::Key_Return, u"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit"_s);
}

TEST_F(AccessibilityTest, OnEveryOnboardingStepTabReachesEachEnabledControlInOrderAndSpaceOrReturnPressesIt)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeViews();
    QQuickWindow& window = showMainWindow();
    QQuickItem* onboarding = item(window, u"onboardingView"_s);
    const int stepCount = onboarding->property("steps").toList().size();
    ASSERT_EQ(stepCount, 6);

    // The sidebar and the footer stay from page to page.
    QStringList pressedBefore;
    for (int step = 0; step < stepCount; ++step) {
        const auto putBack = [&] {
            waitForTheModelAtRest();
            onboarding->setProperty("showingDoubleClickHelp", false);
            onboarding->setProperty("selectedStep", step);
            settle(window);
        };
        putBack();
        SCOPED_TRACE(onboarding->property("selectedStepKey").toString().toStdString());
        expectTabReachesEveryEnabledControlInReadingOrder(window);
        expectSpaceAndReturnPressEachButton(window, putBack, pressedBefore);
    }
}

TEST_F(AccessibilityTest, InPreferencesTabReachesEachEnabledControlInOrderAndSpaceOrReturnPressesIt)
{
    makeViews();
    QQuickWindow& window = showPreferencesWindow();

    expectTabReachesEveryEnabledControlInReadingOrder(window);
    QStringList pressed;
    expectSpaceAndReturnPressEachButton(
        window,
        [&] {
            waitForTheModelAtRest();
            settle(window);
        },
        pressed);
}

} // namespace
