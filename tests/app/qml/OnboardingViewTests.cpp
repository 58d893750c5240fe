#include "ViewFixture.h"
#include "platform/DefaultApplicationRegistrar.h"

#include <QTest>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class OnboardingViewTest : public ViewTest {
protected:
    // A user who has not finished setup yet.
    QQuickWindow& showOnboarding(bool hasCompletedOnboarding = false)
    {
        setPreferences({.hasCompletedOnboarding = hasCompletedOnboarding});
        makeViews();
        model->setShowingOnboarding(true);
        return showMainWindow();
    }

    QString selectedStep(QQuickWindow& window)
    {
        return item(window, u"onboardingView"_s)->property("selectedStepKey").toString();
    }

    void chooseStep(QQuickWindow& window, const QString& step) { click(window, item(window, u"sidebarStep_"_s + step)); }

    // Making Orvane the default is "done" or "refused" by xdg-mime, in turn.
    void registerAsDefaultInTurn(QStringList outcomes)
    {
        registerAsDefaultApplication = [outcomes]() mutable -> QCoro::Task<> {
            if (outcomes.takeFirst() == u"refused"_s)
                throw DefaultApplicationError(u"xdg-mime failed with status 4."_s);
            co_return;
        };
    }
};

TEST_F(OnboardingViewTest, StartsAtTheWelcomeStepWithBackDisabledAndNextEnabled)
{
    QQuickWindow& window = showOnboarding();

    EXPECT_EQ(selectedStep(window), u"welcome"_s);
    EXPECT_FALSE(item(window, u"backButton"_s)->isEnabled());
    EXPECT_TRUE(item(window, u"nextButton"_s)->isEnabled());
    EXPECT_EQ(window.title(), u"Orvane"_s);
}

TEST_F(OnboardingViewTest, NextAndBackWalkTheStepsInOrder)
{
    QQuickWindow& window = showOnboarding();
    connectAndWait();

    QStringList visited{selectedStep(window)};
    for (int step = 0; step < 5; ++step) {
        click(window, item(window, u"nextButton"_s));
        visited.append(selectedStep(window));
    }
    click(window, item(window, u"backButton"_s));

    EXPECT_EQ(visited, (QStringList{u"welcome"_s, u"connect"_s, u"destination"_s, u"mode"_s, u"doubleClick"_s,
                                    u"testFile"_s}));
    EXPECT_EQ(selectedStep(window), u"doubleClick"_s);
}

TEST_F(OnboardingViewTest, NextWaitsOnTheConnectStepUntilGoogleIsConnected)
{
    QQuickWindow& window = showOnboarding();
    click(window, item(window, u"nextButton"_s));
    ASSERT_EQ(selectedStep(window), u"connect"_s);

    QQuickItem* next = item(window, u"nextButton"_s);
    EXPECT_FALSE(next->isEnabled());
    click(window, next);
    EXPECT_EQ(selectedStep(window), u"connect"_s);

    QQuickItem* connect = item(window, u"connectButton"_s);
    EXPECT_EQ(text(connect), u"Connect Google"_s);
    click(window, connect);
    ASSERT_TRUE(waitUntil([this] { return model->isConnected(); }));
    settle(window);

    EXPECT_EQ(text(connect), u"Connected"_s);
    EXPECT_FALSE(connect->isEnabled());
    QQuickItem* pill = item(window, u"connectionPill"_s);
    EXPECT_EQ(pill->property("title"), u"Google account connected"_s);
    EXPECT_EQ(pill->property("systemImage"), u"checkmark.circle.fill"_s);
    EXPECT_EQ(pill->property("isPositive"), true);
    EXPECT_TRUE(next->isEnabled());
    click(window, next);
    EXPECT_EQ(selectedStep(window), u"destination"_s);
}

