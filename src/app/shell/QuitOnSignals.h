#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <functional>

namespace orvane {

// SIGTERM (a logout, a shutdown) and SIGINT end Orvane as "Quit Orvane"
// does, on the event loop: the files it has taken and not opened stay on
// its list for the next start. The handler only writes a byte to a socket
// pair, the one thing a signal handler may safely do; the loop reads it.
class QuitOnSignals final : public QObject {
    Q_OBJECT

public:
    // From now on the signals are caught and held for the event loop: call
    // as soon as the process is to be Orvane, before it takes any file.
    static void catchSignals();
    // Quits on the event loop for a signal caught since catchSignals().
    explicit QuitOnSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    std::function<void()> quit_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace orvane
