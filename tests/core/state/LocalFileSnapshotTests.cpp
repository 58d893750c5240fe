#include "support/DecodingError.h"
#include "support/FileError.h"
#include "state/LocalFileSnapshot.h"
#include "routing/OrvaneError.h"
#include "state/SHA256FileHasher.h"
#include "state/Sha256.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

QUrl writeFile(const QTemporaryDir& folder, const QString& name, const QByteArray& content)
{
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return QUrl::fromLocalFile(file.fileName());
}

LocalFileSnapshot snapshot(const QString& path, std::optional<QString> sha256, const QDateTime& modifiedAt)
{
    return {path, u"csv"_s, 10, modifiedAt, std::move(sha256)};
}

const QDateTime noon = QDateTime(QDate(2025, 1, 31), QTime(12, 0), Qt::UTC);

// Sets a file's modification time to any second, as a tool or an archive may.
void setModificationTime(const QUrl& url, qint64 secondsSinceEpoch)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(secondsSinceEpoch), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(url.toLocalFile()).constData(), times, 0), 0);
}

QByteArray jsonOf(const LocalFileSnapshot& snapshot)
{
    JsonWriter writer;
    snapshot.writeJson(writer);
    return writer.bytes().toByteArray();
}

} // namespace

TEST(SHA256FileHasher, EmptyFileGivesTheDigestOfEmptyInput)
{
    QTemporaryDir folder;
    EXPECT_EQ(SHA256FileHasher::hash(writeFile(folder, u"empty.csv"_s, {})),
              u"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"_s);
    EXPECT_EQ(SHA256FileHasher::hash(writeFile(folder, u"abc.csv"_s, "abc")),
              u"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"_s);
}

TEST(SHA256FileHasher, MultiChunkFileEqualsOpenSsl)
{
    QTemporaryDir folder;
    QByteArray content;
    for (int i = 0; content.size() < (5 << 19) + 17; ++i)
        content += QByteArray::number(i * 7919) + ',';
    const QUrl url = writeFile(folder, u"big.csv"_s, content);

    QProcess openssl;
    openssl.start(u"openssl"_s, {u"dgst"_s, u"-sha256"_s, u"-r"_s, url.toLocalFile()});
    ASSERT_TRUE(openssl.waitForFinished()) << "openssl is needed for this test";
    const QString expected = QString::fromLatin1(openssl.readAllStandardOutput().left(64));
    EXPECT_EQ(SHA256FileHasher::hash(url), expected);
    EXPECT_EQ(Sha256::hexDigest(content), expected);
}

TEST(SHA256FileHasher, MissingFileIsAFileError)
{
    try {
        SHA256FileHasher::hash(QUrl::fromLocalFile(u"/nonexistent/file.csv"_s));
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::notFound);
        EXPECT_EQ(error.path(), u"/nonexistent/file.csv"_s);
    }
}

TEST(LocalFileSnapshot, InspectReadsSizeDateExtensionAndHash)
{
    QTemporaryDir folder;
    const QUrl url = writeFile(folder, u"Report.CSV"_s, "a,b\n1,2\n");
    const LocalFileSnapshot hashed = LocalFileSnapshot::inspect(url, true);
    EXPECT_EQ(hashed.path, url.toLocalFile());
    EXPECT_EQ(hashed.fileExtension, u"csv"_s);
    EXPECT_EQ(hashed.fileSize, 8);
    EXPECT_EQ(hashed.modifiedAt, QFileInfo(url.toLocalFile()).lastModified().toUTC());
    EXPECT_EQ(hashed.modifiedAt.timeSpec(), Qt::UTC);
    EXPECT_EQ(hashed.sha256, Sha256::hexDigest("a,b\n1,2\n"));
    EXPECT_EQ(LocalFileSnapshot::inspect(url, false).sha256, std::nullopt);
}

