#include "platform/AutostartEntry.h"

#include "platform/DesktopEntryId.h"
#include "state/PrivateFolders.h"
#include "support/AtomicFileWrite.h"
#include "support/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cerrno>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

QString configFolder(const Environment& environment)
{
    // The base directory rules ignore a relative XDG_CONFIG_HOME.
    const QString configured = environment.value(u"XDG_CONFIG_HOME"_s);
    if (QDir::isAbsolutePath(configured))
        return configured;
    const QString home = environment.value(u"HOME"_s);
    return (home.isEmpty() ? QDir::homePath() : home) + u"/.config"_s;
}

// Ways a desktop keeps an autostart entry and skips it: Hidden is the
// autostart rules' own, X-GNOME-Autostart-enabled what GNOME's settings write.
bool isSwitchedOff(const QByteArray& entry)
{
    bool inMainGroup = false;
    for (const QByteArray& rawLine : entry.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || equals < 0)
            continue;
        const QByteArray key = line.first(equals).trimmed();
        const QByteArray value = line.sliced(equals + 1).trimmed();
        if ((key == "Hidden" && value == "true") || (key == "X-GNOME-Autostart-enabled" && value == "false"))
            return true;
    }
    return false;
}

} // namespace

AutostartEntry::AutostartEntry(const Environment& environment)
    : path_(configFolder(environment) + u"/autostart/"_s + desktopEntryFileName)
{
}

QByteArray AutostartEntry::contents()
{
    // The command the package puts on PATH, as the installed desktop entry
    // runs it, rather than this process's own path: the entry then outlives
    // an upgrade or a move of the installation, never starts a build tree
    // left behind, and TryExec makes the session skip it once Orvane is
    // uninstalled.
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Version=1.4\n"
                             "Name=Orvane\n"
                             "Comment=Open CSV, Excel, Word and PowerPoint files in Google Sheets, Docs and Slides\n"
                             "Icon=app.orvane.Orvane\n"
                             "Exec=orvane --background\n"
                             "TryExec=orvane\n"
                             "Terminal=false\n"
                             "StartupNotify=false\n"
                             "X-GNOME-Autostart-enabled=true\n");
}

bool AutostartEntry::isEnabled() const
{
    QFile entry(path_);
    return entry.open(QIODevice::ReadOnly) && !isSwitchedOff(entry.readAll());
}

void AutostartEntry::setEnabled(bool enabled) const
{
    if (enabled) {
        createPrivateFolders(QFileInfo(path_).path());
        writeFileAtomically(path_, contents());
        return;
    }
    if (::unlink(QFile::encodeName(path_).constData()) == 0)
        return;
    const int error = errno;
    if (error != ENOENT)
        throw FileError(FileError::Kind::removeFailed, path_, FileError::systemReason(error));
}

} // namespace orvane
