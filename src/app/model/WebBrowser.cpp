#include "model/WebBrowser.h"

#include "model/NonWebURLError.h"

namespace orvane {

void WebBrowser::open(const QUrl& url) const
{
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        throw NonWebURLError(url);
    opener_(url);
}

} // namespace orvane
