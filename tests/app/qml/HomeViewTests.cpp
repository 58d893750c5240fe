#include "SampleRecords.h"
#include "ViewFixture.h"
#include "model/PlatformTexts.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMimeData>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class HomeViewTest : public ViewTest {
protected:
    // Records for files named name0.ext0, name1.ext1, …, the first the newest.
    void storeRecords(const QStringList& extensions)
    {
        QList<LocalFileRecord> records;
        const QDateTime now = QDateTime::currentDateTimeUtc();
        for (qsizetype index = 0; index < extensions.size(); ++index) {
            LocalFileRecord record = sampleRecord(u"/home/aki/Reports/file%1.%2"_s.arg(index).arg(extensions[index]),
                                                  now.addSecs(-3600 * (index + 1)));
            record.fileExtension = extensions[index];
            record.openURL = QUrl(u"https://docs.google.com/spreadsheets/d/file%1/edit"_s.arg(index));
            records.append(record);
        }
        stateStore.saveRecords(records);
    }

    // Two files an earlier run took and did not open, offered at this start.
    QQuickWindow& showHomeAfterARunLeftTwoFiles()
    {
        const QList<QUrl> left{writeFile(u"first.csv"_s, "a,b\n1,2\n"), writeFile(u"second.csv"_s, "c,d\n3,4\n")};
        const QString listPath = paths().pendingOpensFileURL().toLocalFile();
        PendingOpenList(listPath).add(left);
        pendingOpens = std::make_unique<PendingOpenList>(listPath);
        makeModel();
        connectAndWait();
        QQuickWindow& window = showHome();
        EXPECT_TRUE(item(window, u"unopenedFilesBanner"_s)->isVisible());
        EXPECT_EQ(text(item(window, u"unopenedFileList"_s)), left[0].toLocalFile() + u'\n' + left[1].toLocalFile());
        return window;
    }

    QQuickWindow& showHome()
    {
        makeViews();
        return showMainWindow();
    }

    // The row of record index, scrolled into view.
    static QQuickItem* row(QQuickItem* list, int index)
    {
        constexpr int containMode = 4; // ListView.Contain
        QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, index), Q_ARG(int, containMode));
        QMetaObject::invokeMethod(list, "forceLayout");
        QQuickItem* found = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, found), Q_ARG(int, index));
        return found;
    }
};

TEST_F(HomeViewTest, ThePillsFollowTheConnectionAndTheOpeningMode)
{
    QQuickWindow& window = showHome();
    QQuickItem* connection = item(window, u"connectionPill"_s);
    QQuickItem* mode = item(window, u"modePill"_s);
    EXPECT_EQ(connection->property("title"), u"Google not connected"_s);
    EXPECT_EQ(connection->property("systemImage"), u"exclamationmark.circle.fill"_s);
    EXPECT_EQ(connection->property("isPositive"), false);
    EXPECT_EQ(mode->property("title"), u"Google format mode"_s);
    EXPECT_EQ(mode->property("isPositive"), true);

    connectAndWait();
    model->setOfficeOpenModeRawValue(u"officePreserved"_s);
    settle(window);

    EXPECT_EQ(connection->property("title"), u"Google connected"_s);
    EXPECT_EQ(connection->property("systemImage"), u"checkmark.circle.fill"_s);
    EXPECT_EQ(connection->property("isPositive"), true);
    EXPECT_EQ(mode->property("title"), u"Office format mode"_s);
}

TEST_F(HomeViewTest, WithoutRecordsThePlaceholderShowsAndNoURLCanBeCopied)
{
    QQuickWindow& window = showHome();

    EXPECT_TRUE(item(window, u"emptyRecentFiles"_s)->isVisible());
    EXPECT_FALSE(item(window, u"recentFilesListView"_s)->isVisible());
    EXPECT_FALSE(item(window, u"copyURLButton"_s)->isEnabled());
}

