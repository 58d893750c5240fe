#include "state/LocalFileSnapshot.h"

#include "support/FileError.h"
#include "routing/FileRouting.h"
#include "routing/OrvaneError.h"
#include "state/SHA256FileHasher.h"
#include "support/JsonDecoding.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace orvane {

bool canonicallyEquivalent(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

LocalFileSnapshot LocalFileSnapshot::inspect(const QUrl& fileURL, bool includeSHA256)
{
    const QString path = fileURL.toLocalFile();
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        throw FileError::unreachable(path, errno);
    // Said by kind: a folder or a pipe has no content to upload, and reading
    // a pipe would wait for a writer that may never come.
    if (!S_ISREG(status.st_mode))
        throw OrvaneError::localFileUnavailable(path, FileError::kindOfNonRegularFile(status.st_mode));
    const QDateTime modifiedAt = QDateTime::fromMSecsSinceEpoch(
        qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1'000'000, Qt::UTC);
    if (!modifiedAt.isValid())
        throw OrvaneError::localFileUnavailable(path, u"its modification time is unknown"_s);
    return {
        .path = path,
        .fileExtension = pathExtension(fileURL).toLower(),
        .fileSize = qint64(status.st_size),
        // Clamped rather than refused: such a date is rare but legal, and
        // the content hash still tells whether the file changed.
        .modifiedAt = std::clamp(modifiedAt, JsonWriter::earliestWritableDate(), JsonWriter::latestWritableDate()),
        .sha256 = includeSHA256 ? std::optional(SHA256FileHasher::hash(fileURL)) : std::nullopt,
    };
}

bool LocalFileSnapshot::matches(const LocalFileSnapshot& other) const
{
    // The size first: it is the cheapest test and rules out nearly every record.
    if (fileSize != other.fileSize || !canonicallyEquivalent(path, other.path)
        || !canonicallyEquivalent(fileExtension, other.fileExtension))
        return false;
    if (sha256 && other.sha256)
        return *sha256 == *other.sha256;
    return std::llabs(modifiedAt.msecsTo(other.modifiedAt)) < 1000;
}

void LocalFileSnapshot::writeJson(JsonWriter& writer) const
{
    writer.beginObject();
    writeMembers(writer, u"path");
    writer.endObject();
}

LocalFileSnapshot LocalFileSnapshot::fromJson(const QJsonValue& value)
{
    return fromMembers(json::requireObject(value), "path"_L1);
}

void LocalFileSnapshot::writeMembers(JsonWriter& writer, QStringView pathKey) const
{
    writer.member(pathKey, path);
    writer.member(u"fileExtension", fileExtension);
    writer.member(u"fileSize", fileSize);
    writer.member(u"modifiedAt", modifiedAt);
    if (sha256)
        writer.member(u"sha256", *sha256);
}

LocalFileSnapshot LocalFileSnapshot::fromMembers(const QJsonObject& object, QLatin1StringView pathKey)
{
    return {
        .path = json::requireString(object, pathKey),
        .fileExtension = json::requireString(object, "fileExtension"_L1),
        .fileSize = json::requireInt64(object, "fileSize"_L1),
        .modifiedAt = json::requireDate(object, "modifiedAt"_L1),
        .sha256 = json::optionalString(object, "sha256"_L1),
    };
}

} // namespace orvane
