#include "windows/WindowFrameAutosave.h"

#include "model/ActivityLog.h"
#include "support/SettingsSync.h"

#include <QGuiApplication>
#include <QSettings>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace orvane {

WindowFrameAutosave::WindowFrameAutosave(QWindow& window, QString name, QSettings& defaults)
    : QObject(&window), window_(window), name_(std::move(name)), defaults_(defaults)
{
    const std::optional<QRect> frame = savedFrame(defaults_, name_);
    QList<void (QWindow::*)(int)> changes{&QWindow::widthChanged, &QWindow::heightChanged};
    if (QGuiApplication::platformName().startsWith(u"wayland"_s)) {
        keptPosition_ = frame ? frame->topLeft() : window_.position();
        if (frame)
            window_.resize(frame->size());
    } else {
        if (frame)
            window_.setGeometry(*frame);
        changes << &QWindow::xChanged << &QWindow::yChanged;
    }
    for (const auto changed : changes)
        connect(&window_, changed, this, [this] {
            frame_ = QRect(keptPosition_.value_or(window_.position()), window_.size());
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
