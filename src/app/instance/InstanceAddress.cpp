#include "instance/InstanceAddress.h"

#include "instance/SameUser.h"
#include "routing/GoogleServiceEndpoints.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

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

    // Not the temporary folder itself: anyone can write there, and so put a
    // socket of theirs in Orvane's place before it starts.
    QString folder = environment.value(u"XDG_RUNTIME_DIR"_s);
    if (folder.isEmpty())
        folder = QDir::temp().filePath(u"orvane-%1"_s.arg(::getuid()));
    return at(QDir(folder).filePath(instance + u".socket"_s));
}

InstanceAddress InstanceAddress::at(const QString& socketPath)
{
    return {.socketPath = socketPath, .lockPath = socketPath + u".lock"_s};
}

bool InstanceAddress::hasPrivateFolder() const
{
    return isPrivateFolder(QFileInfo(socketPath).path());
}

} // namespace orvane
