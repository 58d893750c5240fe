#pragma once

#include "support/ApplicationBundle.h"

#include <QColor>
#include <QIcon>
#include <QImage>

#include <optional>

namespace orvane {

// The tray item's picture. Orvane draws it itself: "MenuBarIcon", a
// monochrome 18-point template shipped as SVG and PNG.
namespace MenuBarIcon {

inline constexpr int pointSize = 18;

// The first "MenuBarIcon" image in the bundle that loads, SVG before PNG, at
// twice the point size for sharp high-density screens; nothing when none
// loads.
std::optional<QImage> loadImage(const ApplicationBundle& bundle);
// That image painted in color, or, when there is none, the
// "doc.badge.arrow.up" symbol.
QIcon icon(const ApplicationBundle& bundle, const QColor& color);

} // namespace MenuBarIcon

} // namespace orvane
