#pragma once

#include "support/Error.h"

namespace orvane {

// A record the state file could not read back (a date outside the years it
// holds, an address that is not a URL), refused before anything is written:
// one such record would make every later load fail.
class UnstorableRecordError final : public Error {
public:
    // reason: what is wrong with the record, as the end of a sentence
    // ("its Google page address is not a valid URL").
    UnstorableRecordError(QString localFilePath, QString reason)
        : localFilePath_(std::move(localFilePath)), reason_(std::move(reason))
    {
    }

    const QString& localFilePath() const { return localFilePath_; }
    const QString& reason() const { return reason_; }

protected:
    QString genericDescription() const override;

private:
    QString localFilePath_;
    QString reason_;
};

} // namespace orvane
