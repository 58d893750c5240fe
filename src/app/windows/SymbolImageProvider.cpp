#include "windows/SymbolImageProvider.h"

#include "windows/SymbolLibrary.h"

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

// What a symbol is drawn at when the view does not say.
constexpr QSize defaultSize(24, 24);

} // namespace

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    const qsizetype colorSeparator = id.indexOf(u'/');
    const QString name = colorSeparator < 0 ? id : id.left(colorSeparator);
    const QColor color = colorSeparator < 0 ? QColor(Qt::black) : QColor(u'#' + id.mid(colorSeparator + 1));
    const QSize drawnSize(requestedSize.width() > 0 ? requestedSize.width() : defaultSize.width(),
                          requestedSize.height() > 0 ? requestedSize.height() : defaultSize.height());
    QImage result = SymbolLibrary::image(name, drawnSize, color.isValid() ? color : QColor(Qt::black));
    if (size)
        *size = result.size();
    return result;
}

} // namespace orvane
