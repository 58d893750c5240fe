// A stand-in for the orvane executable in single-instance tests: it starts
// the desktop platform exactly as the application does and prints every
// open-URLs notification, one line each: "open<TAB>path<TAB>path…" or
// "reopen". A primary prints "listening" once it serves later processes.

#include "AppDelegate.h"
#include "DesktopPlatform.h"
#include "OpenURLsNotification.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace orvane;

namespace {

void printLine(const QString& line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QObject::connect(&OpenURLsNotification::shared(), &OpenURLsNotification::posted, [](const QList<QUrl>& urls) {
        QStringList words{urls.isEmpty() ? QStringLiteral("reopen") : QStringLiteral("open")};
        for (const QUrl& url : urls)
            words.append(url.toLocalFile());
        printLine(words.join(QLatin1Char('\t')));
    });

    AppDelegate delegate;
    DesktopPlatform platform(delegate, SingleInstance::serverName(processEnvironment()));
    const InstanceRequest request = InstanceRequest::fromArguments(application.arguments().mid(1), QDir::currentPath());
    if (platform.start(request) == SingleInstance::Role::handedOver)
        return 0;
    printLine(QStringLiteral("listening"));
    return application.exec();
}
