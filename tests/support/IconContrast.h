#pragma once

#include <QColor>
#include <QImage>

namespace orvane::testsupport {

// The share of an icon's visible pixels (at least half covered) that stand
// out from a panel of the given colour, drawn on it, with at least the
// given contrast ratio (as WCAG defines it: 1 for none, 21 for black on
// white; 7 is its strictest level for text). 0 for an icon with no visible
// pixel, and for one drawn in the panel's colour. An outline that shows the
// shape is a tenth or more of a small icon's pixels.
double shareStandingOut(const QImage& icon, const QColor& panel, double minimumRatio);

} // namespace orvane::testsupport
