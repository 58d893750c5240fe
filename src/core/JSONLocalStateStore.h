#pragma once

#include "LocalStateStore.h"

#include <QUrl>

namespace orvane {

// The records in one JSON file, local-state.json: a compact array, newest
// first, rewritten whole and atomically on every save. A missing file is an
// empty list; a corrupt one fails every load and is never touched.
class JSONLocalStateStore final : public LocalStateStoring {
public:
    explicit JSONLocalStateStore(QUrl stateURL) : stateURL_(std::move(stateURL)) {}

    const QUrl& stateURL() const { return stateURL_; }

    // Throws FileError when the file cannot be read, DecodingError naming the
    // file when it is not a valid record list.
    QList<LocalFileRecord> loadRecords() const override;
    // Creates the folder chain on first use. Throws FileError; the previous
    // file stays intact on failure.
    void saveRecords(const QList<LocalFileRecord>& records) override;

private:
    QUrl stateURL_;
};

} // namespace orvane
