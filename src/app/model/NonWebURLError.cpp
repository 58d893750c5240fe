#include "model/NonWebURLError.h"

namespace orvane {

std::optional<QString> NonWebURLError::errorDescription() const
{
    return QStringLiteral("Orvane opens only web addresses (http or https) in the browser, not \u201C%1\u201D.")
        .arg(url_.toDisplayString());
}

} // namespace orvane
