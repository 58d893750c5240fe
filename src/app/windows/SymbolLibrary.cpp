#include "windows/SymbolLibrary.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace orvane::SymbolLibrary {

namespace {

QString resourcePath(const QString& name)
{
    return u":/symbols/"_s + name + u".svg"_s;
}

} // namespace

bool contains(const QString& name)
{
    return !name.isEmpty() && !name.contains(u'/') && QFileInfo::exists(resourcePath(name));
}

QImage image(const QString& name, QSize size, const QColor& color)
{
    if (!contains(name) || size.isEmpty())
        return {};
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid())
        return {};
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    QSizeF drawn = renderer.defaultSize();
    drawn.scale(size, Qt::KeepAspectRatio);
    renderer.render(&painter, QRectF(QPointF((size.width() - drawn.width()) / 2, (size.height() - drawn.height()) / 2),
                                     drawn));
    // The drawing's own colour is only its shape: every covered pixel takes
    // the requested colour, keeping its coverage.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    // Before the image leaves: a painter still open on it would keep its data.
    painter.end();
    return result;
}

QIcon icon(const QString& name, const QColor& color)
{
    QIcon result;
    for (const int side : {16, 24, 32, 48, 64}) {
        const QImage drawn = image(name, QSize(side, side), color);
        if (drawn.isNull())
            return {};
        result.addPixmap(QPixmap::fromImage(drawn));
    }
    return result;
}

} // namespace orvane::SymbolLibrary
