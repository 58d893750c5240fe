#include "routing/GoogleServiceEndpoints.h"
#include "support/ConfigurationError.h"
#include "support/Environment.h"
#include "platform/InstanceRequest.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace orvane;

// The `orvane` command. Most starts find Orvane running and only hand their
// files over, which needs none of the GUI libraries the application loads:
// so this small program does that, and starts the application only when no
// Orvane takes the request. It replaces itself with the application, which
// gets the same arguments.
int main(int argc, char** argv)
{
    // A mistyped stand-in must never turn into Google; said before a socket opens.
    try {
        GoogleServiceEndpoints::fromEnvironment(processEnvironment());
    } catch (const ConfigurationError& error) {
        std::fprintf(stderr, "orvane: %s\n", error.what());
        return GoogleServiceEndpoints::unusableServiceRootExitStatus;
    }
    QByteArray application;
    {
        const QCoreApplication launcher(argc, argv);
        const InstanceRequest request =
            InstanceRequest::fromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath());
        if (SingleInstance(SingleInstance::serverName(processEnvironment())).handOver(request))
            return 0;
        const QDir launcherFolder(QCoreApplication::applicationDirPath());
        application = QFile::encodeName(
            QDir::cleanPath(launcherFolder.filePath(QStringLiteral(ORVANE_APPLICATION_FROM_LAUNCHER))));
    }
    ::execv(application.constData(), argv);
    std::fprintf(stderr, "orvane: cannot start %s: %s\n", application.constData(), std::strerror(errno));
    return 127;
}
