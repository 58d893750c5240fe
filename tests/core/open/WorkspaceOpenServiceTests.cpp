#include "AwaitTask.h"
#include "SmallDisk.h"
#include "state/JSONLocalStateStore.h"
#include "support/FileError.h"
#include "routing/OrvaneError.h"
#include "support/UrlError.h"
#include "open/WorkspaceOpenService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// Records every request and answers with a new file, or fails when told to.
class RecordingUploader final : public DriveUploading {
public:
    QList<DriveUploadRequest> requests;
    bool fails = false;

    QCoro::Task<DriveUploadResult> uploadFile(DriveUploadRequest request) override
    {
        requests.append(request);
        if (fails)
            throw UrlError(UrlError::Code::badServerResponse);
        const QString id = u"file-%1"_s.arg(requests.size());
        co_return DriveUploadResult{id, QUrl(u"https://docs.google.com/spreadsheets/d/%1/edit"_s.arg(id)),
                                    std::nullopt};
    }
};

// Counts loads and saves so a test can tell the store was not touched.
class CountingStore final : public LocalStateStoring {
public:
    mutable int loads = 0;
    int saves = 0;
    InMemoryLocalStateStore inner;

    QList<LocalFileRecord> loadRecords() const override
    {
        ++loads;
        return inner.loadRecords();
    }
    void saveRecords(const QList<LocalFileRecord>& records) override
    {
        ++saves;
        inner.saveRecords(records);
    }
};

class WorkspaceOpenServiceTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    CountingStore store;
    RecordingUploader uploader;
    int snapshotsTaken = 0;
    WorkspaceOpenService service{FileRouter(), DriveFolderResolver{u"Opened from Mac"_s}, store, uploader,
                                 [this](QUrl url) -> QCoro::Task<LocalFileSnapshot> {
                                     ++snapshotsTaken;
                                     co_return co_await WorkspaceOpenService::hashingSnapshotProvider()(url);
                                 }};
    const QDateTime firstOpen = QDateTime(QDate(2025, 2, 1), QTime(9, 0), Qt::UTC);
    const QDateTime secondOpen = firstOpen.addDays(1);
    const OrvanePreferences googleFormat{OpenMode::googleFormat, u"Opened from Mac"_s, true};
    const OrvanePreferences officePreserved{OpenMode::officePreserved, u"Work Files"_s, true};

    QUrl writeFile(const QString& name, const QByteArray& content)
    {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return QUrl::fromLocalFile(file.fileName());
    }

    OpenOutcome open(const QUrl& url, const OrvanePreferences& preferences, const QDateTime& now)
    {
        return awaitTask(service.open(url, preferences, now));
    }
};

} // namespace

TEST_F(WorkspaceOpenServiceTest, UploadsOnceThenReusesTheUnchangedFile)
{
    const QUrl url = writeFile(u"Budget.xlsx"_s, "spreadsheet bytes");

    const OpenOutcome first = open(url, googleFormat, firstOpen);
    ASSERT_EQ(first.kind(), OpenOutcome::Kind::created);
    EXPECT_TRUE(first.didUpload());
    ASSERT_EQ(uploader.requests.size(), 1);
    EXPECT_EQ(first.record().googleDriveFileID, u"file-1"_s);
    EXPECT_EQ(first.record().openURL, QUrl(u"https://docs.google.com/spreadsheets/d/file-1/edit"_s));
    EXPECT_EQ(first.record().createdAt, firstOpen);
    EXPECT_EQ(first.record().lastOpenedAt, firstOpen);
    EXPECT_EQ(first.record().destinationFolderName, u"Sheets"_s);
    EXPECT_EQ(first.record().sha256, uploader.requests[0].snapshot.sha256);
    EXPECT_TRUE(first.record().sha256.has_value());

    const OpenOutcome second = open(url, googleFormat, secondOpen);
    ASSERT_EQ(second.kind(), OpenOutcome::Kind::reused);
    EXPECT_FALSE(second.didUpload());
    EXPECT_EQ(uploader.requests.size(), 1);
    EXPECT_EQ(second.record().id, first.record().id);
    EXPECT_EQ(second.record().googleDriveFileID, first.record().googleDriveFileID);
    EXPECT_EQ(second.record().openURL, first.record().openURL);
    EXPECT_EQ(second.record().createdAt, firstOpen);
    EXPECT_EQ(second.record().lastOpenedAt, secondOpen);
    EXPECT_EQ(store.inner.records, QList{second.record()});
}

TEST_F(WorkspaceOpenServiceTest, ChangedContentUploadsAgain)
{
    const QUrl url = writeFile(u"data.csv"_s, "a,b\n");
    open(url, googleFormat, firstOpen);
    writeFile(u"data.csv"_s, "a,c\n");
    const OpenOutcome second = open(url, googleFormat, secondOpen);
    EXPECT_TRUE(second.didUpload());
    EXPECT_EQ(uploader.requests.size(), 2);
    ASSERT_EQ(store.inner.records.size(), 2);
    EXPECT_EQ(store.inner.records[0].localFilePath, store.inner.records[1].localFilePath);
}