TEST(LocalFileSnapshot, InspectRefusesWhatIsNotAFileSayingWhatItIsAndMissingFiles)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(u"data.csv"_s);
    const QString pipe = folder.filePath(u"pipe.csv"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // The pipe has no writer: reading it would wait for ever.
    const std::pair<QString, QString> kinds[] = {
        {folder.filePath(u"data.csv"_s), u"it is a folder"_s},
        {pipe, u"it is a pipe"_s},
        {u"/dev/null"_s, u"it is a device"_s},
    };
    for (const auto& [path, kind] : kinds) {
        try {
            LocalFileSnapshot::inspect(QUrl::fromLocalFile(path), true);
            ADD_FAILURE() << "inspected " << path.toStdString();
        } catch (const OrvaneError& error) {
            EXPECT_EQ(error.localizedDescription(), u"The local file could not be read: %1 (%2)"_s.arg(path, kind));
        }
    }
    try {
        LocalFileSnapshot::inspect(QUrl::fromLocalFile(folder.filePath(u"gone.csv"_s)), true);
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::notFound);
        EXPECT_EQ(error.localizedDescription(), u"The file \u201C%1\u201D does not exist."_s.arg(error.path()));
    }
}

TEST(LocalFileSnapshot, HashDecidesWhenBothAreKnown)
{
    const QString path = u"/data/a.csv"_s;
    EXPECT_TRUE(snapshot(path, u"aa"_s, noon).matches(snapshot(path, u"aa"_s, noon.addSecs(5 * 3600))));
    EXPECT_FALSE(snapshot(path, u"aa"_s, noon).matches(snapshot(path, u"bb"_s, noon)));
}

TEST(LocalFileSnapshot, WithoutAHashDatesMustLieUnderASecondApart)
{
    const QString path = u"/data/a.csv"_s;
    for (const auto& [first, second] : {std::pair{std::optional<QString>(), std::optional<QString>()},
                                        std::pair{std::optional<QString>(u"aa"_s), std::optional<QString>()},
                                        std::pair{std::optional<QString>(), std::optional<QString>(u"aa"_s)}}) {
        EXPECT_TRUE(snapshot(path, first, noon).matches(snapshot(path, second, noon.addMSecs(999))));
        EXPECT_TRUE(snapshot(path, first, noon).matches(snapshot(path, second, noon.addMSecs(-999))));
        EXPECT_FALSE(snapshot(path, first, noon).matches(snapshot(path, second, noon.addMSecs(1000))));
        EXPECT_FALSE(snapshot(path, first, noon).matches(snapshot(path, second, noon.addMSecs(-1000))));
    }
}

TEST(LocalFileSnapshot, PathsCompareByCanonicalEquivalenceNotCase)
{
    const QString precomposed = u"/data/\u304C.csv"_s; // が
    const QString decomposed = u"/data/\u304B\u3099.csv"_s; // か + combining voiced mark
    ASSERT_NE(precomposed, decomposed);
    EXPECT_TRUE(snapshot(precomposed, u"aa"_s, noon).matches(snapshot(decomposed, u"aa"_s, noon)));
    EXPECT_FALSE(snapshot(u"/data/A.csv"_s, u"aa"_s, noon).matches(snapshot(u"/data/a.csv"_s, u"aa"_s, noon)));

    LocalFileSnapshot otherSize = snapshot(precomposed, u"aa"_s, noon);
    otherSize.fileSize = 11;
    EXPECT_FALSE(snapshot(precomposed, u"aa"_s, noon).matches(otherSize));
    LocalFileSnapshot otherExtension = snapshot(precomposed, u"aa"_s, noon);
    otherExtension.fileExtension = u"tsv"_s;
    EXPECT_FALSE(snapshot(precomposed, u"aa"_s, noon).matches(otherExtension));
}

