#include "state/UnreadableStateFileError.h"

namespace orvane {

QString UnreadableStateFileError::genericDescription() const
{
    return cause_
        + QStringLiteral(" It holds Orvane\u2019s list of opened files, which Orvane leaves as it is; move \u201C%1\u201D "
                         "aside to start a fresh list.")
              .arg(path_);
}

} // namespace orvane