TEST_F(HomeViewTest, TwelveRecordsShowAsTenRowsNewestFirst)
{
    storeRecords(QStringList(12, u"csv"_s));
    QQuickWindow& window = showHome();

    QQuickItem* list = item(window, u"recentFilesListView"_s);
    EXPECT_TRUE(list->isVisible());
    EXPECT_FALSE(item(window, u"emptyRecentFiles"_s)->isVisible());
    EXPECT_EQ(list->property("count"), 10);
    QQuickItem* first = row(list, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(text(first->findChild<QQuickItem*>(u"fileName"_s)), u"file0.csv"_s);
    EXPECT_TRUE(item(window, u"copyURLButton"_s)->isEnabled());
}

TEST_F(HomeViewTest, EachRowShowsTheSymbolForItsExtensionComparedExactly)
{
    storeRecords({u"xlsm"_s, u"pdf"_s, u"CSV"_s, u"docx"_s, u"pptx"_s, u"tsv"_s});
    QQuickWindow& window = showHome();
    QQuickItem* list = item(window, u"recentFilesListView"_s);

    QStringList symbols;
    for (int index = 0; index < 6; ++index) {
        QQuickItem* shown = row(list, index);
        ASSERT_NE(shown, nullptr) << index;
        symbols.append(shown->property("iconName").toString());
    }

    EXPECT_EQ(symbols, (QStringList{u"tablecells"_s, u"doc"_s, u"doc"_s, u"doc.text"_s, u"rectangle.on.rectangle"_s,
                                    u"tablecells"_s}));
}

TEST_F(HomeViewTest, ARowNamesTheFileItsFolderItsModeAndWhenItWasOpened)
{
    LocalFileRecord record = sampleRecord(u"/home/aki/Budget 2025.xlsx"_s, QDateTime::currentDateTimeUtc().addSecs(-300));
    record.fileExtension = u"xlsx"_s;
    record.destinationFolderName = u"Sheets"_s;
    record.openMode = OpenMode::officePreserved;
    stateStore.saveRecords({record});
    QQuickWindow& window = showHome();

    EXPECT_EQ(text(item(window, u"fileName"_s)), u"Budget 2025.xlsx"_s);
    EXPECT_EQ(text(item(window, u"fileDetail"_s)), u"Sheets • Keep Office format"_s);
    EXPECT_EQ(text(item(window, u"lastOpened"_s)), u"5 minutes ago"_s);
}

TEST_F(HomeViewTest, TheRowButtonOpensTheRecordsGoogleURLInTheBrowser)
{
    storeRecords({u"csv"_s, u"csv"_s});
    QQuickWindow& window = showHome();
    QQuickItem* second = row(item(window, u"recentFilesListView"_s), 1);
    ASSERT_NE(second, nullptr);

    click(window, second->findChild<QQuickItem*>(u"openRecordButton"_s));

    EXPECT_EQ(browserCalls, (QList<QUrl>{QUrl(u"https://docs.google.com/spreadsheets/d/file1/edit"_s)}));
    EXPECT_EQ(model->statusMessage(), u"Ready"_s);
}

TEST_F(HomeViewTest, OpenThemOpensTheFilesAnEarlierRunLeftInOrderAndTheBannerGoes)
{
    QQuickWindow& window = showHomeAfterARunLeftTwoFiles();
    statuses.clear();

    click(window, item(window, u"openUnopenedFilesButton"_s));
    ASSERT_TRUE(waitUntil([this] { return statuses.contains(u"Uploaded and opened second.csv"_s); }));
    settle(window);

    EXPECT_EQ(statuses.filter(u"Uploaded and opened"_s),
              (QStringList{u"Uploaded and opened first.csv"_s, u"Uploaded and opened second.csv"_s}));
    EXPECT_EQ(uploadCount(), 2);
    EXPECT_FALSE(item(window, u"unopenedFilesBanner"_s)->isVisible());
    EXPECT_TRUE(PendingOpenList(paths().pendingOpensFileURL().toLocalFile()).files().isEmpty());
}

TEST_F(HomeViewTest, DismissLetsTheFilesAnEarlierRunLeftGoWithoutOpeningThem)
{
    QQuickWindow& window = showHomeAfterARunLeftTwoFiles();

    click(window, item(window, u"dismissUnopenedFilesButton"_s));

    EXPECT_FALSE(item(window, u"unopenedFilesBanner"_s)->isVisible());
    EXPECT_EQ(model->unopenedFiles(), QStringList());
    EXPECT_TRUE(PendingOpenList(paths().pendingOpensFileURL().toLocalFile()).files().isEmpty());
    EXPECT_FALSE(model->isOpening());
    EXPECT_EQ(uploadCount(), 0);
}

TEST_F(HomeViewTest, TheErrorBannerComesAndGoesWithTheModelsError)
{
    QQuickWindow& window = showHome();
    QQuickItem* banner = item(window, u"errorBanner"_s);
    EXPECT_FALSE(banner->isVisible());

    model->copyLastOpenedURL();
    settle(window);
    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(banner->property("message"), u"No Google file URL has been opened yet."_s);
    EXPECT_GT(banner->y(), item(window, u"emptyRecentFiles"_s)->mapToItem(banner->parentItem(), QPointF()).y())
        << "below the recent files";

    connectAndWait();
    settle(window);
    EXPECT_FALSE(banner->isVisible());
}

TEST_F(HomeViewTest, TheBottomRowCopiesTheLastURLOpensPreferencesAndShowsTheStatus)
{
    storeRecords({u"csv"_s});
    QQuickWindow& window = showHome();

    click(window, item(window, u"copyURLButton"_s));
    EXPECT_EQ(clipboard, (QStringList{u"https://docs.google.com/spreadsheets/d/file0/edit"_s}));
    EXPECT_EQ(text(item(window, u"statusText"_s)), u"Copied Google file URL"_s);

    click(window, item(window, u"preferencesButton"_s));
    EXPECT_EQ(preferencesWindowRequests, 1);
    EXPECT_TRUE(preferencesWindow->isVisible());
}

TEST_F(HomeViewTest, ALongStatusStaysOnTheBottomRowAfterTheButtons)
{
    QQuickWindow& window = showHome();
    model->setStatusMessage(u"Could not open "_s + QString(200, u'x') + u".csv"_s);
    settle(window);

    QQuickItem* status = item(window, u"statusText"_s);
    QQuickItem* preferences = item(window, u"preferencesButton"_s);
    EXPECT_GE(status->x(), preferences->x() + preferences->width());
    EXPECT_LE(status->mapToScene(QPointF(status->width(), 0)).x(), window.width());
    EXPECT_NEAR(status->y() + status->height() / 2, preferences->y() + preferences->height() / 2, 1.0);
}

TEST_F(HomeViewTest, TheBottomRowStaysInTheWindowWithTwelveFilesAndAnError)
{
    storeRecords(QStringList(12, u"csv"_s));
    QQuickWindow& window = showHome();
    openAndWait(writeFile(u"scan.pdf"_s, "%PDF"));
    settle(window);
    ASSERT_TRUE(item(window, u"errorBanner"_s)->isVisible());

    for (const QString& name : {u"copyURLButton"_s, u"preferencesButton"_s, u"statusText"_s}) {
        QQuickItem* shown = item(window, name);
        EXPECT_LE(shown->mapToScene(QPointF(0, shown->height())).y(), window.height()) << qPrintable(name);
    }
    EXPECT_GE(item(window, u"recentFilesListView"_s)->height(), 2 * 40);
}

TEST_F(HomeViewTest, AtTheSmallestSizeWithAnErrorEverythingShowsWholeWithoutScrolling)
{
    storeRecords(QStringList(5, u"csv"_s));
    QQuickWindow& window = showHome();
    openAndWait(writeFile(u"scan.pdf"_s, "%PDF"));
    window.resize(window.minimumSize());
    settle(window);
    ASSERT_TRUE(item(window, u"errorBanner"_s)->isVisible());

    EXPECT_EQ(cutOffContent(window), QStringList());
    QQuickItem* page = item(window, u"homePage"_s);
    EXPECT_LE(page->property("contentHeight").toReal(), page->height());
    QQuickItem* status = item(window, u"statusText"_s);
    EXPECT_LE(status->mapToScene(QPointF(0, status->height())).y(), window.height());
}

TEST_F(HomeViewTest, WithoutFilesThePlaceholderKeepsItsHeightAndThePageScrollsVisibly)
{
    QQuickWindow& window = showHome();
    model->copyLastOpenedURL();
    window.resize(window.minimumSize());
    settle(window);

    EXPECT_GE(item(window, u"emptyRecentFiles"_s)->height(), 180);
    EXPECT_EQ(cutOffContent(window), QStringList()) << "cut only where the page can scroll and shows its scroll bar";
    QQuickItem* status = item(window, u"statusText"_s);
    EXPECT_EQ(text(status), u"Ready"_s);
    EXPECT_LE(status->mapToScene(QPointF(0, status->height())).y(), window.height());
}

TEST_F(HomeViewTest, TheTipAndThePlaceholderNameTheTrayAndTheFileManager)
{
    QQuickWindow& window = showHome();

    const PlatformTexts texts(PlatformTexts::Desktop::linux, PlatformTexts::MenuPlace::trayIcon);
    EXPECT_EQ(text(item(window, u"tipMessage"_s)), texts.revisitOnboardingTip());
    EXPECT_EQ(text(item(window, u"noRecentFilesHint"_s)),
              u"Open a supported CSV, Excel, Word, or PowerPoint file from the file manager."_s);
}

// Qt Quick's image cache empties itself on a timer that runs on after the
// views are released, waking Orvane in the tray. No picture of the views, the
// symbols plain and on buttons, or the upload bar's, goes into it.
TEST_F(HomeViewTest, NoPictureIsKeptInQtQuicksImageCache)
{
    storeRecords({u"csv"_s});
    QQuickWindow& window = showHome();

    QStringList cached;
    int pictures = 0;
    QList<QQuickItem*> items{window.contentItem()};
    while (!items.isEmpty()) {
        QQuickItem* candidate = items.takeLast();
        items.append(candidate->childItems());
        const QString source = candidate->property("source").toUrl().toString();
        if (source.isEmpty() || !candidate->property("cache").isValid())
            continue;
        ++pictures;
        if (candidate->property("cache").toBool())
            cached.append(source);
    }

    EXPECT_GT(pictures, 3) << "the pills' symbols and the recent file's open button";
    EXPECT_EQ(cached, QStringList());
}

TEST_F(HomeViewTest, TheMenuButtonIsOnlyForDesktopsWithoutATray)
{
    QQuickWindow& window = showHome();

    EXPECT_FALSE(item(window, u"windowMenuButton"_s)->isVisible());
}

TEST_F(HomeViewTest, CommandCommaOpensThePreferencesWindow)
{
    QQuickWindow& window = showHome();

    pressKey(window, Qt::Key_Comma, Qt::ControlModifier);

    EXPECT_EQ(preferencesWindowRequests, 1);
    EXPECT_TRUE(preferencesWindow->isVisible());
}

// A drag and drop as the window system delivers it: enter, then drop, at the centre.
bool dropOn(QQuickWindow& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) {
        // The window system ends a refused drag with a leave.
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&window, &leave);
        return false;
    }
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