TEST(LocalFileSnapshot, AFileDatedOutsideTheStorableYearsIsFingerprintedAtTheNearestStorableSecond)
{
    // ext4 keeps dates up to 2446 only; tmpfs keeps any.
    if (!QFileInfo(u"/dev/shm"_s).isWritable())
        GTEST_SKIP() << "needs a tmpfs at /dev/shm";
    QTemporaryDir folder(u"/dev/shm/orvane-snapshot-XXXXXX"_s);
    const QUrl url = writeFile(folder, u"future.csv"_s, "a,b\n");

    setModificationTime(url, 253402300800); // 10000-01-01T00:00:00Z, as `touch -d @253402300800` sets it
    ASSERT_EQ(QFileInfo(url.toLocalFile()).lastModified().toUTC().date().year(), 10000);
    EXPECT_EQ(LocalFileSnapshot::inspect(url, true).modifiedAt, QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC));

    setModificationTime(url, -62135596801); // the last second of 1 BC
    EXPECT_EQ(LocalFileSnapshot::inspect(url, true).modifiedAt, QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC));
}

TEST(LocalFileSnapshot, AStatThatFailsForAnotherReasonGivesTheSystemsReason)
{
    QTemporaryDir folder;
    const QString loop = folder.filePath(u"loop.csv"_s);
    ASSERT_TRUE(QFile::link(folder.filePath(u"other.csv"_s), loop));
    ASSERT_TRUE(QFile::link(loop, folder.filePath(u"other.csv"_s)));
    try {
        LocalFileSnapshot::inspect(QUrl::fromLocalFile(loop), true);
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::notReadable);
        EXPECT_EQ(error.localizedDescription(),
                  u"The file \u201C%1\u201D could not be read. (Too many levels of symbolic links)"_s.arg(loop));
    }
}

TEST(LocalFileSnapshot, AFileNameThatIsNotUtf8IsSaidToBeUnsupportedNotMissing)
{
    QTemporaryDir folder;
    const QByteArray name = QFile::encodeName(folder.path()) + "/bad\xff.csv";
    const int descriptor = ::open(name.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    ::close(descriptor);
    // What the file manager's arguments become as text: the byte is lost.
    const QString path = QFile::decodeName(name);
    try {
        LocalFileSnapshot::inspect(QUrl::fromLocalFile(path), true);
        FAIL();
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), FileError::Kind::nameNotUtf8);
        EXPECT_EQ(error.localizedDescription(),
                  u"Orvane cannot open \u201C%1\u201D: the file\u2019s name is not valid UTF-8 text. "
                  u"Rename the file and open it again."_s.arg(path));
    }
}

TEST(LocalFileSnapshot, CodesItsJsonWithTheFieldNamesAndLeavesOutAnAbsentHash)
{
    LocalFileSnapshot hashed{u"/home/aki/Q1 \"final\".csv"_s, u"csv"_s, 74, noon.addMSecs(750), u"ab"_s.repeated(32)};
    EXPECT_EQ(jsonOf(hashed), R"({"path":"/home/aki/Q1 \"final\".csv","fileExtension":"csv","fileSize":74,)"
                              R"("modifiedAt":"2025-01-31T12:00:00Z","sha256":")"
                                  + QByteArray("ab").repeated(32) + R"("})");
    const auto decode = [](const QByteArray& json) {
        return LocalFileSnapshot::fromJson(QJsonDocument::fromJson(json).object());
    };
    hashed.modifiedAt = noon;
    EXPECT_EQ(decode(jsonOf(hashed)), hashed);

    const LocalFileSnapshot unhashed{u"/a.tsv"_s, u"tsv"_s, 0, noon, std::nullopt};
    EXPECT_EQ(jsonOf(unhashed),
              R"({"path":"/a.tsv","fileExtension":"tsv","fileSize":0,"modifiedAt":"2025-01-31T12:00:00Z"})");
    EXPECT_EQ(decode(jsonOf(unhashed)), unhashed);

    for (const char* broken : {
             R"({"fileExtension":"tsv","fileSize":0,"modifiedAt":"2025-01-31T12:00:00Z"})",
             R"({"path":"/a.tsv","fileExtension":"tsv","fileSize":0,"modifiedAt":"2025-01-31T12:00:00.5Z"})",
             R"({"path":"/a.tsv","fileExtension":"tsv","fileSize":"0","modifiedAt":"2025-01-31T12:00:00Z"})",
         })
        EXPECT_THROW(decode(broken), DecodingError) << broken;
}
