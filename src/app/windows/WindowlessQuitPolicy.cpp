#include "windows/WindowlessQuitPolicy.h"

#include "shell/AppModel.h"

#include <QGuiApplication>

#include <utility>

namespace orvane {

WindowlessQuitPolicy::WindowlessQuitPolicy(AppModel& model, std::function<bool()> hasVisibleWindow,
                                           std::function<void()> quit, QObject* parent)
    : QObject(parent), model_(model), hasVisibleWindow_(std::move(hasVisibleWindow)), quit_(std::move(quit))
{
    connect(qGuiApp, &QGuiApplication::lastWindowClosed, this, &WindowlessQuitPolicy::scheduleCheck);
    connect(&model_, &AppModel::isOpeningChanged, this, &WindowlessQuitPolicy::openingChanged);
}

void WindowlessQuitPolicy::openingChanged()
{
    didOpenEnd_ = didOpenEnd_ || !model_.isOpening();
    scheduleCheck();
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
    const bool didOpenFail = std::exchange(didOpenEnd_, false) && model_.lastError();
    if (model_.isOpening() || hasVisibleWindow_())
        return;
    if (didOpenFail)
        model_.showMainWindow();
    else
        quit_();
}

} // namespace orvane
