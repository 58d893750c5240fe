#include "IconContrast.h"

#include <QHash>

#include <algorithm>
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

} // namespace

double contrastRatio(const QColor& one, const QColor& other)
{
    const double lighter = std::max(luminance(one), luminance(other));
    const double darker = std::min(luminance(one), luminance(other));
    return (lighter + 0.05) / (darker + 0.05);
}

QColor drawnOn(const QColor& color, const QColor& background)
{
    const double alpha = color.alphaF();
    const auto blend = [alpha](double top, double bottom) { return top * alpha + bottom * (1 - alpha); };
    return QColor::fromRgbF(float(blend(color.redF(), background.redF())),
                            float(blend(color.greenF(), background.greenF())),
                            float(blend(color.blueF(), background.blueF())));
}

QColor dominantColor(const QImage& area)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y)];
    }
    QRgb dominant = 0;
    for (auto count = counts.constBegin(); count != counts.constEnd(); ++count)
        dominant = count.value() > counts.value(dominant) ? count.key() : dominant;
    return QColor::fromRgb(dominant);
}

double inkContrast(const QImage& area, const QColor& background)
{
    double farthest = 1;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x)
            farthest = std::max(farthest, contrastRatio(QColor::fromRgb(area.pixel(x, y)), background));
    }
    return farthest;
}

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
