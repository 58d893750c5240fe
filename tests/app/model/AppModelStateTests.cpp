#include "AppModelFixture.h"

#include <QFile>
#include <QSignalSpy>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

TEST_F(AppModelTest, StartsWithTheStoredPreferencesAndShowsOnboardingUntilSetupIsComplete)
{
    setPreferences({.officeOpenMode = OpenMode::officePreserved, .rootFolderName = u"Work Files"_s,
                    .hasCompletedOnboarding = false});

    makeModel();

    EXPECT_EQ(model->preferences(), (OrvanePreferences{OpenMode::officePreserved, u"Work Files"_s, false}));
    EXPECT_EQ(model->property("officeOpenMode"), u"officePreserved"_s);
    EXPECT_EQ(model->property("rootFolderName"), u"Work Files"_s);
    EXPECT_EQ(model->property("hasCompletedOnboarding"), false);
    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);
    EXPECT_EQ(model->lastError(), std::nullopt);
}

TEST_F(AppModelTest, EveryPreferenceWrittenThroughAPropertyIsSavedAtOnce)
{
    makeModel();
    QSignalSpy changed(model.get(), &AppModel::preferencesChanged);

    ASSERT_TRUE(model->setProperty("rootFolderName", u"W"_s));
    EXPECT_EQ(PreferencesStore(defaults).load().rootFolderName, u"W"_s);
    ASSERT_TRUE(model->setProperty("rootFolderName", u"Wo"_s));
    EXPECT_EQ(PreferencesStore(defaults).load().rootFolderName, u"Wo"_s);
    ASSERT_TRUE(model->setProperty("officeOpenMode", u"officePreserved"_s));
    EXPECT_EQ(PreferencesStore(defaults).load().officeOpenMode, OpenMode::officePreserved);
    ASSERT_TRUE(model->setProperty("hasCompletedOnboarding", false));
    EXPECT_FALSE(PreferencesStore(defaults).load().hasCompletedOnboarding);

    EXPECT_EQ(changed.size(), 4);
    EXPECT_EQ(model->preferences(), (OrvanePreferences{OpenMode::officePreserved, u"Wo"_s, false}));
}

TEST_F(AppModelTest, UnchangedOrUnknownPreferenceValuesChangeNothing)
{
    makeModel();
    QSignalSpy changed(model.get(), &AppModel::preferencesChanged);

    model->setRootFolderName(u"Opened from Mac"_s);
    model->setOfficeOpenModeRawValue(u"googleFormat"_s);
    model->setOfficeOpenModeRawValue(u"pdf"_s);

    EXPECT_EQ(changed.size(), 0);
    EXPECT_EQ(model->preferences(), initialPreferences());
}

TEST_F(AppModelTest, CompletingOnboardingIsSavedAndShowsTheHomeView)
{
    setPreferences({.hasCompletedOnboarding = false});
    makeModel();

    model->completeOnboarding();

    EXPECT_TRUE(PreferencesStore(defaults).load().hasCompletedOnboarding);
    EXPECT_TRUE(model->hasCompletedOnboarding());
    EXPECT_FALSE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Orvane is ready. You can revisit onboarding from the tray icon."_s);
}

TEST_F(AppModelTest, OnboardingIsShownAgainOnlyWhileSetupIsIncomplete)
{
    makeModel();
    model->setShowingOnboarding(false);

    model->showOnboardingIfSetupIsIncomplete();
    EXPECT_FALSE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);

    model->setHasCompletedOnboarding(false);
    model->showOnboardingIfSetupIsIncomplete();
    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Complete setup before opening files from the file manager."_s);
}

TEST_F(AppModelTest, CopyWithoutAnOpenedFileSetsOnlyTheError)
{
    makeModel();

    model->copyLastOpenedURL();

    EXPECT_EQ(model->lastError(), u"No Google file URL has been opened yet."_s);
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);
    EXPECT_TRUE(clipboard.isEmpty());
}

TEST_F(AppModelTest, CopyPutsTheLastGoogleURLOnTheClipboard)
{
    makeModel();
    openAndWait(writeFile(u"sales.csv"_s, "Region,Amount\n"));
    ASSERT_TRUE(model->lastOpenedURL());

    model->copyLastOpenedURL();

    EXPECT_EQ(clipboard, QStringList{model->lastOpenedURL()->toString()});
    EXPECT_EQ(model->statusMessage(), u"Copied Google file URL"_s);
    EXPECT_EQ(model->property("lastOpenedURL").toUrl(), *model->lastOpenedURL());
}

