#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QQuickView;
class QQuickWindow;
class QSettings;

namespace orvane {

class ViewEngine;
class WindowFrameAutosave;

// What one of Orvane's windows is when it is first made.
struct WindowSettings {
    // The file of the window's content in the views' module.
    QString viewName;
    QString title;
    QSize contentSize;
    QSize minimumContentSize;
    // The width of contentSize for good: only the height follows the user.
    bool keepsContentWidth = false;
    // The user-defaults key the window's frame is kept under.
    QString frameAutosaveName;

    // Onboarding or home: "main-AppWindow-1".
    static WindowSettings mainWindow();
    // "preferences-AppWindow-1".
    static WindowSettings preferencesWindow();
};

// Owns one window: makes it on the first request, from the shared view
// engine (made then too, when it is the first window), and keeps it until
// released, so that closing it only hides it and the next request shows the
// same window with its views as the user left them. Once released, the next
// request makes it again, where the user left its frame.
class WindowPresenter {
public:
    WindowPresenter(WindowSettings settings, std::function<ViewEngine&()> engine, QSettings& defaults);
    ~WindowPresenter();

    QQuickWindow& makeWindowIfNeeded();
    // Made if needed, shown in front of other windows and given the focus.
    void bringForward();
    bool isVisible() const;
    bool isMade() const { return window_ != nullptr; }
    // Destroys the window and its views; call before the engine goes.
    void release();

private:
    WindowSettings settings_;
    std::function<ViewEngine&()> engine_;
    QSettings& defaults_;
    std::unique_ptr<QQuickView> window_;
};

} // namespace orvane
