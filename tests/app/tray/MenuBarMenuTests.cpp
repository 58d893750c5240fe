#include "AppModelFixture.h"
#include "PaintedText.h"
#include "tray/MenuBarMenu.h"
#include "SampleRecords.h"

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// One line per menu entry: its title ("---" for a separator) and "(disabled)"
// when it cannot be chosen.
QStringList entries(const QMenu& menu)
{
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        QString line = action->isSeparator() ? u"---"_s : action->text();
        if (!action->isSeparator() && !action->isEnabled())
            line += u" (disabled)"_s;
        lines.append(line);
    }
    return lines;
}

class MenuBarMenuTest : public AppModelTest {
protected:
    void storeRecords(qsizetype count) { storeRecords(count, u"/home/aki/Reports/report-%1.csv"_s); }

    // Records whose paths are pathPattern with 1, 2, … in place of %1.
    void storeRecords(qsizetype count, const QString& pathPattern)
    {
        QList<LocalFileRecord> records;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (qsizetype index = 0; index < count; ++index) {
            LocalFileRecord record = sampleRecord(pathPattern.arg(index + 1), now.addSecs(-60 * (index + 1)));
            record.openURL = QUrl(u"https://docs.google.com/spreadsheets/d/report-%1/edit"_s.arg(index + 1));
            records.append(record);
        }
        stateStore.saveRecords(records);
    }

    MenuBarMenu& makeMenu()
    {
        if (!model)
            makeModel();
        menuBarMenu = std::make_unique<MenuBarMenu>(
            *model, [this] { ++mainWindowShown; }, [this] { ++quitRequests; });
        Q_EMIT menuBarMenu->menu().aboutToShow();
        return *menuBarMenu;
    }

    QAction* action(const QString& text) const
    {
        for (QAction* candidate : menuBarMenu->menu().actions()) {
            if (candidate->text() == text)
                return candidate;
        }
        ADD_FAILURE() << "no menu item " << qPrintable(text);
        return nullptr;
    }

    std::unique_ptr<MenuBarMenu> menuBarMenu;
    int mainWindowShown = 0;
    int quitRequests = 0;
};

TEST_F(MenuBarMenuTest, WithoutRecordsTheMenuSaysSoAndCannotCopyAURL)
{
    makeMenu();

    EXPECT_EQ(entries(menuBarMenu->menu()),
              (QStringList{u"Open Orvane"_s, u"Copy Last Google URL (disabled)"_s, u"---"_s,
                           u"No recent files (disabled)"_s, u"---"_s, u"Preferences"_s, u"Onboarding"_s, u"---"_s,
                           u"Quit Orvane"_s}));
}

TEST_F(MenuBarMenuTest, ThreeRecordsAreListedByFileNameNewestFirst)
{
    storeRecords(3);
    makeMenu();

    EXPECT_EQ(entries(menuBarMenu->menu()),
              (QStringList{u"Open Orvane"_s, u"Copy Last Google URL"_s, u"---"_s, u"Recent Files (disabled)"_s,
                           u"report-1.csv"_s, u"report-2.csv"_s, u"report-3.csv"_s, u"---"_s, u"Preferences"_s,
                           u"Onboarding"_s, u"---"_s, u"Quit Orvane"_s}));
}

TEST_F(MenuBarMenuTest, OfNineRecordsTheFirstEightAreListed)
{
    storeRecords(9);
    makeMenu();

    const QStringList lines = entries(menuBarMenu->menu());
    const QStringList recent = lines.mid(4, 8);
    EXPECT_EQ(recent, (QStringList{u"report-1.csv"_s, u"report-2.csv"_s, u"report-3.csv"_s, u"report-4.csv"_s,
                                   u"report-5.csv"_s, u"report-6.csv"_s, u"report-7.csv"_s, u"report-8.csv"_s}));
    EXPECT_EQ(lines.mid(12), (QStringList{u"---"_s, u"Preferences"_s, u"Onboarding"_s, u"---"_s, u"Quit Orvane"_s}));
}

TEST_F(MenuBarMenuTest, ARecentFileOpensItsGoogleURLInTheBrowserAndNothingElse)
{
    storeRecords(3);
    makeMenu();
    const QString statusBefore = model->statusMessage();

    action(u"report-2.csv"_s)->trigger();

    EXPECT_EQ(browserCalls, (QList<QUrl>{QUrl(u"https://docs.google.com/spreadsheets/d/report-2/edit"_s)}));
    EXPECT_EQ(model->statusMessage(), statusBefore);
    EXPECT_EQ(uploadCount(), 0);
}

TEST_F(MenuBarMenuTest, TheMenuFollowsTheRecentFilesWhenItOpensAgain)
{
    makeMenu();
    ASSERT_TRUE(entries(menuBarMenu->menu()).contains(u"No recent files (disabled)"_s));

    storeRecords(1);
    model->refreshRecentFiles();
    Q_EMIT menuBarMenu->menu().aboutToShow();

    EXPECT_TRUE(action(u"Copy Last Google URL"_s)->isEnabled());
    EXPECT_TRUE(entries(menuBarMenu->menu()).contains(u"report-1.csv"_s));
    action(u"Copy Last Google URL"_s)->trigger();
    EXPECT_EQ(clipboard, (QStringList{u"https://docs.google.com/spreadsheets/d/report-1/edit"_s}));
}

