#include "PaintedText.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QWidget>

#include <climits>
#include <map>

namespace orvane::testsupport {

namespace {

// Keeps the text of every run of glyphs drawn, by the line it sits on;
// draws nothing. A line drawn in several runs (a shortcut letter is a run of
// its own) is put together again from left to right.
class TextRecordingEngine final : public QPaintEngine {
public:
    TextRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform_ = state.transform();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTextItem(const QPointF& position, const QTextItem& textItem) override
    {
        const QPointF onDevice = transform_.map(position);
        runs_[qRound(onDevice.y())].emplace(onDevice.x(), textItem.text());
    }
    Type type() const override { return QPaintEngine::User; }

    QStringList lines() const
    {
        QStringList lines;
        for (const auto& [baseline, runs] : runs_) {
            QString line;
            for (const auto& [x, text] : runs)
                line += text;
            lines.append(line);
        }
        return lines;
    }

private:
    QTransform transform_;
    std::map<int, std::multimap<qreal, QString>> runs_;
};

class TextRecordingDevice final : public QPaintDevice {
public:
    explicit TextRecordingDevice(QSize size) : size_(size) {}

    QPaintEngine* paintEngine() const override { return &engine_; }
    QStringList lines() const { return engine_.lines(); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        constexpr int dotsPerInch = 96;
        switch (metric) {
        case PdmWidth:
            return size_.width();
        case PdmHeight:
            return size_.height();
        case PdmWidthMM:
            return size_.width() * 254 / (10 * dotsPerInch);
        case PdmHeightMM:
            return size_.height() * 254 / (10 * dotsPerInch);
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return dotsPerInch;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    mutable TextRecordingEngine engine_;
};

} // namespace

QStringList paintedLines(QWidget& widget)
{
    widget.ensurePolished();
    widget.adjustSize();
    TextRecordingDevice device(widget.size());
    widget.render(&device);
    return device.lines();
}

} // namespace orvane::testsupport