TEST_F(OnboardingViewTest, TheConnectPageShowsTheStateOfTheSignInAndItsError)
{
    withClientIDInEnvironment = false;
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"connect"_s);
    QQuickItem* pill = item(window, u"connectionPill"_s);
    EXPECT_EQ(pill->property("title"), u"Not connected"_s);
    EXPECT_EQ(pill->property("systemImage"), u"person.crop.circle.badge.exclamationmark"_s);
    EXPECT_EQ(pill->property("isPositive"), false);
    EXPECT_FALSE(item(window, u"errorBanner"_s)->isVisible());

    click(window, item(window, u"connectButton"_s));
    ASSERT_TRUE(waitUntil([this] { return !model->isConnectingGoogle(); }));
    settle(window);

    QQuickItem* banner = item(window, u"errorBanner"_s);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->property("message"), u"Google OAuth client ID is not configured."_s);
    EXPECT_EQ(text(item(window, u"statusText"_s)), u"Google sign-in failed"_s);
    EXPECT_TRUE(item(window, u"connectButton"_s)->isEnabled());
}

TEST_F(OnboardingViewTest, TheSidebarReachesEveryStepWithoutAConnection)
{
    QQuickWindow& window = showOnboarding();

    for (const QString& step : {u"testFile"_s, u"destination"_s, u"doubleClick"_s, u"mode"_s, u"connect"_s,
                                u"welcome"_s}) {
        chooseStep(window, step);
        EXPECT_EQ(selectedStep(window), step);
    }
    EXPECT_FALSE(model->isConnected());
}

TEST_F(OnboardingViewTest, WithoutAConnectionTheSampleCannotBeOpenedAndAnOrangeBannerSaysWhy)
{
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"testFile"_s);

    QQuickItem* sample = item(window, u"sampleButton"_s);
    EXPECT_FALSE(sample->isEnabled());
    QQuickItem* banner = item(window, u"connectFirstBanner"_s);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->property("message"), u"Google 接続後にサンプルファイルを開けます。"_s);
    EXPECT_FALSE(item(window, u"samplePill"_s)->isVisible());
    QQuickItem* finish = item(window, u"finishButton"_s);
    EXPECT_EQ(text(finish), u"Finish"_s);
    EXPECT_FALSE(finish->isEnabled());
    EXPECT_FALSE(item(window, u"nextButton"_s)->isVisible());
}

TEST_F(OnboardingViewTest, OpeningTheSampleShowsTheGreenPillAndEnablesFinish)
{
    QQuickWindow& window = showOnboarding();
    connectAndWait();
    chooseStep(window, u"testFile"_s);
    QQuickItem* sample = item(window, u"sampleButton"_s);
    ASSERT_TRUE(sample->isEnabled());
    EXPECT_FALSE(item(window, u"connectFirstBanner"_s)->isVisible());

    click(window, sample);
    EXPECT_FALSE(sample->isEnabled()) << "disabled while the sample opens";
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));
    settle(window);

    ASSERT_TRUE(model->didOpenSampleFile());
    QQuickItem* pill = item(window, u"samplePill"_s);
    EXPECT_TRUE(pill->isVisible());
    EXPECT_EQ(pill->property("title"), u"Sample file opened"_s);
    EXPECT_EQ(pill->property("isPositive"), true);
    EXPECT_EQ(uploadCount(), 1);
    QQuickItem* finish = item(window, u"finishButton"_s);
    ASSERT_TRUE(finish->isEnabled());

    click(window, finish);

    EXPECT_TRUE(model->hasCompletedOnboarding());
    EXPECT_FALSE(model->isShowingOnboarding());
    EXPECT_NE(item(window, u"homeView"_s), nullptr);
}

TEST_F(OnboardingViewTest, ReviewingAfterSetupOffersDoneWithoutTheSample)
{
    QQuickWindow& window = showOnboarding(true);
    chooseStep(window, u"testFile"_s);

    QQuickItem* done = item(window, u"finishButton"_s);
    EXPECT_EQ(text(done), u"Done"_s);
    EXPECT_TRUE(done->isEnabled());
    click(window, done);
    EXPECT_FALSE(model->isShowingOnboarding());
    EXPECT_NE(item(window, u"homeView"_s), nullptr);
}