TEST_F(MenuBarMenuTest, OpenOrvaneShowsHomeAfterSetupEvenWhileReviewing)
{
    makeModel();
    model->setShowingOnboarding(true);
    makeMenu();

    action(u"Open Orvane"_s)->trigger();

    EXPECT_FALSE(model->isShowingOnboarding());
    EXPECT_EQ(mainWindowShown, 1);
}

TEST_F(MenuBarMenuTest, OpenOrvaneShowsOnboardingBeforeSetupIsComplete)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeModel();
    model->setShowingOnboarding(false);
    makeMenu();

    action(u"Open Orvane"_s)->trigger();

    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Complete setup before opening files from the file manager."_s);
    EXPECT_EQ(mainWindowShown, 1);
}

TEST_F(MenuBarMenuTest, OnboardingReviewsSetupInTheMainWindow)
{
    makeMenu();

    action(u"Onboarding"_s)->trigger();

    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Reviewing onboarding"_s);
    EXPECT_EQ(mainWindowShown, 1);
}

TEST_F(MenuBarMenuTest, PreferencesAndQuitReachTheirHandlers)
{
    makeModel();
    int preferencesShown = 0;
    model->setShowPreferencesWindowHandler([&preferencesShown] { ++preferencesShown; });
    makeMenu();

    action(u"Preferences"_s)->trigger();
    action(u"Quit Orvane"_s)->trigger();

    EXPECT_EQ(preferencesShown, 1);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_EQ(mainWindowShown, 0);
}

TEST_F(MenuBarMenuTest, FileNamesAreShownAsTheyAreWithoutTakingALetterForAShortcut)
{
    storeRecords(1, u"/home/aki/Reports/P&L_Q%1 R&D.csv"_s);
    makeMenu();

    const QStringList shown = paintedLines(menuBarMenu->menu());

    EXPECT_TRUE(shown.contains(u"P&L_Q1 R&D.csv"_s)) << qPrintable(shown.join(u" | "_s));
    EXPECT_EQ(shown.mid(0, 2), (QStringList{u"Open Orvane"_s, u"Copy Last Google URL"_s}));
    menuBarMenu->menu().actions().at(4)->trigger();
    EXPECT_EQ(browserCalls, (QList<QUrl>{QUrl(u"https://docs.google.com/spreadsheets/d/report-1/edit"_s)}));
}

TEST_F(MenuBarMenuTest, EveryActionableItemButTheFilesAndQuitHasASymbol)
{
    storeRecords(1);
    makeMenu();

    for (const QString& title : {u"Open Orvane"_s, u"Copy Last Google URL"_s, u"Preferences"_s, u"Onboarding"_s})
        EXPECT_FALSE(action(title)->icon().isNull()) << qPrintable(title);
    EXPECT_TRUE(action(u"report-1.csv"_s)->icon().isNull());
    EXPECT_TRUE(action(u"Quit Orvane"_s)->icon().isNull());
}

// A large file, whose upload's chunk the emulator holds for duration, opened.
class MenuBarMenuUploadTest : public MenuBarMenuTest {
protected:
    void openLargeFileWithAStalledUpload(std::chrono::milliseconds duration)
    {
        makeModel();
        connectAndWait();
        makeMenu();
        emulator.stallNextRequests(u"/upload/drive/v3/files"_s, duration, 1, "PUT");
        model->openFile(writeFile(u"export.csv"_s, QByteArray(6 * 1024 * 1024, 'a')));
        ASSERT_TRUE(waitUntil([this] { return model->isUploading(); }));
    }
};

TEST_F(MenuBarMenuUploadTest, AnUploadUnderWayHeadsTheMenuAndItsCancelStopsIt)
{
    openLargeFileWithAStalledUpload(std::chrono::seconds(30));
    const QStringList shown = entries(menuBarMenu->menu());
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), model->uploadTitle() + u" (disabled)"_s);
    EXPECT_TRUE(shown.first().startsWith(u"Uploading export.csv \u2014 "_s)) << qPrintable(shown.first());
    EXPECT_EQ(shown.mid(1), (QStringList{u"Cancel Upload"_s, u"---"_s, u"Open Orvane"_s,
                                         u"Copy Last Google URL (disabled)"_s, u"---"_s, u"No recent files (disabled)"_s,
                                         u"---"_s, u"Preferences"_s, u"Onboarding"_s, u"---"_s, u"Quit Orvane"_s}));
    EXPECT_FALSE(action(u"Cancel Upload"_s)->icon().isNull());

    action(u"Cancel Upload"_s)->trigger();
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));
    EXPECT_EQ(model->statusMessage(), u"Upload of export.csv cancelled"_s);
    EXPECT_EQ(entries(menuBarMenu->menu()).first(), u"Open Orvane"_s) << "the upload's items are gone";
}

TEST_F(MenuBarMenuUploadTest, TheUploadsTitleFollowsItsPercentInPlace)
{
    openLargeFileWithAStalledUpload(std::chrono::milliseconds(1200));
    const QPointer<QAction> title = menuBarMenu->menu().actions().first();
    QStringList mismatches;
    int updates = 0;
    // Connected after the menu, so it hears each change after the menu did.
    QObject::connect(model.get(), &AppModel::uploadChanged, [&] {
        if (!model->isUploading())
            return;
        ++updates;
        if (!title || title->text() != model->uploadTitle())
            mismatches.append(title ? title->text() : u"(item gone)"_s);
    });
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));
    EXPECT_GT(updates, 0);
    EXPECT_TRUE(mismatches.isEmpty()) << qPrintable(mismatches.join(u" | "_s));
    EXPECT_EQ(model->statusMessage(), u"Uploaded and opened export.csv"_s);
}

} // namespace

