#include "instance/InstanceAddress.h"

#include "routing/GoogleServiceEndpoints.h"

#include <QCryptographicHash>
#include <QDir>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace orvane {

InstanceAddress InstanceAddress::of(const Environment& environment)
{
    // An Orvane pointed at a stand-in Google (the demo, tests) is a separate
    // instance: files for the user's real Orvane must never reach it. A digest
    // keeps the socket path short whatever the root.
    QString instance = u"orvane"_s;
    if (const std::optional<QUrl> standInRoot = GoogleServiceEndpoints::fromEnvironment(environment).standInRoot()) {
        const QByteArray root = standInRoot->toString().toUtf8();
        const QByteArray digest = QCryptographicHash::hash(root, QCryptographicHash::Sha256);
        instance += u'-' + QString::fromLatin1(digest.toHex().left(16));
    }

    const QString runtimeDirectory = environment.value(u"XDG_RUNTIME_DIR"_s);
    if (!runtimeDirectory.isEmpty())
        return at(QDir(runtimeDirectory).filePath(instance + u".socket"_s));
    return at(QDir::temp().filePath(u"%1-%2.socket"_s.arg(instance).arg(::getuid())));
}

InstanceAddress InstanceAddress::at(const QString& socketPath)
{
    return {.socketPath = socketPath, .lockPath = socketPath + u".lock"_s};
}

} // namespace orvane
