#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QSize>
#include <QString>

namespace orvane {

// The symbols the windows and the tray menu show, looked up by their names
// ("doc.badge.arrow.up", "tablecells", …). Orvane draws each as one
// monochrome SVG in the ":/symbols" resource folder and paints it in the
// colour of the place it appears in, like a template image.
namespace SymbolLibrary {

bool contains(const QString& name);
// Transparent where the symbol is not drawn, scaled to fit size; a null
// image for a name the library does not have.
QImage image(const QString& name, QSize size, const QColor& color);
// For menus: the symbol in the palette's window text colour (its disabled
// one for a disabled item), drawn at whatever size is asked for.
QIcon icon(const QString& name, const QPalette& palette);

} // namespace SymbolLibrary

} // namespace orvane
