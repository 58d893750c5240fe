#include "state/ApplicationPaths.h"
#include "state/JSONLocalStateStore.h"
#include "state/UnreadableStateFileError.h"
#include "state/UnstorableRecordError.h"
#include "SampleRecords.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

// The permission bits of a file or folder.
int modeOf(const QString& path)
{
    struct stat status {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return int(status.st_mode & 07777);
}

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

    // A load fails as a whole, saying where the file is, what in it is wrong
    // and how to start afresh; the file stays as it was.
    void expectLoadRefused(const QByteArray& bytes, const char* codingPath)
    {
        writeFile(bytes);
        try {
            store.loadRecords();
            ADD_FAILURE() << "loaded " << bytes.constData();
        } catch (const UnreadableStateFileError& error) {
            EXPECT_EQ(error.path(), statePath);
            EXPECT_TRUE(error.cause().startsWith(
                u"The file \u201C%1\u201D could not be read because it is not in the correct format ("_s.arg(statePath)))
                << error.what();
            if (*codingPath)
                EXPECT_TRUE(error.cause().contains(u"(%1: "_s.arg(QLatin1StringView(codingPath)))) << error.what();
            EXPECT_TRUE(error.localizedDescription().endsWith(freshListAdvice())) << error.what();
        }
        EXPECT_EQ(fileBytes(), bytes);
    }

    QString freshListAdvice() const
    {
        return u" It holds Orvane\u2019s list of opened files, which Orvane leaves as it is; move \u201C%1\u201D aside "
               u"to start a fresh list."_s.arg(statePath);
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
    expectLoadRefused(knownRecordJson("09:15:00Z", "09:15:00Zjunk"), "[0].modifiedAt");
    expectLoadRefused(knownRecordJson("10:00:00Z\",\"lastOpenedAt", "10:00:00Z \",\"lastOpenedAt"), "[0].createdAt");
    expectLoadRefused(knownRecordJson(R"("fileSize":74)", R"("fileSize":"74")"), "[0].fileSize");
    expectLoadRefused(knownRecordJson(R"("fileSize":74)", R"("fileSize":74.5)"), "[0].fileSize");
    expectLoadRefused(knownRecordJson("3F2504E0-4F89", "3F2504E0-4F8X"), "[0].id");
    expectLoadRefused(knownRecordJson(R"("openURL":"https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit")",
                                      R"("openURL":"https://exa mple.com/%zz")"),
                      "[0].openURL");
    for (const char* relative : {"##", "docs.google.com/spreadsheets/d/1AbC-dEf_2/edit", "/spreadsheets/d/1AbC-dEf_2"})
        expectLoadRefused(knownRecordJson("https://docs.google.com/spreadsheets/d/1AbC-dEf_2/edit", relative), "[0].openURL");
    // A lone surrogate is no text: it could only be saved back as U+FFFD, another path.
    expectLoadRefused(knownRecordJson("Sales Report", R"(Sales\udd03Report)"), "[0].localFilePath");
    expectLoadRefused(knownRecordJson("CSV Imports", R"(CSV\ud800)"), "[0].destinationFolderName");
    expectLoadRefused("[" + knownRecordJson().mid(1, knownRecordJson().size() - 2) + ",{}]", "[1].id");
    expectLoadRefused("this is not JSON", "");
    expectLoadRefused(R"({"records":[]})", "");
}

TEST_F(JSONLocalStateStoreTest, AStateFileThatIsNotAFileIsRefusedForWhatItIsWithoutWaitingOnIt)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(statePath).path()));
    // A pipe without a writer would hold a read for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(statePath).constData(), 0600), 0);
    try {
        store.loadRecords();
        FAIL() << "loaded a pipe";
    } catch (const UnreadableStateFileError& error) {
        EXPECT_EQ(error.localizedDescription(),
                  u"The file \u201C%1\u201D could not be read. (it is a pipe)"_s.arg(statePath) + freshListAdvice());
    }
    EXPECT_TRUE(QFileInfo(statePath).exists()) << "left in place";
}

