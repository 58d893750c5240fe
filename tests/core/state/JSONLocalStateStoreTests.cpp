#include "state/ApplicationPaths.h"
#include "support/DecodingError.h"
#include "support/FileError.h"
#include "state/JSONLocalStateStore.h"
#include "SampleRecords.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class JSONLocalStateStoreTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString statePath = home.filePath(u"share/Orvane/local-state.json"_s);
    JSONLocalStateStore store{QUrl::fromLocalFile(statePath)};

    QByteArray fileBytes() const
    {
        QFile file(statePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QByteArray& bytes)
    {
        store.saveRecords({});
        QFile file(statePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // A load fails as a whole with a decoding error naming the file, and the file stays as it was.
    void expectLoadRefused(const QByteArray& bytes, const char* codingPath)
    {
        writeFile(bytes);
        try {
            store.loadRecords();
            ADD_FAILURE() << "loaded " << bytes.constData();
        } catch (const DecodingError& error) {
            EXPECT_EQ(error.codingPath(), QString::fromLatin1(codingPath)) << error.what();
            EXPECT_EQ(error.sourcePath(), statePath);
            EXPECT_TRUE(error.localizedDescription().contains(statePath));
        }
        EXPECT_EQ(fileBytes(), bytes);
    }

    static QByteArray knownRecordJson(const char* replacing = nullptr, const char* with = nullptr)
    {
        QByteArray json =
            R"([{"id":"3F2504E0-4F89-11D3-9A0C-0305E82C3301","localFilePath":"/home/aki/Sales Report.csv",)"
            R"("fileExtension":"csv","fileSize":74,"modifiedAt":"2025-01-31T09:15:00Z",)"
            R"("sha256":"abababababababababababababababababababababababababababababababab",)"
            R"("googleDriveFileID":"1AbC-dEf_2","openURL":"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit",)"
            R"("openMode":"googleFormat","destinationFolderName":"CSV Imports","createdAt":"2025-01-31T10:00:00Z",)"
            R"("lastOpenedAt":"2025-02-01T10:00:00Z"}])";
        if (replacing)
            json.replace(replacing, with);
        return json;
    }

    static LocalFileRecord knownRecord()
    {
        LocalFileRecord record = sampleRecord(u"/home/aki/Sales Report.csv"_s, utc("2025-02-01T10:00:00Z"));
        record.id = QUuid::fromString(u"3f2504e0-4f89-11d3-9a0c-0305e82c3301"_s);
        return record;
    }
};

} // namespace

TEST_F(JSONLocalStateStoreTest, MissingFileIsAnEmptyListAndTheFirstSaveCreatesTheFolders)
{
    EXPECT_TRUE(store.loadRecords().isEmpty());
    EXPECT_FALSE(QFile::exists(statePath));
    store.saveRecords({knownRecord()});
    EXPECT_EQ(store.loadRecords(), QList{knownRecord()});
}

TEST_F(JSONLocalStateStoreTest, WritesTheExactCompactForm)
{
    store.saveRecords({knownRecord()});
    EXPECT_EQ(fileBytes(), knownRecordJson());

    LocalFileRecord withoutHash = knownRecord();
    withoutHash.sha256.reset();
    store.saveRecords({withoutHash});
    EXPECT_FALSE(fileBytes().contains("sha256"));
    EXPECT_EQ(store.loadRecords(), QList{withoutHash});
}

TEST_F(JSONLocalStateStoreTest, SavesNewestFirstWhateverTheGivenOrder)
{
    const LocalFileRecord ten = sampleRecord(u"/a.csv"_s, utc("2025-02-01T10:00:00Z"));
    const LocalFileRecord twelve = sampleRecord(u"/b.csv"_s, utc("2025-02-01T12:00:00Z"));
    const LocalFileRecord eleven = sampleRecord(u"/c.csv"_s, utc("2025-02-01T11:00:00Z"));
    store.saveRecords({ten, twelve, eleven});
    EXPECT_EQ(store.loadRecords(), (QList{twelve, eleven, ten}));
    const QByteArray bytes = fileBytes();
    EXPECT_LT(bytes.indexOf("/b.csv"), bytes.indexOf("/c.csv"));
    EXPECT_LT(bytes.indexOf("/c.csv"), bytes.indexOf("/a.csv"));
}

TEST_F(JSONLocalStateStoreTest, FractionsOfASecondAreDroppedOnWrite)
{
    LocalFileRecord record = knownRecord();
    record.modifiedAt = utc("2025-01-31T09:15:00.750Z");
    store.saveRecords({record});
    EXPECT_TRUE(fileBytes().contains(R"("modifiedAt":"2025-01-31T09:15:00Z")"));
    EXPECT_EQ(store.loadRecords().first().modifiedAt, utc("2025-01-31T09:15:00Z"));
}

TEST_F(JSONLocalStateStoreTest, ReadsWhatOtherWritersMayProduce)
{
    writeFile("[]");
    EXPECT_TRUE(store.loadRecords().isEmpty());

    // Lower-case UUID, other key order, whitespace, an unknown key, an escaped slash.
    writeFile(R"( [ { "unknown": 1, "id": "3f2504e0-4f89-11d3-9a0c-0305e82c3301", "lastOpenedAt": "2025-02-01T10:00:00Z",
        "createdAt":"2025-01-31T10:00:00Z","destinationFolderName":"CSV Imports","fileExtension":"csv",
        "fileSize":74,"googleDriveFileID":"1AbC-dEf_2","localFilePath":"\/home\/aki\/Sales Report.csv",
        "modifiedAt":"2025-01-31T09:15:00Z","openMode":"googleFormat",
        "openURL":"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit",
        "sha256":"abababababababababababababababababababababababababababababababab"} ] )");
    EXPECT_EQ(store.loadRecords(), QList{knownRecord()});
}

