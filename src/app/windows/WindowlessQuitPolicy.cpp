#include "windows/WindowlessQuitPolicy.h"

#include "model/AppModel.h"

#include <QGuiApplication>

#include <utility>

namespace orvane {

WindowlessQuitPolicy::WindowlessQuitPolicy(AppModel& model, std::function<bool()> hasVisibleWindow,
                                           std::function<void()> quit, QObject* parent)
    : QObject(parent), model_(model), hasVisibleWindow_(std::move(hasVisibleWindow)), quit_(std::move(quit))
{
    connect(qGuiApp, &QGuiApplication::lastWindowClosed, this, &WindowlessQuitPolicy::scheduleCheck);
    connect(&model_, &AppModel::openEnded, this, [this] {
        didOpenFail_ = didOpenFail_ || (model_.lastError() && !hasVisibleWindow_());
    });
    connect(&model_, &AppModel::hasOpenWorkChanged, this, &WindowlessQuitPolicy::scheduleCheck);
}

void WindowlessQuitPolicy::scheduleCheck()
{
    if (isCheckScheduled_)
        return;
    isCheckScheduled_ = true;
    QMetaObject::invokeMethod(this, &WindowlessQuitPolicy::check, Qt::QueuedConnection);
}

void WindowlessQuitPolicy::check()
{
    isCheckScheduled_ = false;
    // Asked now, not when the check was scheduled: a file handed over in
    // between is work.
    if (model_.hasOpenWork() || hasVisibleWindow_())
        return;
    if (std::exchange(didOpenFail_, false))
        model_.showMainWindow();
    else
        quit_();
}

} // namespace orvane
