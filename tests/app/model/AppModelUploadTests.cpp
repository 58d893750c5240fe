#include "AppModelFixture.h"

#include <QElapsedTimer>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

const QString uploadPath = u"/upload/drive/v3/files"_s;
// Large enough to show its bytes rising; one chunk of the default size.
constexpr qint64 largeSize = 6 * 1024 * 1024;

// What the model published at one uploadChanged.
struct Shown {
    bool isUploading;
    QString fileName;
    qint64 bytesSent;
    qint64 totalBytes;
    QString title;
};

class AppModelUploadTest : public AppModelTest {
protected:
    void SetUp() override
    {
        makeModel();
        connectAndWait();
        QObject::connect(model.get(), &AppModel::uploadChanged, [this] {
            shown.append({model->isUploading(), model->uploadFileName(), model->uploadBytesSent(),
                          model->uploadTotalBytes(), model->uploadTitle()});
        });
    }

    // The next request of the method (POST opens a session, PUT sends a chunk) waits that long before the emulator takes it.
    void stallNextUpload(std::chrono::milliseconds duration, const QByteArray& method)
    {
        emulator.stallNextRequests(uploadPath, duration, 1, method);
    }

    QList<Shown> shown;
};

TEST_F(AppModelUploadTest, ALargeUploadShowsItsFileAndBytesRisingToItsSizeThenHidesWhenItEnds)
{
    stallNextUpload(std::chrono::milliseconds(1200), "PUT");
    openAndWait(writeFile(u"export.csv"_s, QByteArray(largeSize, 'a')));

    EXPECT_EQ(model->statusMessage(), u"Uploaded and opened export.csv"_s);
    ASSERT_GE(shown.size(), 3) << "shown, the last bytes, hidden";
    EXPECT_TRUE(shown.first().isUploading);
    EXPECT_EQ(shown.first().fileName, u"export.csv"_s);
    EXPECT_FALSE(shown.last().isUploading) << "hidden once the open ended";
    const Shown& done = shown[shown.size() - 2];
    EXPECT_EQ(done.bytesSent, largeSize);
    EXPECT_EQ(done.title, u"Uploading export.csv \u2014 100%"_s);
    for (qsizetype index = 0; index + 1 < shown.size(); ++index) {
        EXPECT_TRUE(shown[index].isUploading) << index;
        EXPECT_EQ(shown[index].totalBytes, largeSize) << index;
        if (index > 0)
            EXPECT_GT(shown[index].bytesSent, shown[index - 1].bytesSent) << index;
    }
}

TEST_F(AppModelUploadTest, ASmallUploadShowsOnlyWhenItTakesLongerThanHalfASecond)
{
    openAndWait(writeFile(u"quick.csv"_s, "a,b\n1,2\n"));
    EXPECT_TRUE(shown.isEmpty()) << "a quick upload never shows";

    stallNextUpload(std::chrono::milliseconds(900), "PUT");
    openAndWait(writeFile(u"slow.csv"_s, "a,b\n1,2\n"));
    ASSERT_GE(shown.size(), 2);
    EXPECT_TRUE(shown.first().isUploading);
    EXPECT_EQ(shown.first().fileName, u"slow.csv"_s);
    EXPECT_TRUE(shown.first().title.startsWith(u"Uploading slow.csv \u2014 "_s)) << qPrintable(shown.first().title);
    EXPECT_FALSE(shown.last().isUploading);
    EXPECT_EQ(emulator.requests(uploadPath).last().header("Content-Range"), "bytes 0-7/8") << "the whole file in one chunk";
}

TEST_F(AppModelUploadTest, CancelStopsTheUploadAtOnceEndsItsSessionRecordsNothingAndTheWaitingOpenRuns)
{
    stallNextUpload(std::chrono::seconds(30), "PUT");
    const QUrl large = writeFile(u"export.csv"_s, QByteArray(largeSize, 'a'));
    const QUrl small = writeFile(u"next.csv"_s, "a,b\n1,2\n");
    model->openFiles({large, small});
    ASSERT_TRUE(waitUntil([this] { return model->isUploading(); }));

    QElapsedTimer elapsed;
    elapsed.start();
    model->cancelUpload();
    ASSERT_TRUE(waitUntil([this] { return statuses.contains(u"Upload of export.csv cancelled"_s); }));
    EXPECT_LT(elapsed.elapsed(), 3000) << "stopped by the cancel, not by the stalled chunk";

    ASSERT_TRUE(waitUntil([this] { return model->statusMessage() == u"Uploaded and opened next.csv"_s; }));
    const QList<LocalFileRecord> records = stateStore.loadRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_TRUE(records.first().localFilePath.endsWith(u"/next.csv"_s));
    const QList<EmulatedUploadSession> sessions = emulator.uploadSessions();
    ASSERT_EQ(sessions.size(), 2);
    EXPECT_EQ(sessions.first().state, u"cancelled"_s) << "ended with the DELETE Google documents";
    EXPECT_EQ(sessions.last().state, u"complete"_s);
    EXPECT_EQ(statuses.mid(statuses.indexOf(u"Opening export.csv..."_s)),
              (QStringList{u"Opening export.csv..."_s, u"Upload of export.csv cancelled"_s, u"Opening next.csv..."_s,
                           u"Uploaded and opened next.csv"_s}));
}

// Nothing queued behind the cancel, so nothing else clears or sets the error.
TEST_F(AppModelUploadTest, ACancelledSampleIsNoErrorAndLeavesTheSampleStepUnfinished)
{
    stallNextUpload(std::chrono::seconds(30), "PUT");
    model->openSampleCSV();
    ASSERT_TRUE(waitUntil([this] { return model->isUploading(); }));

    model->cancelUpload();
    ASSERT_TRUE(waitUntil([this] { return !model->isOpening(); }));

    EXPECT_EQ(model->statusMessage(), u"Upload of orvane-sample.csv cancelled"_s);
    EXPECT_EQ(model->lastError(), std::nullopt) << "a cancel is no error";
    EXPECT_FALSE(model->didOpenSampleFile()) << "nothing was opened";
    EXPECT_TRUE(stateStore.loadRecords().isEmpty());
}

} // namespace
