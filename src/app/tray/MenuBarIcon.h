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
// The icon theme's name for it, installed into hicolor with the application.
inline const QString themeName = QStringLiteral("app.orvane.Orvane-symbolic");

// The first "MenuBarIcon" image in the bundle that loads, SVG before PNG,
// scaled to size (by default twice the point size, for sharp high-density
// screens); nothing when none loads.
std::optional<QImage> loadImage(const ApplicationBundle& bundle, QSize size = {2 * pointSize, 2 * pointSize});
// That image painted in color, or, when there is none, the
// "doc.badge.arrow.up" symbol: a template, as macOS's menu bar wants it.
QIcon icon(const ApplicationBundle& bundle, const QColor& color);
// For the trays of Linux desktops, whose panels are light or dark: the
// template drawn white within a dark outline, which shows on either. Named
// after the themed symbolic icon where the icon theme has it, so that a tray
// that looks icons up by name draws that one in its panel's own colour.
QIcon trayIcon(const ApplicationBundle& bundle);

} // namespace MenuBarIcon

} // namespace orvane
