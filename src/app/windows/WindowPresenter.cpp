#include "windows/WindowPresenter.h"

#include "model/ActivityLog.h"
#include "windows/ViewEngine.h"
#include "windows/ViewRenderer.h"
#include "windows/WindowFrameAutosave.h"
#include "windows/WindowPalette.h"

#include <QQuickView>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace orvane {

WindowSettings WindowSettings::mainWindow()
{
    return {
        .viewName = u"RootView"_s,
        .title = u"Orvane"_s,
        .contentSize = QSize(820, 620),
        .minimumContentSize = QSize(760, 540),
        .frameAutosaveName = u"main-AppWindow-1"_s,
    };
}

WindowSettings WindowSettings::preferencesWindow()
{
    return {
        .viewName = u"PreferencesView"_s,
        .title = u"Preferences"_s,
        .contentSize = QSize(560, 440),
        .minimumContentSize = QSize(520, 360),
        // The form is laid out for this width.
        .keepsContentWidth = true,
        .frameAutosaveName = u"preferences-AppWindow-1"_s,
    };
}

WindowPresenter::WindowPresenter(WindowSettings settings, std::function<ViewEngine&()> engine, QSettings& defaults)
    : settings_(std::move(settings)), engine_(std::move(engine)), defaults_(defaults)
{
}

WindowPresenter::~WindowPresenter() = default;

QQuickWindow& WindowPresenter::makeWindowIfNeeded()
{
    if (window_)
        return *window_;
    window_ = std::make_unique<QQuickView>(&engine_(), nullptr);
    followApplicationPalette(*window_);
    window_->setResizeMode(QQuickView::SizeRootObjectToView);
    window_->setSource(ViewEngine::viewURL(settings_.viewName));
    window_->setTitle(settings_.title);
    // Queued: the scene graph may come up on the render thread.
    QObject::connect(
        window_.get(), &QQuickWindow::sceneGraphInitialized, window_.get(),
        [window = window_.get()] {
            qCInfo(activityLog).noquote() << "Drawing window:" << window->title() << "with" << viewRendererName(*window);
        },
        Qt::QueuedConnection);
    window_->resize(settings_.contentSize);
    window_->setMinimumSize(settings_.minimumContentSize);
    if (settings_.keepsContentWidth) {
        window_->setMinimumWidth(settings_.contentSize.width());
        window_->setMaximumWidth(settings_.contentSize.width());
    }
    QRect centred(QPoint(), settings_.contentSize);
    centred.moveCenter(window_->screen()->availableGeometry().center());
    window_->setPosition(centred.topLeft());
    // After centring, so that a frame the user left in an earlier run wins.
    new WindowFrameAutosave(*window_, settings_.frameAutosaveName, defaults_);
    return *window_;
}

void WindowPresenter::bringForward()
{
    QQuickWindow& window = makeWindowIfNeeded();
    if (window.windowStates() & Qt::WindowMinimized)
        window.setWindowStates(window.windowStates() & ~Qt::WindowMinimized);
    qCInfo(activityLog).noquote() << "Showing window:" << settings_.title;
    window.show();
    window.raise();
    window.requestActivate();
}

void WindowPresenter::release()
{
    window_.reset();
}

bool WindowPresenter::isVisible() const
{
    return window_ && window_->isVisible();
}

} // namespace orvane
