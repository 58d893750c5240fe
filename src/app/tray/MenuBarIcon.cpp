#include "tray/MenuBarIcon.h"

#include "windows/SymbolLibrary.h"

#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace orvane::MenuBarIcon {

namespace {

const QString fallbackSymbol = u"doc.badge.arrow.up"_s;

QImage painted(QImage image, const QColor& color)
{
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    // A template: only the picture's coverage counts, not its colours.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    return image;
}

QImage templateImage(const ApplicationBundle& bundle, QSize size, const QColor& color)
{
    const std::optional<QImage> image = loadImage(bundle, size);
    return image ? painted(*image, color) : SymbolLibrary::image(fallbackSymbol, size, color);
}

// The template in white, on its own coverage spread by a pixel or two in
// near black: light on a dark panel, dark-edged on a light one.
QImage outlined(const ApplicationBundle& bundle, QSize size)
{
    const int width = std::max(1, size.width() / 16);
    const QImage outline = templateImage(bundle, size, QColor(0x1c, 0x1c, 0x1c));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    for (int dy = -width; dy <= width; ++dy) {
        for (int dx = -width; dx <= width; ++dx) {
            if (dx * dx + dy * dy <= width * width)
                painter.drawImage(dx, dy, outline);
        }
    }
    painter.drawImage(0, 0, templateImage(bundle, size, Qt::white));
    return image;
}

class TrayIconEngine final : public QIconEngine {
public:
    TrayIconEngine(ApplicationBundle bundle, QString name) : bundle_(std::move(bundle)), name_(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        painter->drawImage(rect, outlined(bundle_, rect.size()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return QPixmap::fromImage(outlined(bundle_, size));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}};
    }
    QString iconName() override { return name_; }
    QIconEngine* clone() const override { return new TrayIconEngine(bundle_, name_); }

private:
    ApplicationBundle bundle_;
    QString name_;
};

} // namespace

std::optional<QImage> loadImage(const ApplicationBundle& bundle, QSize size)
{
    for (const QString& extension : {u"svg"_s, u"png"_s}) {
        const std::optional<QString> path = bundle.resourcePath(u"MenuBarIcon"_s, extension);
        if (!path)
            continue;
        QImageReader reader(*path);
        reader.setScaledSize(size);
        // A file that is there but is no image counts as missing.
        if (const QImage image = reader.read(); !image.isNull())
            return image;
    }
    return std::nullopt;
}

QIcon icon(const ApplicationBundle& bundle, const QColor& color)
{
    QIcon result(QPixmap::fromImage(templateImage(bundle, QSize(2 * pointSize, 2 * pointSize), color)));
    result.setIsMask(true);
    return result;
}

QIcon trayIcon(const ApplicationBundle& bundle)
{
    return QIcon(new TrayIconEngine(bundle, QIcon::hasThemeIcon(themeName) ? themeName : QString()));
}

} // namespace orvane::MenuBarIcon