TEST_F(HomeViewTest, FilesDroppedOnTheWindowAreOpenedLikeFilesFromTheFileManager)
{
    QQuickWindow& window = showHome();
    const QUrl file = writeFile(u"dropped.csv"_s, "a,b\n1,2\n");

    EXPECT_FALSE(dropOn(window, {QUrl(u"https://example.com/report.csv"_s)}));
    EXPECT_FALSE(dropOn(window, {file, QUrl(u"https://example.com/report.csv"_s)}));
    ASSERT_TRUE(dropOn(window, {file}));

    ASSERT_TRUE(waitUntil([this] { return !model->recentRecords().isEmpty() && !model->isOpening(); }));
    EXPECT_EQ(model->recentRecords().first().localFilePath, file.toLocalFile());
    EXPECT_EQ(uploadCount(), 1);
    EXPECT_EQ(model->statusMessage(), u"Uploaded and opened dropped.csv"_s);
}

} // namespace

TEST_F(HomeViewTest, AnUploadUnderWayShowsItsNamePercentAndTimeLeftAndItsCancelStopsIt)
{
    QQuickWindow& window = showHome();
    connectAndWait();
    QQuickItem* banner = item(window, u"uploadBanner"_s);
    EXPECT_FALSE(banner->isVisible());
    // Large enough to show its bytes going; its chunk hangs until the cancel.
    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, std::chrono::seconds(30), 1, "PUT");
    model->openFile(writeFile(u"export.csv"_s, QByteArray(6 * 1024 * 1024, 'a')));
    ASSERT_TRUE(waitUntil([this] { return model->isUploading(); }));
    settle(window);

    EXPECT_TRUE(banner->isVisible());
    EXPECT_EQ(text(item(window, u"uploadName"_s)), u"Uploading export.csv"_s);
    EXPECT_EQ(item(window, u"uploadBar"_s)->property("value").toDouble(), model->uploadFraction());
    EXPECT_EQ(text(item(window, u"uploadDetail"_s)),
              u"%1% \u2014 %2"_s.arg(model->uploadPercent()).arg(model->uploadTimeLeft()));
    EXPECT_EQ(cutOffContent(window), QStringList());

    click(window, item(window, u"cancelUploadButton"_s));
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));
    EXPECT_EQ(model->statusMessage(), u"Upload of export.csv cancelled"_s);
    settle(window);
    EXPECT_FALSE(banner->isVisible());
}
