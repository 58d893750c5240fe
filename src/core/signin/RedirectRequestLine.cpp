#include "signin/RedirectRequestLine.h"

#include "support/Utf8Text.h"

namespace orvane {

RedirectRequestLine RedirectRequestLine::read(QByteArrayView received)
{
    const qsizetype lineEnd = received.first(std::min(received.size(), maximumBytes)).indexOf("\r\n");
    if (lineEnd < 0)
        return {received.size() < maximumBytes ? Status::incomplete : Status::unreadable, {}};
    const std::optional<QString> text = strictUtf8Text(received.first(lineEnd).toByteArray());
    if (!text)
        return {Status::unreadable, {}};
    // Blanks separate the pieces; tabs do not.
    const QStringList pieces = text->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (pieces.size() < 2)
        return {Status::unreadable, {}};
    const QUrl url(QStringLiteral("http://127.0.0.1") + pieces.at(1), QUrl::StrictMode);
    if (!url.isValid())
        return {Status::unreadable, {}};
    return {Status::callback, url};
}

} // namespace orvane