TEST_F(OnboardingViewTest, ReturnPressesTheEnabledDefaultButton)
{
    QQuickWindow& window = showOnboarding(true);

    pressKey(window, Qt::Key_Return);
    EXPECT_EQ(selectedStep(window), u"connect"_s);
    pressKey(window, Qt::Key_Enter);
    EXPECT_EQ(selectedStep(window), u"connect"_s) << "Next waits for the connection";

    chooseStep(window, u"testFile"_s);
    pressKey(window, Qt::Key_Return);
    EXPECT_FALSE(model->isShowingOnboarding());
}

TEST_F(OnboardingViewTest, ReturnInTheRootFolderFieldPressesNext)
{
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"destination"_s);
    click(window, item(window, u"rootFolderField"_s));

    pressKey(window, Qt::Key_Return);

    EXPECT_EQ(selectedStep(window), u"mode"_s);
}

TEST_F(OnboardingViewTest, TheHelpSheetOpensFromTheDoubleClickStepAndReturnClosesIt)
{
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"doubleClick"_s);
    QQuickItem* onboarding = item(window, u"onboardingView"_s);

    click(window, item(window, u"helpButton"_s));
    ASSERT_TRUE(onboarding->property("showingDoubleClickHelp").toBool());
    QQuickItem* sheet = item(window, u"helpDoneButton"_s);
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());

    pressKey(window, Qt::Key_Return);

    EXPECT_FALSE(onboarding->property("showingDoubleClickHelp").toBool());
    EXPECT_EQ(selectedStep(window), u"doubleClick"_s) << "Return closed the sheet and did not press Next";

    click(window, item(window, u"helpButton"_s));
    ASSERT_TRUE(onboarding->property("showingDoubleClickHelp").toBool());
    click(window, item(window, u"helpDoneButton"_s));
    EXPECT_FALSE(onboarding->property("showingDoubleClickHelp").toBool());
}

TEST_F(OnboardingViewTest, MakeOrvaneTheDefaultReportsWhatItDidAndKeepsTheManualSteps)
{
    registerAsDefaultInTurn({u"refused"_s, u"done"_s});
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"doubleClick"_s);
    EXPECT_FALSE(item(window, u"madeDefaultBanner"_s)->isVisible());
    EXPECT_FALSE(item(window, u"makeDefaultErrorBanner"_s)->isVisible());

    click(window, item(window, u"makeDefaultButton"_s));
    ASSERT_TRUE(waitUntil([this] { return model->lastError().has_value(); }));
    settle(window);
    EXPECT_TRUE(item(window, u"makeDefaultErrorBanner"_s)->isVisible());
    EXPECT_EQ(item(window, u"makeDefaultErrorBanner"_s)->property("message"),
              u"Orvane could not make itself the default application: xdg-mime failed with status 4."_s);
    EXPECT_FALSE(item(window, u"madeDefaultBanner"_s)->isVisible());

    click(window, item(window, u"makeDefaultButton"_s));
    ASSERT_TRUE(waitUntil([this] { return !model->lastError().has_value(); }));
    settle(window);
    EXPECT_FALSE(item(window, u"makeDefaultErrorBanner"_s)->isVisible());
    EXPECT_TRUE(item(window, u"madeDefaultBanner"_s)->isVisible());
    EXPECT_TRUE(item(window, u"madeDefaultBanner"_s)->property("message").toString().startsWith(
        u"Orvane is now the default application for .csv"_s));
    EXPECT_TRUE(item(window, u"helpButton"_s)->isVisible());
}

