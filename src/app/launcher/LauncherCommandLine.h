#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orvane {

// What `orvane ARGUMENT…` asks for: files to open (none brings Orvane's
// window forward), the command's help or version, or nothing sensible.
struct LauncherCommandLine {
    enum class Request { openFiles, showHelp, showVersion, usageError };

    // Starts Orvane in the tray without its window, as the session does at
    // login. The launcher hands it to the application as its one argument.
    static inline const QString backgroundOption = QStringLiteral("--background");

    // The exit status of a command line that makes no sense, as for other
    // command-line tools.
    static constexpr int usageErrorStatus = 2;

    Request request = Request::openFiles;
    // The files as given, in order; relative ones are still relative.
    QStringList files;
    // --background: without files, a start that shows no window.
    bool inBackground = false;
    // The argument that made it a usage error.
    QString unknownOption;

    // The arguments without the program's name. An argument that begins with
    // "-" is an option, up to a "--" after which every argument is a file.
    // An unknown option wins over everything else, then help, then version.
    static LauncherCommandLine parse(const QStringList& arguments);

    bool operator==(const LauncherCommandLine&) const = default;
};

// Where Orvane looks for its Google OAuth client, as the help names them.
struct OAuthClientFiles {
    QString userFile;
    QString installedFile;
};

QString launcherHelpText(const OAuthClientFiles& clientFiles);
QString launcherVersionText();
// What went wrong and where to read more, for standard error.
QString launcherUsageErrorText(const LauncherCommandLine& commandLine);

// Prints what a request other than opening files asks for and returns the
// exit status; nothing for a request to open files. The help names the client
// files of this user and this installation.
std::optional<int> answerWithoutOpening(const LauncherCommandLine& commandLine);

} // namespace orvane
