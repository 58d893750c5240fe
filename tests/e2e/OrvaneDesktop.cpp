#include "OrvaneDesktop.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace orvane::testsupport {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

OrvaneDesktop::OrvaneDesktop(QUrl serviceRoot, QString clientId, DisplayServer displayServer)
    : serviceRoot_(std::move(serviceRoot)), clientId_(std::move(clientId))
{
    for (const QString& folder : {u"config/Orvane"_s, u"data"_s, u"runtime"_s, u"share"_s, u"files"_s})
        if (!QDir(profile_.path()).mkpath(folder))
            throw std::runtime_error("cannot make the profile's folders");
    // As the desktop makes it: the user's alone.
    QFile(profile_.filePath(u"runtime"_s))
        .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (displayServer == DisplayServer::wayland)
        compositor_ = std::make_unique<WaylandCompositor>(profile_.filePath(u"runtime"_s));
    else
        xServer_ = std::make_unique<VirtualDisplay>();
}

QProcessEnvironment OrvaneDesktop::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A desktop without a desktop environment: xdg-open hands web pages to
    // $BROWSER, and finds no other browser in an empty data folder list.
    for (const char* name :
         {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "WAYLAND_DISPLAY", "GNOME_DESKTOP_SESSION_ID", "KDE_FULL_SESSION"})
        environment.remove(QString::fromLatin1(name));
    // Drawn by the renderer Orvane chooses, as for a user who names none.
    for (const char* name : {"QT_QUICK_BACKEND", "QMLSCENE_DEVICE", "QSG_RHI_BACKEND"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"HOME"_s, profile_.path());
    environment.insert(u"XDG_CONFIG_HOME"_s, profile_.filePath(u"config"_s));
    environment.insert(u"XDG_DATA_HOME"_s, profile_.filePath(u"data"_s));
    environment.insert(u"XDG_CACHE_HOME"_s, profile_.filePath(u"cache"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, profile_.filePath(u"runtime"_s));
    environment.insert(u"XDG_DATA_DIRS"_s, profile_.filePath(u"share"_s));
    if (compositor_) {
        environment.remove(u"DISPLAY"_s);
        environment.insert(u"WAYLAND_DISPLAY"_s, WaylandCompositor::socketName());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"wayland"_s);
        // The headless compositor has no seat, which no desktop lacks, and
        // Qt 6.4's Wayland text input reads the missing seat and crashes:
        // text input as on X11 instead.
        environment.insert(u"QT_IM_MODULE"_s, u"compose"_s);
    } else {
        environment.insert(u"DISPLAY"_s, xServer_->name());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    }
    environment.insert(u"QT_LOGGING_RULES"_s, u"orvane.activity=true"_s);
    environment.insert(u"BROWSER"_s, QStringLiteral(ORVANE_RECORDING_BROWSER_PATH));
    environment.insert(u"ORVANE_TEST_BROWSER_LOG"_s, browserFolder_.filePath(u"browser.log"_s));
    environment.insert(u"ORVANE_GOOGLE_SERVICE_ROOT"_s, serviceRoot_.toString());
    environment.insert(u"ORVANE_GOOGLE_CLIENT_ID"_s, clientId_);
    // Qt and the X libraries keep allocations to the end of the process;
    // leaks are the unit tests' business.
    environment.insert(u"ASAN_OPTIONS"_s, u"detect_leaks=0"_s);
    return environment;
}

std::unique_ptr<OrvaneProcess> OrvaneDesktop::start(const QStringList& arguments) const
{
    return std::make_unique<OrvaneProcess>(environment(), arguments);
}

void OrvaneDesktop::completeOnboarding() const
{
    QFile settings(profile_.filePath(u"config/Orvane/Orvane.conf"_s));
    if (!settings.open(QIODevice::WriteOnly) || settings.write("[General]\nhasCompletedOnboarding=true\n") < 0)
        throw std::runtime_error("cannot write the settings file");
}

QString OrvaneDesktop::writeFile(const QString& name, const QByteArray& content) const
{
    const QString path = profile_.filePath(u"files/"_s + name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

QString OrvaneDesktop::stateFilePath() const
{
    const QByteArray root = serviceRoot_.toString().toUtf8();
    const QString standInName =
        QString::fromLatin1(QCryptographicHash::hash(root, QCryptographicHash::Sha256).toHex().left(16));
    return profile_.filePath(u"data/Orvane/stand-ins/%1/local-state.json"_s.arg(standInName));
}

QString OrvaneDesktop::usersStateFilePath() const
{
    return profile_.filePath(u"data/Orvane/local-state.json"_s);
}

QStringList OrvaneDesktop::browserCalls() const
{
    return QString::fromUtf8(readFile(browserFolder_.filePath(u"browser.log"_s))).split(u'\n', Qt::SkipEmptyParts);
}

QStringList OrvaneDesktop::waitForBrowserCalls(qsizetype count) const
{
    const QDeadlineTimer deadline(OrvaneProcess::defaultTimeout);
    QStringList calls = browserCalls();
    while (calls.size() < count && !deadline.hasExpired()) {
        QThread::msleep(20);
        calls = browserCalls();
    }
    return calls;
}

} // namespace orvane::testsupport
