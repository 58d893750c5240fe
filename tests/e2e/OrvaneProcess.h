#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <chrono>

namespace orvane::testsupport {

// One run of the real orvane executable, with its activity log (the
// "orvane.activity" category) read line by line as it comes.
class OrvaneProcess {
public:
    static constexpr std::chrono::milliseconds defaultTimeout{30'000};

    OrvaneProcess(const QProcessEnvironment& environment, const QStringList& arguments);
    ~OrvaneProcess();
    OrvaneProcess(const OrvaneProcess&) = delete;
    OrvaneProcess& operator=(const OrvaneProcess&) = delete;

    // Waits until a line containing text has been written; false when the
    // process ends or the time runs out first.
    bool waitForLine(const QString& text, std::chrono::milliseconds timeout = defaultTimeout)
    {
        return waitForLines(text, 1, timeout);
    }
    // The same, for count such lines in all.
    bool waitForLines(const QString& text, qsizetype count, std::chrono::milliseconds timeout = defaultTimeout);
    qsizetype countLines(const QString& text) const;
    // The exit status, or -1 when it did not end in time or crashed.
    int waitForExit(std::chrono::milliseconds timeout = defaultTimeout);

    // Every line written so far.
    const QStringList& lines() const { return lines_; }
    // The process's id: the launcher becomes the application in place, so
    // this is the running Orvane's too.
    qint64 processId() const { return process_.processId(); }
    QString output() const { return lines_.join(u'\n'); }

private:
    void readLines();

    QProcess process_;
    QStringList lines_;
};

// The executable this build made.
QString orvaneExecutable();

} // namespace orvane::testsupport