TEST_F(JSONLocalStateStoreTest, ADefectiveRecordFailsTheWholeLoadAndLeavesTheFile)
{
    expectLoadRefused(knownRecordJson(R"(,"lastOpenedAt":"2025-02-01T10:00:00Z")", ""), "[0].lastOpenedAt");
    expectLoadRefused(knownRecordJson(R"("openMode":"googleFormat")", R"("openMode":"GoogleFormat")"),
                      "[0].openMode");
    expectLoadRefused(knownRecordJson("09:15:00Z", "09:15:00.500Z"), "[0].modifiedAt");
    expectLoadRefused(knownRecordJson("09:15:00Z", "09:15:00+09:00"), "[0].modifiedAt");
    expectLoadRefused(knownRecordJson(R"("fileSize":74)", R"("fileSize":"74")"), "[0].fileSize");
    expectLoadRefused(knownRecordJson(R"("fileSize":74)", R"("fileSize":74.5)"), "[0].fileSize");
    expectLoadRefused(knownRecordJson("3F2504E0-4F89", "3F2504E0-4F8X"), "[0].id");
    expectLoadRefused(knownRecordJson(R"("openURL":"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit")",
                                      R"("openURL":"https://exa mple.com/%zz")"),
                      "[0].openURL");
    expectLoadRefused("[" + knownRecordJson().mid(1, knownRecordJson().size() - 2) + ",{}]", "[1].id");
    expectLoadRefused("this is not JSON", "");
    expectLoadRefused(R"({"records":[]})", "");
}

TEST_F(JSONLocalStateStoreTest, SeesChangesMadeOnDiskBetweenLoads)
{
    store.saveRecords({knownRecord()});
    ASSERT_EQ(store.loadRecords(), QList{knownRecord()});

    // Same length, other content, written in place by someone else.
    QByteArray edited = fileBytes();
    edited.replace("Sales Report", "Sales Rep0rt");
    QFile file(statePath);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.write(edited);
    file.close();
    EXPECT_EQ(store.loadRecords().first().localFilePath, u"/home/aki/Sales Rep0rt.csv"_s);

    QFile::remove(statePath);
    EXPECT_TRUE(store.loadRecords().isEmpty());
}

TEST_F(JSONLocalStateStoreTest, ARecordWithoutAUsableURLMakesTheFileUnreadable)
{
    LocalFileRecord broken = knownRecord();
    broken.openURL = QUrl();
    store.saveRecords({broken});
    EXPECT_THROW(store.loadRecords(), DecodingError);
}

TEST(ApplicationPaths, NamesTheItemsOfTheDataFolder)
{
    const ApplicationPaths paths(u"/home/aki/.local/share/Orvane"_s);
    EXPECT_EQ(paths.defaultStateFileURL(), QUrl(u"file:///home/aki/.local/share/Orvane/local-state.json"_s));
    EXPECT_EQ(paths.defaultOAuthClientConfigURL(), QUrl(u"file:///home/aki/.local/share/Orvane/oauth-client.json"_s));
    EXPECT_EQ(paths.samplesDirectory(), QUrl(u"file:///home/aki/.local/share/Orvane/Samples/"_s));
    EXPECT_TRUE(ApplicationPaths::standard().defaultStateFileURL().toLocalFile().endsWith(u"/Orvane/local-state.json"_s));
}
