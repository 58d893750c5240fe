#include "support/ConfigurationError.h"

namespace orvane {

QString ConfigurationError::genericDescription() const
{
    return QStringLiteral("%1 is \u201C%2\u201D, which Orvane cannot use: %3.").arg(setting_, value_, requirement_);
}

} // namespace orvane
