#include "windows/WindowFrameAutosave.h"

#include <QSettings>
#include <QWindow>

namespace orvane {

WindowFrameAutosave::WindowFrameAutosave(QWindow& window, QString name, QSettings& defaults)
    : QObject(&window), window_(window), name_(std::move(name)), defaults_(defaults)
{
    if (const std::optional<QRect> frame = savedFrame(defaults_, name_))
        window_.setGeometry(*frame);
    for (const auto changed : {&QWindow::xChanged, &QWindow::yChanged, &QWindow::widthChanged, &QWindow::heightChanged})
        connect(&window_, changed, this, &WindowFrameAutosave::save);
}

std::optional<QRect> WindowFrameAutosave::savedFrame(const QSettings& defaults, const QString& name)
{
    const QRect frame = defaults.value(name).toRect();
    if (!frame.isValid())
        return std::nullopt;
    return frame;
}

void WindowFrameAutosave::save()
{
    defaults_.setValue(name_, window_.geometry());
}

} // namespace orvane