TEST_F(WorkspaceOpenServiceTest, ChangingTheOfficeModeUploadsAgain)
{
    const QUrl url = writeFile(u"Deck.pptx"_s, "slides");
    open(url, googleFormat, firstOpen);
    const OpenOutcome second = open(url, officePreserved, secondOpen);
    EXPECT_TRUE(second.didUpload());
    EXPECT_EQ(second.record().openMode, OpenMode::officePreserved);
    ASSERT_EQ(uploader.requests.size(), 2);
    const DriveUploadRequest& request = uploader.requests[1];
    EXPECT_EQ(request.mode, OpenMode::officePreserved);
    EXPECT_EQ(request.rootFolderName, u"Work Files"_s);
    EXPECT_EQ(request.destinationFolderName, u"Slides"_s);
    EXPECT_EQ(request.localFileURL, url);
    EXPECT_EQ(request.route, FileRouter().route(u"pptx"_s));
    EXPECT_EQ(request.snapshot.fileSize, 6);
}

TEST_F(WorkspaceOpenServiceTest, CsvIsConvertedWhateverThePreference)
{
    const QUrl url = writeFile(u"export.csv"_s, "x\n");
    const OpenOutcome outcome = open(url, officePreserved, firstOpen);
    ASSERT_EQ(uploader.requests.size(), 1);
    EXPECT_EQ(uploader.requests[0].mode, OpenMode::googleFormat);
    EXPECT_EQ(uploader.requests[0].route.forcedOpenMode, OpenMode::googleFormat);
    EXPECT_EQ(uploader.requests[0].destinationFolderName, u"CSV Imports"_s);
    EXPECT_EQ(outcome.record().openMode, OpenMode::googleFormat);
}

TEST_F(WorkspaceOpenServiceTest, UploadFailureLeavesTheStoreUnchanged)
{
    const QUrl url = writeFile(u"report.docx"_s, "doc");
    uploader.fails = true;
    EXPECT_THROW(open(url, googleFormat, firstOpen), UrlError);
    EXPECT_EQ(uploader.requests.size(), 1);
    EXPECT_EQ(store.saves, 0);
    EXPECT_TRUE(store.inner.records.isEmpty());
}

TEST_F(WorkspaceOpenServiceTest, UnsupportedExtensionTouchesNothing)
{
    const QUrl url = writeFile(u"manual.pdf"_s, "%PDF");
    try {
        open(url, googleFormat, firstOpen);
        FAIL();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::unsupportedFileExtension(u"pdf"_s));
    }
    EXPECT_EQ(snapshotsTaken, 0);
    EXPECT_EQ(store.loads, 0);
    EXPECT_TRUE(uploader.requests.isEmpty());
}

TEST_F(WorkspaceOpenServiceTest, MissingFileFailsBeforeTheStore)
{
    EXPECT_THROW(open(QUrl::fromLocalFile(folder.filePath(u"gone.csv"_s)), googleFormat, firstOpen), FileError);
    EXPECT_EQ(store.loads, 0);
    EXPECT_TRUE(uploader.requests.isEmpty());
}

// Before any byte goes to Drive: a record that could not be saved would
// leave the upload unknown, and every retry would put another copy on Drive.
TEST_F(WorkspaceOpenServiceTest, AStateFileThatCannotBeSavedFailsTheOpenBeforeTheUpload)
{
    const QString statePath = folder.filePath(u"state/local-state.json"_s);
    JSONLocalStateStore stateFile{QUrl::fromLocalFile(statePath)};
    WorkspaceOpenService onDisk{FileRouter(), DriveFolderResolver{u"Opened from Mac"_s}, stateFile, uploader};
    const QUrl url = writeFile(u"data.csv"_s, "a,b\n");
    ASSERT_TRUE(QDir().mkpath(folder.filePath(u"state"_s)));
    ASSERT_TRUE(QFile::link(folder.filePath(u"moved/local-state.json"_s), statePath));

    try {
        awaitTask(onDisk.open(url, googleFormat, firstOpen));
        FAIL() << "opened with a state file that is a link to nothing";
    } catch (const FileError& error) {
        EXPECT_EQ(error, FileError(FileError::Kind::writeFailed, statePath,
                                   u"it is a link to \u201C%1\u201D, which does not exist"_s.arg(
                                       folder.filePath(u"moved/local-state.json"_s))));
    }
    EXPECT_TRUE(uploader.requests.isEmpty());

    // A folder that cannot be written, which only a read-only file system
    // makes so for root as well.
    ASSERT_TRUE(QFile::remove(statePath));
    SmallDisk disk(folder.filePath(u"state"_s));
    if (!disk.isMounted())
        GTEST_SKIP() << disk.refusal().toStdString();
    disk.makeReadOnly();
    try {
        awaitTask(onDisk.open(url, googleFormat, firstOpen));
        FAIL() << "opened with a state file in a read-only folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error, FileError(FileError::Kind::writeFailed, statePath, u"Read-only file system"_s));
    }
    EXPECT_TRUE(uploader.requests.isEmpty());
}
