#include "platform/BrowserUnavailableError.h"

namespace orvane {

QString BrowserUnavailableError::genericDescription() const
{
    // Without the query: a sign-in page's query carries the sign-in's state.
    return QStringLiteral("Orvane could not start a web browser to show \u201C%1\u201D.")
        .arg(url_.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toDisplayString());
}

} // namespace orvane
