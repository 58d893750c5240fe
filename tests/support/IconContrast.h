#pragma once

#include <QColor>
#include <QImage>

namespace orvane::testsupport {

// The contrast ratio of two opaque colours, as WCAG defines it: 1 for none,
// 21 for black on white. Body text needs 4.5 (its level AA), symbols and
// other shapes that carry meaning 3, and 7 is its strictest level for text.
double contrastRatio(const QColor& one, const QColor& other);

// The colour that covers most of an area: what the rest is drawn on.
QColor dominantColor(const QImage& area);
// A colour, possibly translucent, as it shows drawn on an opaque one.
QColor drawnOn(const QColor& color, const QColor& background);

// How a symbol drawn in an area stands out from the background it is drawn
// on: the contrast ratio of the area's colour farthest from the background.
// Anti-aliased edges are passed over, since a symbol's filled parts and
// strokes cover some pixels whole. 1 for an area of the background's colour.
double inkContrast(const QImage& area, const QColor& background);

// The share of an icon's visible pixels (at least half covered) that stand
// out from a panel of the given colour, drawn on it, with at least the
// given contrast ratio. 0 for an icon with no visible
// pixel, and for one drawn in the panel's colour. An outline that shows the
// shape is a tenth or more of a small icon's pixels.
double shareStandingOut(const QImage& icon, const QColor& panel, double minimumRatio);

} // namespace orvane::testsupport