TEST_F(JSONLocalStateStoreTest, AnAddressOtherWritersWroteInAnotherFormLoadsTheSameAfterASave)
{
    // A "#" inside the fragment, written back as %23; characters outside ASCII, written back escaped.
    writeFile(knownRecordJson("/edit", "/edit#gid=0#r2"));
    const QList<LocalFileRecord> loaded = store.loadRecords();
    store.saveRecords(loaded);
    EXPECT_TRUE(fileBytes().contains("/edit#gid=0%23r2")) << fileBytes().constData();
    EXPECT_EQ(JSONLocalStateStore(store.stateURL()).loadRecords(), loaded);

    writeFile(knownRecordJson("/edit", "/edit?usp=共有"));
    const QList<LocalFileRecord> unicode = store.loadRecords();
    store.saveRecords(unicode);
    EXPECT_TRUE(fileBytes().contains("/edit?usp=%E5%85%B1%E6%9C%89")) << fileBytes().constData();
    EXPECT_EQ(JSONLocalStateStore(store.stateURL()).loadRecords(), unicode);
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

TEST_F(JSONLocalStateStoreTest, ARecordThatWouldNotReadBackIsRefusedAndTheSavedFileStaysAsItWas)
{
    store.saveRecords({knownRecord()});
    const QByteArray saved = fileBytes();
    const QString path = knownRecord().localFilePath;

    LocalFileRecord afterYear9999 = sampleRecord(path, utc("2025-02-02T10:00:00Z"));
    afterYear9999.modifiedAt = QDateTime::fromSecsSinceEpoch(253402300800, Qt::UTC); // 10000-01-01
    LocalFileRecord beforeYearOne = sampleRecord(path, utc("2025-02-02T10:00:00Z"));
    beforeYearOne.createdAt = QDateTime::fromSecsSinceEpoch(-62135596801, Qt::UTC); // the last second of 1 BC
    LocalFileRecord withoutDate = sampleRecord(path, QDateTime());
    LocalFileRecord withoutURL = sampleRecord(path, utc("2025-02-02T10:00:00Z"));
    withoutURL.openURL = QUrl(u"https://exa mple.com/"_s);
    const std::pair<LocalFileRecord, QString> refusals[] = {
        {afterYear9999, u"its modification date lies outside the years 1 to 9999"_s},
        {beforeYearOne, u"its creation date lies outside the years 1 to 9999"_s},
        {withoutDate, u"its last-opened date lies outside the years 1 to 9999"_s},
        {withoutURL, u"its Google page address is not a valid URL"_s},
    };
    for (const auto& [record, reason] : refusals) {
        try {
            store.upsertRecord(record);
            ADD_FAILURE() << "saved a record that does not read back: " << reason.toStdString();
        } catch (const UnstorableRecordError& error) {
            EXPECT_EQ(error.localizedDescription(),
                      u"Orvane could not save its record of \u201C/home/aki/Sales Report.csv\u201D: "_s + reason
                          + u". Its saved records were left unchanged."_s);
        }
        EXPECT_EQ(fileBytes(), saved);
        EXPECT_EQ(store.loadRecords(), QList{knownRecord()});
    }
    // As the next start reads it.
    EXPECT_EQ(JSONLocalStateStore(store.stateURL()).loadRecords(), QList{knownRecord()});
}

TEST_F(JSONLocalStateStoreTest, DatesFromTheFirstToTheLastSecondOfTheWritableYearsReadBack)
{
    LocalFileRecord record = knownRecord();
    record.modifiedAt = QDateTime::fromSecsSinceEpoch(-62135596800, Qt::UTC);
    record.createdAt = QDateTime::fromMSecsSinceEpoch(253402300799999, Qt::UTC);
    store.saveRecords({record});
    EXPECT_TRUE(fileBytes().contains(R"("modifiedAt":"0001-01-01T00:00:00Z")"));
    EXPECT_TRUE(fileBytes().contains(R"("createdAt":"9999-12-31T23:59:59Z")"));
    record.createdAt = QDateTime::fromSecsSinceEpoch(253402300799, Qt::UTC);
    EXPECT_EQ(JSONLocalStateStore(store.stateURL()).loadRecords(), QList{record});
}

TEST_F(JSONLocalStateStoreTest, TheFileIsPrivateAndSoAreTheFoldersItsSaveCreates)
{
    // What a user's session usually has, so that the default modes would be readable by others.
    ::umask(022);
    store.saveRecords({knownRecord()});
    EXPECT_EQ(modeOf(statePath), 0600);
    EXPECT_EQ(modeOf(home.filePath(u"share/Orvane"_s)), 0700);
    EXPECT_EQ(modeOf(home.filePath(u"share"_s)), 0700);

    // A file from before keeps what it holds but is tightened on its next save.
    ASSERT_TRUE(QFile::setPermissions(statePath, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                     | QFile::ReadOther));
    ASSERT_EQ(modeOf(statePath), 0644);
    store.upsertRecord(sampleRecord(u"/b.csv"_s, utc("2025-02-01T12:00:00Z")));
    EXPECT_EQ(modeOf(statePath), 0600);
    EXPECT_EQ(store.loadRecords().size(), 2);
}

TEST_F(JSONLocalStateStoreTest, TwoProcessesSavingAtOnceKeepEveryRecord)
{
    QProcess first, second;
    const QStringList arguments{statePath, u"write"_s, u"200"_s};
    first.start(QStringLiteral(ORVANE_RECORD_WRITER_PATH), arguments + QStringList{u"/first/"_s});
    second.start(QStringLiteral(ORVANE_RECORD_WRITER_PATH), arguments + QStringList{u"/second/"_s});
    for (QProcess* writer : {&first, &second}) {
        ASSERT_TRUE(writer->waitForFinished(60'000));
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }

    QSet<QString> paths;
    for (const LocalFileRecord& record : store.loadRecords())
        paths.insert(record.localFilePath);
    EXPECT_EQ(paths.size(), 400);
    for (int index = 0; index < 200; ++index) {
        EXPECT_TRUE(paths.contains(u"/first/%1.csv"_s.arg(index))) << index;
        EXPECT_TRUE(paths.contains(u"/second/%1.csv"_s.arg(index))) << index;
    }
}

TEST_F(JSONLocalStateStoreTest, ALockLeftByAWriterThatDiedIsTakenOver)
{
    QProcess writer;
    writer.start(QStringLiteral(ORVANE_RECORD_WRITER_PATH), {statePath, u"hold"_s});
    ASSERT_TRUE(writer.waitForReadyRead(30'000));
    ASSERT_EQ(writer.readLine(), "holding\n");
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(30'000));
    ASSERT_TRUE(QFile::exists(statePath + u".lock"_s)) << "the killed writer's lock file stays behind";

    QElapsedTimer saving;
    saving.start();
    store.upsertRecord(knownRecord());
    EXPECT_LT(saving.elapsed(), 3000);
    EXPECT_EQ(store.loadRecords(), QList{knownRecord()});
}

TEST(ApplicationPaths, NamesTheItemsOfTheDataFolder)
{
    const ApplicationPaths paths(u"/home/aki/.local/share/Orvane"_s);
    EXPECT_EQ(paths.defaultStateFileURL(), QUrl(u"file:///home/aki/.local/share/Orvane/local-state.json"_s));
    EXPECT_EQ(paths.defaultOAuthClientConfigURL(), QUrl(u"file:///home/aki/.local/share/Orvane/oauth-client.json"_s));
    EXPECT_EQ(paths.samplesDirectory(), QUrl(u"file:///home/aki/.local/share/Orvane/Samples/"_s));
    EXPECT_TRUE(ApplicationPaths::standard(GoogleServiceEndpoints::google())
                    .defaultStateFileURL()
                    .toLocalFile()
                    .endsWith(u"/Orvane/local-state.json"_s));
}

TEST(ApplicationPaths, AStandInGoogleKeepsAStateFileOfItsOwnWhateverTheDataFolder)
{
    const GoogleServiceEndpoints standIn =
        GoogleServiceEndpoints::fromEnvironment({{u"ORVANE_GOOGLE_SERVICE_ROOT"_s, u"http://127.0.0.1:8765"_s}});
    const ApplicationPaths paths(u"/home/aki/.local/share/Orvane"_s, standIn);
    EXPECT_EQ(paths.defaultStateFileURL(),
              QUrl(u"file:///home/aki/.local/share/Orvane/stand-ins/%1/local-state.json"_s.arg(*standIn.standInName())));
    // Nothing else is kept apart: they hold no records.
    EXPECT_EQ(paths.defaultOAuthClientConfigURL(), QUrl(u"file:///home/aki/.local/share/Orvane/oauth-client.json"_s));
    EXPECT_EQ(paths.samplesDirectory(), QUrl(u"file:///home/aki/.local/share/Orvane/Samples/"_s));

    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    EXPECT_EQ(ApplicationPaths::standard(standIn).defaultStateFileURL().toLocalFile(),
              dataHome.filePath(u"Orvane/stand-ins/%1/local-state.json"_s.arg(*standIn.standInName())));
    EXPECT_EQ(ApplicationPaths::standard(GoogleServiceEndpoints::google()).defaultStateFileURL().toLocalFile(),
              dataHome.filePath(u"Orvane/local-state.json"_s));
}
