#include "Pages.h"

#include "DelimitedText.h"
#include "HtmlPage.h"

#include <QStringDecoder>

namespace orvane::emulator {

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qsizetype shownRowLimit = 1000;

HttpResponse notFound()
{
    return HttpResponse::html(404, html::page(u"Not Found"_s, u"<h1>404. That’s an error.</h1>\n<p>The requested URL was not found on this server.</p>"_s));
}

} // namespace

std::optional<HttpResponse> Pages::serve(const QByteArray& path) const
{
    const QList<QByteArray> segments = path.split('/');
    // "", kind, "d", id, action
    if (segments.size() == 5 && segments[2] == "d"_ba) {
        const QString id = QString::fromUtf8(QByteArray::fromPercentEncoding(segments[3]));
        const QByteArray& kind = segments[1];
        const QByteArray& action = segments[4];
        if (kind == "spreadsheets"_ba && action == "edit"_ba)
            return editor(mime::spreadsheet, id);
        if (kind == "document"_ba && action == "edit"_ba)
            return editor(mime::document, id);
        if (kind == "presentation"_ba && action == "edit"_ba)
            return editor(mime::presentation, id);
        if (kind == "file"_ba && action == "view"_ba)
            return fileView(id);
    }
    if (segments.size() == 4 && segments[1] == "drive"_ba && segments[2] == "folders"_ba)
        return folderView(QString::fromUtf8(QByteArray::fromPercentEncoding(segments[3])));
    return std::nullopt;
}

QString Pages::header(const DriveItem& item) const
{
    QString body = u"<h1 class=\"name\">%1</h1>\n<p class=\"path\">%2</p>\n"_s.arg(html::escape(item.name),
                                                                                      html::escape(m_store.folderPath(item).join(u" / "_s)));
    if (item.trashed)
        body += u"<p class=\"trashed\">This item is in the trash.</p>\n"_s;
    return body;
}

HttpResponse Pages::editor(const QString& googleType, const QString& id) const
{
    const DriveItem* item = m_store.find(id);
    if (!item || item->mimeType != googleType)
        return notFound();
    return HttpResponse::html(200, html::page(item->name, header(*item) + cellTable(*item)));
}

HttpResponse Pages::fileView(const QString& id) const
{
    const DriveItem* item = m_store.find(id);
    if (!item || item->isFolder())
        return notFound();
    const QString details = u"<p class=\"details\">%1, %2 bytes</p>\n"_s.arg(html::escape(item->sourceMimeType.value_or(item->mimeType)),
                                                                             QString::number(item->size));
    return HttpResponse::html(200, html::page(item->name, header(*item) + details + cellTable(*item)));
}

HttpResponse Pages::folderView(const QString& id) const
{
    const DriveItem* folder = m_store.find(id);
    if (!folder || !folder->isFolder())
        return notFound();
    QString list = u"<ul class=\"children\">\n"_s;
    for (const DriveItem* child : m_store.items()) {
        if (child->parents.contains(folder->id))
            list += u"<li>%1</li>\n"_s.arg(html::escape(child->name));
    }
    return HttpResponse::html(200, html::page(folder->name, header(*folder) + list + u"</ul>"_s));
}

QString Pages::cellTable(const DriveItem& item) const
{
    const QString source = item.sourceMimeType.value_or(item.mimeType);
    const bool csv = source == u"text/csv"_s;
    if (!csv && source != u"text/tab-separated-values"_s)
        return {};
    QStringDecoder utf8(QStringDecoder::Utf8); // drops a leading byte-order mark
    const QList<QStringList> rows = parseDelimitedText(utf8.decode(item.contentPrefix), csv ? u',' : u'\t', item.contentComplete);
    QString table = u"<table class=\"cells\">\n"_s;
    for (qsizetype row = 0; row < rows.size() && row < shownRowLimit; ++row) {
        table += u"<tr>"_s;
        for (const QString& cell : rows[row])
            table += u"<td>"_s + html::escape(cell) + u"</td>"_s;
        table += u"</tr>\n"_s;
    }
    table += u"</table>\n"_s;
    if (!item.contentComplete || rows.size() > shownRowLimit)
        table += u"<p class=\"truncated\">Only the first rows are shown.</p>\n"_s;
    return table;
}

} // namespace orvane::emulator
