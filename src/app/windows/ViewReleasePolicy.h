#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

namespace orvane {

// Orvane spends most of its life in the tray. A while after its last window
// closed, when nothing needs the views any more, this gives back what the
// windows took: their scenes and the QML engine with its compiled views
// (release), and the heap memory they leave free to the system. They are
// made again when a window is asked for.
class ViewReleasePolicy final : public QObject {
    Q_OBJECT

public:
    // Long enough for a window closed and opened again to stay as it was.
    static constexpr std::chrono::milliseconds idleDelay{5'000};

    // areViewsNeeded: a window is shown, or the views hold what the user
    // would lose with them.
    ViewReleasePolicy(std::function<bool()> areViewsNeeded, std::function<void()> release,
                      std::chrono::milliseconds delay = idleDelay, QObject* parent = nullptr);

private:
    void releaseUnlessNeeded();

    std::function<bool()> areViewsNeeded_;
    std::function<void()> release_;
    QTimer idle_;
};

} // namespace orvane
