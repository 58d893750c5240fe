#pragma once

#include "open/DriveUploading.h"
#include "support/Error.h"

#include <QHash>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace orvane {

// What Drive converts for the signed-in account, as its about resource tells:
// the Google types each media type converts into, and the largest file each
// Google type takes for a conversion. Google refuses the rest only once the
// file has been sent; these let Orvane refuse it before anything is made.
struct DriveImportLimits {
    // Media type, in lower case as Drive compares them, to Google types.
    // Absent when Drive did not say, which refuses nothing.
    std::optional<QHash<QString, QStringList>> importFormats;
    // Google type to bytes; a type without an entry has no known limit.
    QHash<QString, qint64> maxImportSizes;

    // The answer to about?fields=importFormats,maxImportSizes, whose sizes
    // are int64 written as strings. Throws DecodingError.
    static DriveImportLimits fromJson(const QJsonValue& value);

    // Throws ConversionRefusedError when Drive would not convert the file the
    // request asks to convert.
    void requireConvertible(const DriveUploadRequest& request) const;

    bool operator==(const DriveImportLimits&) const = default;
};

// The Google type the upload converts the file into; none when it keeps its own.
std::optional<QString> conversionTarget(const DriveUploadRequest& request);

// The limits once read, shared by every Drive client made during one run, so
// that about is read once however many files are opened.
using SharedImportLimits = std::shared_ptr<std::optional<DriveImportLimits>>;

// A file Drive would not convert to its Google type: nothing was uploaded.
class ConversionRefusedError final : public Error {
public:
    explicit ConversionRefusedError(QString description) : description_(std::move(description)) {}

    std::optional<QString> errorDescription() const override { return description_; }

protected:
    QString genericDescription() const override { return description_; }

private:
    QString description_;
};

// A byte count as people read it, in the 1024-based units Google states its
// limits in: "100 MB", "2.5 MB", "900 bytes".
QString dataSizeText(qint64 bytes);

} // namespace orvane
