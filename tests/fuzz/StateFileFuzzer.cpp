// local-state.json, which any program of the user can write: whatever loads
// can be saved again, and what is saved reads back as it was loaded.

#include "state/JSONLocalStateStore.h"
#include "state/UnstorableRecordError.h"
#include "support/DecodingError.h"

#include "FuzzCheck.h"

using namespace orvane;
using namespace orvane::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QList<LocalFileRecord> records;
    try {
        records = JSONLocalStateStore::decoded(bytes(data, size));
    } catch (const DecodingError&) {
        return 0;
    }
    QByteArray saved;
    try {
        saved = JSONLocalStateStore::encoded(records);
    } catch (const UnstorableRecordError& error) {
        fail("a record that loads cannot be saved", error.localizedDescription());
    }
    QList<LocalFileRecord> readBack;
    try {
        readBack = JSONLocalStateStore::decoded(saved);
    } catch (const DecodingError& error) {
        fail("what a save wrote does not load", error.localizedDescription() + u'\n' + QString::fromUtf8(saved));
    }
    QList<LocalFileRecord> newestFirst = records;
    sortNewestFirst(newestFirst);
    require(readBack == newestFirst, "the saved records read back otherwise", [&] { return QString::fromUtf8(saved); });
    require(JSONLocalStateStore::encoded(readBack) == saved, "saving what was read back writes other bytes");
    return 0;
}
