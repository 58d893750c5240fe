#include "state/UnstorableRecordError.h"

namespace orvane {

QString UnstorableRecordError::genericDescription() const
{
    return QStringLiteral("Orvane could not save its record of \u201C%1\u201D: %2. Its saved records were left unchanged.")
        .arg(localFilePath_, reason_);
}

} // namespace orvane
