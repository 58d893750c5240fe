#include "launcher/LauncherCommandLine.h"

#include "routing/FileRouting.h"
#include "state/ApplicationPaths.h"
#include "support/ApplicationBundle.h"

#include <QDir>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

// The file types come from the routing table, so the help lists exactly
// what Orvane opens.
QString supportedExtensions()
{
    QStringList extensions;
    for (const FileRoute& route : FileRouter::supportedRoutes())
        extensions.append(u'.' + route.fileExtension);
    return extensions.join(u' ');
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The files this user and this installation would be read from: the
// installation's is found from where this command is installed. Every
// service root shares the user's client file.
OAuthClientFiles installedClientFiles()
{
    const QDir dataFolder(ApplicationBundle::installedDataFolder(QStringLiteral(ORVANE_DATA_FOLDER_FROM_LAUNCHER)));
    const ApplicationPaths userPaths = ApplicationPaths::standard(GoogleServiceEndpoints::google());
    return {
        .userFile = userPaths.defaultOAuthClientConfigURL().toLocalFile(),
        .installedFile = dataFolder.filePath(u"GoogleOAuth.json"_s),
    };
}

} // namespace

LauncherCommandLine LauncherCommandLine::parse(const QStringList& arguments)
{
    LauncherCommandLine commandLine;
    bool helpAsked = false;
    bool versionAsked = false;
    bool onlyFilesFollow = false;
    for (const QString& argument : arguments) {
        // A lone "-" is a file name, as for other tools that take files.
        if (onlyFilesFollow || !argument.startsWith(u'-') || argument == u"-"_s)
            commandLine.files.append(argument);
        else if (argument == u"--"_s)
            onlyFilesFollow = true;
        else if (argument == u"-h"_s || argument == u"--help"_s)
            helpAsked = true;
        else if (argument == u"--version"_s)
            versionAsked = true;
        else if (argument == backgroundOption)
            commandLine.inBackground = true;
        else if (commandLine.unknownOption.isEmpty())
            commandLine.unknownOption = argument;
    }
    if (!commandLine.unknownOption.isEmpty())
        commandLine.request = Request::usageError;
    else if (helpAsked)
        commandLine.request = Request::showHelp;
    else if (versionAsked)
        commandLine.request = Request::showVersion;
    if (commandLine.request != Request::openFiles)
        commandLine = {.request = commandLine.request, .unknownOption = commandLine.unknownOption};
    return commandLine;
}

QString launcherHelpText(const OAuthClientFiles& clientFiles)
{
    return uR"(Usage: orvane [FILE]...
Open CSV, TSV, Excel, Word and PowerPoint files in Google Sheets, Docs and
Slides.

Orvane uploads each FILE to your Google Drive, files it in a folder of its own
there ("Opened from Mac" unless you name another in Orvane's preferences) and
opens it in your web browser. CSV and TSV files become Google Sheets; Excel,
Word and PowerPoint files are converted to Google's formats or kept as Office
files, as you choose in the preferences. A file you opened before and have not
changed since is not uploaded again: its Google file opens.

If Orvane is already running, it takes the files over. Without a FILE, Orvane
shows its window; on the first start, it walks you through connecting Google.
With --background and no FILE, Orvane starts in the tray without its window
(as it does at login when "Start Orvane when you log in" is on in its
preferences), or leaves a running Orvane as it is. Where the desktop has no
tray, or setup is not finished, the window shows all the same.

File types: %1

Options:
      --background  without a FILE, start in the tray without a window
  -h, --help        show this help and exit
      --version     show the version and exit
  --                take every later argument as a FILE, even one beginning
                    with "-"

Connecting to Google:
  Orvane signs in with an OAuth client of type "Desktop app" that you create
  in the Google Cloud console, asks only for access to the files it creates,
  and keeps the sign-in in your keyring (the desktop's Secret Service).
  Give it the client in the environment:
    ORVANE_GOOGLE_CLIENT_ID      the client ID (*.apps.googleusercontent.com)
    ORVANE_GOOGLE_CLIENT_SECRET  the client secret
  or, so that starts from the file manager find it too, in the file
    %2
  written as
    {"clientID": "...", "clientSecret": "...",
     "scopes": ["https://www.googleapis.com/auth/drive.file"]}
  With neither, Orvane uses the client this installation ships, if any:
    %3

Testing:
  ORVANE_GOOGLE_SERVICE_ROOT     send every request meant for Google to this
                                 address instead: a local stand-in such as
                                 http://127.0.0.1:8765
)"_s.arg(supportedExtensions(), clientFiles.userFile, clientFiles.installedFile);
}

QString launcherVersionText()
{
    return u"orvane " ORVANE_VERSION u"\n"_s;
}

QString launcherUsageErrorText(const LauncherCommandLine& commandLine)
{
    return u"orvane: unknown option '%1'\nTry 'orvane --help' for more information.\n"_s.arg(
        commandLine.unknownOption);
}

std::optional<int> answerWithoutOpening(const LauncherCommandLine& commandLine)
{
    switch (commandLine.request) {
    case LauncherCommandLine::Request::openFiles:
        return std::nullopt;
    case LauncherCommandLine::Request::showHelp:
        print(stdout, launcherHelpText(installedClientFiles()));
        return 0;
    case LauncherCommandLine::Request::showVersion:
        print(stdout, launcherVersionText());
        return 0;
    case LauncherCommandLine::Request::usageError:
        print(stderr, launcherUsageErrorText(commandLine));
        return LauncherCommandLine::usageErrorStatus;
    }
    return std::nullopt;
}

} // namespace orvane
