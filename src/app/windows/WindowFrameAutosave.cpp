#include "windows/WindowFrameAutosave.h"

#include "model/ActivityLog.h"
#include "support/SettingsSync.h"

#include <QSettings>
#include <QWindow>

namespace orvane {

WindowFrameAutosave::WindowFrameAutosave(QWindow& window, QString name, QSettings& defaults)
    : QObject(&window), window_(window), name_(std::move(name)), defaults_(defaults)
{
    if (const std::optional<QRect> frame = savedFrame(defaults_, name_))
        window_.setGeometry(*frame);
    for (const auto changed : {&QWindow::xChanged, &QWindow::yChanged, &QWindow::widthChanged, &QWindow::heightChanged})
        connect(&window_, changed, this, [this] {
            frame_ = window_.geometry();
            saveTimer_.start();
        });
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(500);
    connect(&saveTimer_, &QTimer::timeout, this, &WindowFrameAutosave::save);
}

WindowFrameAutosave::~WindowFrameAutosave()
{
    if (saveTimer_.isActive())
        save();
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
    saveTimer_.stop();
    defaults_.setValue(name_, frame_);
    // Written at once and checked, before QSettings' own deferred write
    // could put an empty file in place of the settings on a full disk.
    try {
        syncSettings(defaults_);
    } catch (const std::exception& error) {
        qCWarning(activityLog) << "The window's place was not saved:" << error.what();
    }
}

} // namespace orvane
