#include "DarkDesktopPalette.h"
#include "IconContrast.h"
#include "ViewFixture.h"
#include "windows/WindowFrameAutosave.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScopeGuard>
#include <QScreen>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

using WindowPresenterTest = ViewTest;

TEST_F(WindowPresenterTest, AWindowIsMadeOnTheFirstRequestOnly)
{
    makeViews();
    EXPECT_FALSE(mainWindow->isVisible());
    const qsizetype windowsBefore = QGuiApplication::topLevelWindows().size();

    QQuickWindow& first = mainWindow->makeWindowIfNeeded();
    QQuickWindow& second = mainWindow->makeWindowIfNeeded();

    EXPECT_EQ(&first, &second);
    EXPECT_EQ(QGuiApplication::topLevelWindows().size(), windowsBefore + 1);
    EXPECT_FALSE(first.isVisible()) << "made, not shown";
}

TEST_F(WindowPresenterTest, ANewMainWindowIsCentredAtItsSize)
{
    makeViews();
    QQuickWindow& window = showMainWindow();

    EXPECT_EQ(window.title(), u"Orvane"_s);
    EXPECT_EQ(window.size(), QSize(820, 620));
    EXPECT_EQ(window.minimumSize(), QSize(760, 540));
    const QPoint offCentre = window.geometry().center() - window.screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2) << "centred, to the rounding of odd sizes";
}

TEST_F(WindowPresenterTest, ClosingHidesTheWindowAndTheNextRequestShowsItAsItWas)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeViews();
    QQuickWindow& window = showMainWindow();
    item(window, u"onboardingView"_s)->setProperty("selectedStep", 3);

    window.close();
    EXPECT_FALSE(mainWindow->isVisible());
    QQuickWindow& again = showMainWindow();

    EXPECT_EQ(&again, &window);
    EXPECT_TRUE(mainWindow->isVisible());
    EXPECT_EQ(item(again, u"onboardingView"_s)->property("selectedStepKey"), u"mode"_s);
}

TEST_F(WindowPresenterTest, TheFrameIsSavedUnderTheAutosaveNameAndRestoredInTheNextRun)
{
    const QRect frame(40, 60, 900, 700);
    makeViews();
    QQuickWindow& window = showMainWindow();
    window.setGeometry(frame);
    settle(window);
    ASSERT_EQ(window.geometry(), frame);
    // Saved a moment after the last change.
    EXPECT_TRUE(waitUntil([this, &frame] { return WindowFrameAutosave::savedFrame(defaults, u"main-AppWindow-1"_s) == frame; }));
    mainWindow.reset();

    mainWindow = std::make_unique<WindowPresenter>(WindowSettings::mainWindow(), [this]() -> ViewEngine& { return *engine; },
                                                   defaults);

    EXPECT_EQ(mainWindow->makeWindowIfNeeded().geometry(), frame);
    EXPECT_FALSE(WindowFrameAutosave::savedFrame(defaults, u"preferences-AppWindow-1"_s));
}

TEST_F(WindowPresenterTest, ThePreferencesWindowKeepsItsFrameUnderItsOwnName)
{
    const QRect frame(300, 200, 560, 500);
    defaults.setValue(u"preferences-AppWindow-1"_s, frame);
    makeViews();

    EXPECT_EQ(showPreferencesWindow().geometry(), frame);
    EXPECT_EQ(mainWindow->makeWindowIfNeeded().size(), QSize(820, 620));
}

TEST_F(WindowPresenterTest, AShownWindowFollowsTheDesktopFromLightToDarkAndBack)
{
    makeViews();
    model->copyLastOpenedURL(); // an error, for its banner
    QQuickWindow& window = showMainWindow();
    const QPalette light = QGuiApplication::palette();
    const auto restoreLight = qScopeGuard([&light] { QGuiApplication::setPalette(light); });
    // What the window is drawn on, and every text and symbol readable there.
    const auto expectReadableOn = [&window](bool dark) {
        settle(window);
        const QImage picture = window.grabWindow();
        EXPECT_EQ(dominantColor(picture).lightnessF() < 0.5, dark);
        EXPECT_EQ(poorlyContrastedContent(window, picture), QStringList());
    };
    ASSERT_GE(light.color(QPalette::Window).lightnessF(), 0.5);
    expectReadableOn(false);

    QGuiApplication::setPalette(darkDesktopPalette());
    expectReadableOn(true);

    QGuiApplication::setPalette(light);
    expectReadableOn(false);
}

} // namespace