TEST_F(OnboardingViewTest, TheDefaultApplicationBannersShowWhatMakingOrvaneTheDefaultCameToAndNothingLater)
{
    registerAsDefaultInTurn({u"done"_s, u"refused"_s});
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"doubleClick"_s);
    QQuickItem* madeDefault = item(window, u"madeDefaultBanner"_s);
    QQuickItem* failed = item(window, u"makeDefaultErrorBanner"_s);
    click(window, item(window, u"makeDefaultButton"_s));
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage().startsWith(u"Orvane is now"_s); }));
    const QString done = model->statusMessage();

    // A file handed over before setup is complete, then a failed action.
    model->openFiles({writeFile(u"report.csv"_s, "a\n")});
    ASSERT_TRUE(waitUntil([this, &done] { return model->statusMessage() != done; }));
    model->copyLastOpenedURL();
    settle(window);

    EXPECT_TRUE(madeDefault->isVisible());
    EXPECT_EQ(madeDefault->property("message"), done);
    EXPECT_FALSE(failed->isVisible());

    click(window, item(window, u"makeDefaultButton"_s));
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage() == u"Could not make Orvane the default application"_s; }));
    model->copyLastOpenedURL();
    settle(window);

    EXPECT_FALSE(madeDefault->isVisible());
    EXPECT_TRUE(failed->isVisible());
    EXPECT_EQ(failed->property("message"),
              u"Orvane could not make itself the default application: xdg-mime failed with status 4."_s);
}

TEST_F(OnboardingViewTest, EveryKeystrokeInTheRootFolderFieldReachesTheModelAndAnEmptyNameStaysEmpty)
{
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"destination"_s);
    QQuickItem* field = item(window, u"rootFolderField"_s);
    EXPECT_EQ(text(field), u"Opened from Mac"_s);
    EXPECT_EQ(field->property("placeholderText"), u"Opened from Mac"_s);
    click(window, field);
    pressKey(window, Qt::Key_A, Qt::ControlModifier);

    QStringList names;
    for (const char key : {'W', 'o', 'r', 'k'}) {
        QTest::keyClick(&window, key);
        names.append(model->rootFolderName());
    }
    EXPECT_EQ(names, (QStringList{u"W"_s, u"Wo"_s, u"Wor"_s, u"Work"_s}));
    EXPECT_EQ(PreferencesStore(defaults).load().rootFolderName, u"Work"_s);

    pressKey(window, Qt::Key_A, Qt::ControlModifier);
    pressKey(window, Qt::Key_Backspace);

    EXPECT_EQ(model->rootFolderName(), QString());
    EXPECT_EQ(PreferencesStore(defaults).load().rootFolderName, QString());
    EXPECT_EQ(text(field), QString());
}

TEST_F(OnboardingViewTest, TheModePickerWritesTheModelAndFollowsIt)
{
    QQuickWindow& window = showOnboarding();
    chooseStep(window, u"mode"_s);
    QQuickItem* google = item(window, u"option_googleFormat"_s);
    QQuickItem* office = item(window, u"option_officePreserved"_s);
    EXPECT_TRUE(google->property("checked").toBool());
    EXPECT_EQ(text(office), u"Office形式維持モード"_s);

    click(window, office);
    EXPECT_EQ(model->preferences().officeOpenMode, OpenMode::officePreserved);
    EXPECT_FALSE(google->property("checked").toBool());

    model->setOfficeOpenModeRawValue(u"googleFormat"_s);
    settle(window);
    EXPECT_TRUE(google->property("checked").toBool());
    EXPECT_FALSE(office->property("checked").toBool());
}

TEST_F(OnboardingViewTest, ShowsOnboardingWhileSetupIsIncompleteOrReviewedAndHomeOtherwise)
{
    QQuickWindow& window = showOnboarding(true);
    EXPECT_NE(item(window, u"onboardingView"_s), nullptr);

    model->setShowingOnboarding(false);
    settle(window);
    EXPECT_NE(item(window, u"homeView"_s), nullptr);

    model->setHasCompletedOnboarding(false);
    settle(window);
    EXPECT_NE(item(window, u"onboardingView"_s), nullptr) << "setup incomplete";
}

TEST_F(OnboardingViewTest, ReturningFromHomeStartsOnboardingAgainAtWelcome)
{
    QQuickWindow& window = showOnboarding(true);
    chooseStep(window, u"mode"_s);

    model->setShowingOnboarding(false);
    settle(window);
    model->setShowingOnboarding(true);
    settle(window);

    EXPECT_EQ(selectedStep(window), u"welcome"_s);
}

} // namespace
