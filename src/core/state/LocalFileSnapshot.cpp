#include "state/LocalFileSnapshot.h"

#include "support/FileError.h"
#include "routing/FileRouting.h"
#include "routing/OrvaneError.h"
#include "state/SHA256FileHasher.h"

#include <QFileInfo>

#include <cstdlib>

namespace orvane {

bool canonicallyEquivalent(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

LocalFileSnapshot LocalFileSnapshot::inspect(const QUrl& fileURL, bool includeSHA256)
{
    const QString path = fileURL.toLocalFile();
    const QFileInfo info(path);
    if (!info.exists())
        throw FileError(FileError::Kind::notFound, path);
    if (!info.isFile())
        throw OrvaneError::localFileUnavailable(path);
    const QDateTime modifiedAt = info.lastModified().toUTC();
    if (!modifiedAt.isValid())
        throw OrvaneError::localFileUnavailable(path);
    return {
        .path = path,
        .fileExtension = pathExtension(fileURL).toLower(),
        .fileSize = info.size(),
        .modifiedAt = modifiedAt,
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

} // namespace orvane
