#include "HtmlPage.h"

namespace orvane::emulator::html {

using namespace Qt::Literals::StringLiterals;

QString escape(const QString& text)
{
    return text.toHtmlEscaped();
}

QString page(const QString& title, const QString& bodyHtml)
{
    return u"<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>"_s + escape(title)
        + u"</title><style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
          u"td,th{border:1px solid #ccc;padding:2px 6px}.path{color:#555}</style></head>\n<body>\n"_s
        + bodyHtml + u"\n</body></html>\n"_s;
}

} // namespace orvane::emulator::html
