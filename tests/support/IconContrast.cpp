#include "IconContrast.h"

#include <cmath>

namespace orvane::testsupport {

namespace {

double linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& color)
{
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrastRatio(const QColor& one, const QColor& other)
{
    const double lighter = std::max(luminance(one), luminance(other));
    const double darker = std::min(luminance(one), luminance(other));
    return (lighter + 0.05) / (darker + 0.05);
}

// The pixel as it shows on the panel.
QColor drawnOn(const QColor& pixel, const QColor& panel)
{
    const double alpha = pixel.alphaF();
    const auto blend = [alpha](double top, double bottom) { return top * alpha + bottom * (1 - alpha); };
    return QColor::fromRgbF(float(blend(pixel.redF(), panel.redF())), float(blend(pixel.greenF(), panel.greenF())),
                            float(blend(pixel.blueF(), panel.blueF())));
}

} // namespace

double shareStandingOut(const QImage& icon, const QColor& panel, double minimumRatio)
{
    int visible = 0;
    int standingOut = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = icon.pixelColor(x, y);
            if (pixel.alphaF() < 0.5)
                continue;
            ++visible;
            standingOut += contrastRatio(drawnOn(pixel, panel), panel) >= minimumRatio ? 1 : 0;
        }
    }
    return visible == 0 ? 0 : double(standingOut) / visible;
}

} // namespace orvane::testsupport
