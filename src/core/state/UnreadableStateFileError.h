#pragma once

#include "support/Error.h"

namespace orvane {

// The state file is there but cannot be read (the system's reason, or not
// valid records): says where it is and how to start afresh. Orvane itself
// never moves, repairs or replaces it: the records may still be saved by hand.
class UnreadableStateFileError final : public Error {
public:
    // cause: the read or decoding error's own description, which names the file.
    UnreadableStateFileError(QString path, QString cause) : path_(std::move(path)), cause_(std::move(cause)) {}

    const QString& path() const { return path_; }
    const QString& cause() const { return cause_; }

protected:
    QString genericDescription() const override;

private:
    QString path_;
    QString cause_;
};

} // namespace orvane
