#pragma once

#include "support/Error.h"

namespace orvane {

// Data that is not in the form the reader requires: malformed JSON, a missing
// key, a value of the wrong type or form.
class DecodingError final : public Error {
public:
    // codingPath: where in the data the problem lies ("[3].openMode"); empty for the whole.
    DecodingError(QString codingPath, QString reason) : codingPath_(std::move(codingPath)), reason_(std::move(reason)) {}

    const QString& codingPath() const { return codingPath_; }
    const QString& reason() const { return reason_; }
    // The file the data came from; empty when it did not come from a file.
    const QString& sourcePath() const { return sourcePath_; }

    // The same error, located one level further out ("[3]" + ".openMode").
    DecodingError nestedIn(const QString& outerPath) const;
    // The same error, naming the file it was read from.
    DecodingError readFrom(const QString& path) const;

protected:
    QString genericDescription() const override;

private:
    QString codingPath_;
    QString reason_;
    QString sourcePath_;
};

} // namespace orvane
