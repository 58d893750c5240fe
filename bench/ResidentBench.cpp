// Orvane as it spends most of its life: in the tray. Measures its resident
// memory (VmRSS) after start, with the home window open, and 10 s after the
// window is closed, and how often its threads wake while it is idle (their
// context switches over two minutes, before the window and after it). On an X
// server of its own, with a StatusNotifierItem tray on the session bus,
// against the local Google emulator, signed in and with one file opened.
// Twice: drawn by the renderer Orvane chooses (Qt Quick's software
// renderer), then through OpenGL by Mesa's software renderer, as a user who
// asks for OpenGL on a desktop without a graphics card gets it. Run it in a
// D-Bus session with a keyring:
//
//   scripts/with-test-services build/release/bench/resident_bench [IDLE_SECONDS]   (default 120)

#include "GoogleEmulatorProcess.h"
#include "OrvaneDesktop.h"
#include "StatusNotifierItemView.h"
#include "StatusNotifierWatcher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <X11/Xlib.h>

#include <cstdio>
#include <map>

using namespace orvane::testsupport;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QString procFile(qint64 processId, const QString& path)
{
    QFile file(u"/proc/%1/%2"_s.arg(processId).arg(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

qint64 statusField(const QString& status, const QString& field)
{
    for (const QString& line : status.split(u'\n')) {
        if (line.startsWith(field + u':'))
            return line.mid(field.size() + 1).trimmed().split(u' ').first().toLongLong();
    }
    return -1;
}

// VmRSS, and of it what the process's own allocations take (RssAnon) and
// what the files it maps do (RssFile: its libraries' code and data, fonts).
void printResident(qint64 processId, const char* when)
{
    const QString status = procFile(processId, u"status"_s);
    const auto mebibytes = [&status](const QString& field) { return double(statusField(status, field)) / 1024.0; };
    std::printf("resident %s: %.1f MiB (allocated %.1f MiB, mapped files %.1f MiB)\n", when, mebibytes(u"VmRSS"_s),
                mebibytes(u"RssAnon"_s), mebibytes(u"RssFile"_s) + mebibytes(u"RssShmem"_s));
}

struct ThreadSample {
    QString name;
    qint64 switches = 0;
};

// Context switches of each thread, by thread id: a thread that sleeps in
// its event loop switches once each time it wakes and sleeps again.
std::map<qint64, ThreadSample> sampleThreads(qint64 processId)
{
    std::map<qint64, ThreadSample> threads;
    for (const QString& thread : QDir(u"/proc/%1/task"_s.arg(processId)).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString status = procFile(processId, u"task/"_s + thread + u"/status"_s);
        threads[thread.toLongLong()] = {procFile(processId, u"task/"_s + thread + u"/comm"_s).trimmed(),
                                        statusField(status, u"voluntary_ctxt_switches"_s)
                                            + statusField(status, u"nonvoluntary_ctxt_switches"_s)};
    }
    return threads;
}

// How a sleeping thread waits, from the system call it is blocked in: a
// thread that waits with a time-out wakes again by itself however long the
// process idles. Empty when it waits without one.
QString timedWait(qint64 processId, qint64 threadId)
{
    const QStringList call = procFile(processId, u"task/%1/syscall"_s.arg(threadId)).split(u' ');
    if (call.size() < 5)
        return u"running"_s;
    bool valid = false;
    const auto argument = [&call, &valid](int index) { return call.at(index + 1).toULongLong(&valid, 16); };
    switch (call.first().toInt()) {
    case 7: // poll(fds, count, milliseconds)
        return qint32(argument(2)) < 0 ? QString() : u"poll, %1 ms"_s.arg(qint32(argument(2)));
    case 232: // epoll_wait(fd, events, count, milliseconds)
        return qint32(argument(3)) < 0 ? QString() : u"epoll_wait, %1 ms"_s.arg(qint32(argument(3)));
    case 271: // ppoll(fds, count, time-out, …)
        return argument(2) == 0 ? QString() : u"ppoll with a time-out"_s;
    case 202: // futex(address, operation, value, time-out, …)
        return argument(3) == 0 ? QString() : u"futex with a time-out"_s;
    default:
        return u"system call %1"_s.arg(call.first());
    }
}

// The wake-ups of the main thread and of all threads over the idle period.
// A thread that started or ended in it counts too: it ran. Then which
// threads will still wake by themselves.
void printWakeUps(qint64 processId, const char* when, std::chrono::seconds duration)
{
    const std::map<qint64, ThreadSample> before = sampleThreads(processId);
    QThread::sleep(static_cast<unsigned long>(duration.count()));
    const std::map<qint64, ThreadSample> after = sampleThreads(processId);
    qint64 mainThread = 0;
    qint64 total = 0;
    QStringList woken;
    for (const auto& [thread, sample] : after) {
        const auto earlier = before.find(thread);
        const qint64 switches = sample.switches - (earlier == before.end() ? 0 : earlier->second.switches);
        total += switches;
        if (thread == processId)
            mainThread = switches;
        if (switches > 0)
            woken.append(u"%1 %2: %3%4"_s.arg(thread).arg(sample.name).arg(switches)
                             .arg(earlier == before.end() ? u", started"_s : QString()));
    }
    for (const auto& [thread, sample] : before) {
        if (!after.contains(thread)) {
            ++total;
            woken.append(u"%1 %2: ended"_s.arg(thread).arg(sample.name));
        }
    }
    std::printf("wake-ups over %llds %s: main thread %lld, all threads %lld%s\n", qlonglong(duration.count()), when,
                qlonglong(mainThread), qlonglong(total),
                woken.isEmpty() ? "" : qPrintable(u" ("_s + woken.join(u", "_s) + u')'));
    QStringList timed;
    for (const auto& [thread, sample] : sampleThreads(processId)) {
        if (const QString wait = timedWait(processId, thread); !wait.isEmpty())
            timed.append(u"%1 %2: %3"_s.arg(thread).arg(sample.name, wait));
    }
    std::printf("  threads that will wake by themselves: %s\n",
                timed.isEmpty() ? "none" : qPrintable(timed.join(u", "_s)));
}

// What the window manager's close button does: asks the window to close.
void closeWindow(const QString& display, const char* title)
{
    Display* connection = XOpenDisplay(display.toLocal8Bit().constData());
    if (!connection)
        qFatal("cannot reach the X server %s", qPrintable(display));
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(connection, DefaultRootWindow(connection), &root, &parent, &children, &count);
    int closed = 0;
    for (unsigned int index = 0; index < count; ++index) {
        char* name = nullptr;
        XWindowAttributes attributes;
        const bool isShown = XGetWindowAttributes(connection, children[index], &attributes)
            && attributes.map_state == IsViewable;
        if (isShown && XFetchName(connection, children[index], &name) && name && qstrcmp(name, title) == 0) {
            XEvent request{};
            request.xclient.type = ClientMessage;
            request.xclient.window = children[index];
            request.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
            request.xclient.format = 32;
            request.xclient.data.l[0] = long(XInternAtom(connection, "WM_DELETE_WINDOW", False));
            request.xclient.data.l[1] = CurrentTime;
            XSendEvent(connection, children[index], False, NoEventMask, &request);
            ++closed;
        }
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    XCloseDisplay(connection);
    if (closed != 1)
        qFatal("found %d shown windows called %s", closed, title);
}

// One Orvane from start to idling after its window, with its own tray,
// emulator and profile; renderer names the variables added to its
// environment, none for Orvane's own choice.
void measure(const char* title, const QHash<QString, QString>& renderer, std::chrono::seconds idle)
{
    std::printf("\n%s\n", title);
    StatusNotifierWatcher tray;
    if (!tray.isRegistered())
        qFatal("another tray holds the session bus's watcher name");
    GoogleEmulatorProcess emulator;
    OrvaneDesktop desktop(emulator.rootUrl(), emulator.clientId());
    desktop.completeOnboarding();
    const QString file = desktop.writeFile(u"figures.csv"_s, "Region,Amount\nNorth,10\n");

    QProcessEnvironment environment = desktop.environment();
    for (auto variable = renderer.cbegin(); variable != renderer.cend(); ++variable)
        environment.insert(variable.key(), variable.value());
    // As the session starts it: in the tray, without a window.
    const auto orvane = std::make_unique<OrvaneProcess>(environment, QStringList{u"--background"_s});
    const QString item = tray.waitForItem(OrvaneProcess::defaultTimeout);
    if (item.isEmpty())
        qFatal("orvane shows no tray item:\n%s", qPrintable(orvane->output()));
    const qint64 processId = orvane->processId();
    QThread::sleep(3);
    printResident(processId, "after start, in the tray");
    printWakeUps(processId, "in the tray after start", idle);

    // One file opened, so that the home view lists it (and the sign-in ran).
    if (desktop.start({file})->waitForExit() != 0 || !orvane->waitForLine(u"Status: Uploaded and opened"_s))
        qFatal("the file was not opened:\n%s", qPrintable(orvane->output()));
    StatusNotifierItemView(item).click(StatusNotifierItemView(item).menuEntry(u"Open Orvane"_s));
    if (!orvane->waitForLine(u"Drawing window: Orvane"_s))
        qFatal("no window:\n%s", qPrintable(orvane->output()));
    QThread::sleep(3);
    const QStringList drawn = orvane->lines().filter(u"Drawing window: Orvane"_s);
    std::printf("window drawn with %s\n", qPrintable(drawn.first().section(u" with "_s, -1)));
    printResident(processId, "with the home window open");

    closeWindow(environment.value(u"DISPLAY"_s), "Orvane");
    const QDeadlineTimer tenSeconds(10s);
    if (!orvane->waitForLine(u"Released the windows"_s, 10s))
        qFatal("the windows were not released:\n%s", qPrintable(orvane->output()));
    QThread::msleep(static_cast<unsigned long>(tenSeconds.remainingTime()));
    printResident(processId, "10 s after the window closed");
    printWakeUps(processId, "in the tray after the window", idle);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // Each figure as soon as it is known, also when a later step fails.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::chrono::seconds idle(argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 120);
    if (qEnvironmentVariable("ORVANE_TEST_SERVICES_READY") != u"1"_s)
        qFatal("run it through scripts/with-test-services: Orvane keeps its sign-in in the keyring");

    measure("Drawn by the renderer Orvane chooses", {}, idle);
    measure("Drawn through OpenGL (QSG_RHI_BACKEND=opengl)", {{u"QSG_RHI_BACKEND"_s, u"opengl"_s}}, idle);
    return 0;
}
