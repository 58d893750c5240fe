#include "tray/MenuBarIcon.h"

#include "windows/SymbolLibrary.h"

#include <QImageReader>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

namespace orvane::MenuBarIcon {

namespace {

constexpr QSize drawnSize(2 * pointSize, 2 * pointSize);

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

} // namespace

std::optional<QImage> loadImage(const ApplicationBundle& bundle)
{
    for (const QString& extension : {u"svg"_s, u"png"_s}) {
        const std::optional<QString> path = bundle.resourcePath(u"MenuBarIcon"_s, extension);
        if (!path)
            continue;
        QImageReader reader(*path);
        reader.setScaledSize(drawnSize);
        // A file that is there but is no image counts as missing.
        if (const QImage image = reader.read(); !image.isNull())
            return image;
    }
    return std::nullopt;
}

QIcon icon(const ApplicationBundle& bundle, const QColor& color)
{
    const std::optional<QImage> image = loadImage(bundle);
    QIcon result(QPixmap::fromImage(image ? painted(*image, color)
                                          : SymbolLibrary::image(u"doc.badge.arrow.up"_s, drawnSize, color)));
    result.setIsMask(true);
    return result;
}

} // namespace orvane::MenuBarIcon
