#pragma once

#include "support/Error.h"

namespace orvane {

// A file-system failure, naming the file it concerns.
class FileError final : public Error {
public:
    // nameNotUtf8: the name held bytes that are not UTF-8, which were lost
    // when it became text, so the file cannot be reached by that text.
    // folderNotMade: path is the folder that could not be made.
    enum class Kind { notFound, notReadable, writeFailed, removeFailed, folderNotMade, nameNotUtf8 };

    // reason: the system's own words for the failure, if it gave any.
    FileError(Kind kind, QString path, QString reason = {})
        : kind_(kind), path_(std::move(path)), reason_(std::move(reason))
    {
    }

    // The system's own words for an errno value.
    static QString systemReason(int errorNumber);
    // What a path that is not a regular file is, as the end of a sentence
    // ("it is a folder"), from the st_mode of its stat.
    static QString kindOfNonRegularFile(unsigned int mode);
    // Why nothing could be reached at path, from the errno of the call that
    // failed: missing (or a name that was not UTF-8, whose bytes were lost on
    // the way to text), else not readable in the system's words.
    static FileError unreachable(const QString& path, int errorNumber);

    Kind kind() const { return kind_; }
    const QString& path() const { return path_; }
    const QString& reason() const { return reason_; }

    bool operator==(const FileError& other) const
    {
        return kind_ == other.kind_ && path_ == other.path_ && reason_ == other.reason_;
    }

protected:
    QString genericDescription() const override;

private:
    Kind kind_;
    QString path_;
    QString reason_;
};

} // namespace orvane
