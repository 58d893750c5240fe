#include "support/FileError.h"
#include "state/LocalFileSnapshot.h"
#include "routing/OrvaneError.h"
#include "state/SHA256FileHasher.h"
#include "state/Sha256.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

TEST(LocalFileSnapshot, InspectRefusesDirectoriesAndMissingFiles)
{
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(u"data.csv"_s);
    const QString directory = folder.filePath(u"data.csv"_s);
    try {
        LocalFileSnapshot::inspect(QUrl::fromLocalFile(directory), true);
        FAIL();
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error, OrvaneError::localFileUnavailable(directory));
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
