#include "platform/DefaultApplicationRegistrar.h"

#include "platform/DesktopEntryId.h"
#include "routing/FileRouting.h"

#include <QProcess>
#include <QStandardPaths>

#include <QCoroProcess>

#include <chrono>

using namespace std::chrono_literals;

namespace orvane {

namespace {

// xdg-mime is a shell script that may ask gio or kde tools; seconds at most.
constexpr auto registrationTimeout = 30s;

} // namespace

std::optional<QString> DefaultApplicationError::errorDescription() const
{
    return QStringLiteral("Orvane could not make itself the default application: %1").arg(detail_);
}

QStringList DefaultApplicationRegistrar::mimeTypes()
{
    QStringList types;
    for (const FileRoute& route : FileRouter::supportedRoutes())
        types.append(route.sourceMimeType);
    return types;
}

QCoro::Task<> DefaultApplicationRegistrar::registerAsDefault() const
{
    // Looked up on the environment's own PATH, as a shell would.
    const QString program = QStandardPaths::findExecutable(
        QStringLiteral("xdg-mime"), environment_.value(QStringLiteral("PATH")).split(u':', Qt::SkipEmptyParts));
    if (program.isEmpty())
        throw DefaultApplicationError(QStringLiteral("xdg-mime was not found. Install xdg-utils."));
    QProcess process;
    process.setProcessEnvironment(toProcessEnvironment(environment_));
    process.setProgram(program);
    process.setArguments(QStringList{QStringLiteral("default"), desktopEntryFileName} + mimeTypes());

    auto running = qCoro(process);
    if (!co_await running.start())
        throw DefaultApplicationError(QStringLiteral("xdg-mime could not be started: %1").arg(process.errorString()));
    if (!co_await running.waitForFinished(registrationTimeout)) {
        process.kill();
        throw DefaultApplicationError(QStringLiteral("xdg-mime did not finish."));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString message = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        throw DefaultApplicationError(message.isEmpty()
                                          ? QStringLiteral("xdg-mime failed with status %1.").arg(process.exitCode())
                                          : message);
    }
}

} // namespace orvane