TEST_F(AppModelTest, RecentFilesReachTheViewsWithTheirFields)
{
    makeModel();
    QSignalSpy recentChanged(model.get(), &AppModel::recentRecordsChanged);
    const QUrl sales = writeFile(u"sales.csv"_s, "Region,Amount\n");

    openAndWait(sales);

    ASSERT_EQ(model->recentRecords().size(), 1);
    const LocalFileRecord& record = model->recentRecords().first();
    const QVariantList items = model->property("recentRecords").toList();
    ASSERT_EQ(items.size(), 1);
    const QVariantMap item = items.first().toMap();
    EXPECT_EQ(item.value(u"id"_s), record.id.toString(QUuid::WithoutBraces).toUpper());
    EXPECT_EQ(item.value(u"fileName"_s), u"sales.csv"_s);
    EXPECT_EQ(item.value(u"localFilePath"_s), sales.toLocalFile());
    EXPECT_EQ(item.value(u"fileExtension"_s), u"csv"_s);
    EXPECT_EQ(item.value(u"destinationFolderName"_s), u"CSV Imports"_s);
    EXPECT_EQ(item.value(u"openMode"_s), u"googleFormat"_s);
    EXPECT_EQ(item.value(u"lastOpenedAt"_s).toDateTime(), record.lastOpenedAt);
    EXPECT_EQ(item.value(u"openURL"_s).toUrl(), record.openURL);
    EXPECT_EQ(item.size(), 8);
    EXPECT_EQ(recentChanged.size(), 1);
}

TEST_F(AppModelTest, RecentFilesAreTheTwelveNewest)
{
    QList<LocalFileRecord> records;
    const QDateTime start(QDate(2025, 3, 1), QTime(9, 0), Qt::UTC);
    for (int index = 0; index < 14; ++index) {
        records.append({.id = QUuid::createUuid(), .localFilePath = u"/home/aki/file%1.csv"_s.arg(index),
                        .fileExtension = u"csv"_s, .fileSize = index, .modifiedAt = start, .sha256 = std::nullopt,
                        .googleDriveFileID = u"id%1"_s.arg(index),
                        .openURL = QUrl(u"https://docs.google.com/spreadsheets/d/id%1/edit"_s.arg(index)),
                        .openMode = OpenMode::googleFormat, .destinationFolderName = u"CSV Imports"_s,
                        .createdAt = start, .lastOpenedAt = start.addSecs(index * 60)});
    }
    stateStore.saveRecords(records);

    makeModel();

    ASSERT_EQ(model->recentRecords().size(), 12);
    EXPECT_EQ(model->recentRecords().first().googleDriveFileID, u"id13"_s);
    EXPECT_EQ(model->recentRecords().last().googleDriveFileID, u"id2"_s);
    EXPECT_EQ(model->lastOpenedURL(), QUrl(u"https://docs.google.com/spreadsheets/d/id13/edit"_s));
}

TEST_F(AppModelTest, UnreadableStateFileKeepsTheListAndShowsTheStoresMessage)
{
    makeModel();
    openAndWait(writeFile(u"sales.csv"_s, "Region,Amount\n"));
    ASSERT_EQ(model->recentRecords().size(), 1);
    QFile stateFile(paths().defaultStateFileURL().toLocalFile());
    ASSERT_TRUE(stateFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    stateFile.write("[{\"id\": 1}]");
    stateFile.close();

    model->refreshRecentFiles();

    ASSERT_TRUE(model->lastError());
    EXPECT_TRUE(model->lastError()->contains(stateFile.fileName())) << model->lastError()->toStdString();
    EXPECT_EQ(model->recentRecords().size(), 1);
}

TEST_F(AppModelTest, RecordURLGoesToTheBrowserOnlyWhenItIsAWebAddress)
{
    makeModel();
    const QUrl editor(u"https://docs.google.com/document/d/abc/edit"_s);

    model->openRecordURL(editor);
    model->openRecordURL(QUrl(u"file:///usr/bin/xterm"_s));

    EXPECT_EQ(browserCalls, QList<QUrl>{editor});
    EXPECT_EQ(model->lastError(),
              u"Orvane opens only web addresses (http or https) in the browser, not \u201Cfile:///usr/bin/xterm\u201D."_s);
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);
}

TEST_F(AppModelTest, TheMenuMayWriteTheStatusAndTheOnboardingFlag)
{
    makeModel();
    QSignalSpy statusChanged(model.get(), &AppModel::statusMessageChanged);
    QSignalSpy onboardingChanged(model.get(), &AppModel::isShowingOnboardingChanged);

    ASSERT_TRUE(model->setProperty("isShowingOnboarding", true));
    ASSERT_TRUE(model->setProperty("statusMessage", u"Reviewing onboarding"_s));
    ASSERT_TRUE(model->setProperty("statusMessage", u"Reviewing onboarding"_s));

    EXPECT_TRUE(model->isShowingOnboarding());
    EXPECT_EQ(model->statusMessage(), u"Reviewing onboarding"_s);
    EXPECT_EQ(statusChanged.size(), 1);
    EXPECT_EQ(onboardingChanged.size(), 1);
}

TEST_F(AppModelTest, WindowActionsCallTheInstalledHandlers)
{
    makeModel();
    int preferencesWindowRequests = 0;

    model->showPreferencesWindow();
    model->setShowPreferencesWindowHandler([&] { ++preferencesWindowRequests; });
    model->showPreferencesWindow();
    model->showMainWindow();

    EXPECT_EQ(preferencesWindowRequests, 1);
    EXPECT_EQ(mainWindowRequests, 1);
}

} // namespace
