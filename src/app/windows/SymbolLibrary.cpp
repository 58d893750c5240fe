#include "windows/SymbolLibrary.h"

#include <QFileInfo>
#include <QIconEngine>
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

// Draws the symbol at the size asked for, each time it is asked. Qt's own
// engine for an icon made of pixmaps keeps every pixmap it hands out in
// QPixmapCache, and that cache's flush timer then wakes the tray process
// once, half a minute after the menu was last read.
class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(QString name, QPalette palette) : name_(std::move(name)), palette_(std::move(palette)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(image(name_, size, colorFor(mode)));
    }
    QString key() const override { return u"orvane-symbol"_s; }
    QIconEngine* clone() const override { return new SymbolIconEngine(name_, palette_); }

private:
    // A disabled item's symbol greys as its title does.
    QColor colorFor(QIcon::Mode mode) const
    {
        return palette_.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);
    }

    QString name_;
    QPalette palette_;
};

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

QIcon icon(const QString& name, const QPalette& palette)
{
    return contains(name) ? QIcon(new SymbolIconEngine(name, palette)) : QIcon();
}

} // namespace orvane::SymbolLibrary
