#include "launcher/LauncherCommandLine.h"
#include "routing/GoogleServiceEndpoints.h"
#include "support/ConfigurationError.h"
#include "support/Environment.h"
#include "instance/InstanceHandOver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace orvane;

// The `orvane` command. Most starts find Orvane running and only hand their
// files over, which needs none of the GUI libraries the application loads:
// so this small program does that, and starts the application only when no
// Orvane runs. It replaces itself with the application, which gets the
// files as absolute paths, so none reads as an option (or --background
// alone), and decides again (another start may have won meanwhile).
int main(int argc, char** argv)
{
    QByteArray application;
    QByteArrayList applicationArguments{argv[0]};
    {
        const QCoreApplication launcher(argc, argv);
        // Help and version work whatever the environment holds.
        const LauncherCommandLine commandLine = LauncherCommandLine::parse(QCoreApplication::arguments().mid(1));
        if (const std::optional<int> exitStatus = answerWithoutOpening(commandLine))
            return *exitStatus;
        // A mistyped stand-in must never turn into Google; said before a socket opens.
        try {
            GoogleServiceEndpoints::fromEnvironment(processEnvironment());
        } catch (const ConfigurationError& error) {
            std::fprintf(stderr, "orvane: %s\n", error.what());
            return GoogleServiceEndpoints::unusableServiceRootExitStatus;
        }
        InstanceHandOver handOver(InstanceAddress::of(processEnvironment()),
                                  InstanceRequest::fromArguments(commandLine.files, QDir::currentPath()));
        // A start in the background asks nothing of a running Orvane (a
        // request without files would bring its window forward): the
        // application finds it running and ends.
        const bool startsInBackground = commandLine.inBackground && commandLine.files.isEmpty();
        if (!startsInBackground) {
            if (const std::optional<int> exitStatus = handOver.exitStatusAfter(handOver.handOver()))
                return *exitStatus;
        }
        const QDir launcherFolder(QCoreApplication::applicationDirPath());
        application = QFile::encodeName(
            QDir::cleanPath(launcherFolder.filePath(QStringLiteral(ORVANE_APPLICATION_FROM_LAUNCHER))));
        if (startsInBackground)
            applicationArguments.append(QFile::encodeName(LauncherCommandLine::backgroundOption));
        for (const QUrl& file : handOver.notHandedOver().fileURLs)
            applicationArguments.append(QFile::encodeName(file.toLocalFile()));
    }
    std::vector<char*> applicationArgv;
    for (QByteArray& argument : applicationArguments)
        applicationArgv.push_back(argument.data());
    applicationArgv.push_back(nullptr);
    ::execv(application.constData(), applicationArgv.data());
    std::fprintf(stderr, "orvane: cannot start %s: %s\n", application.constData(), std::strerror(errno));
    return 127;
}
