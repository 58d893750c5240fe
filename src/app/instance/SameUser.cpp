#include "instance/SameUser.h"

#include <QFile>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

bool isPrivateFolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    // Made private from the start; one that exists already is judged below,
    // itself and not what a link in its place points to.
    ::mkdir(name.constData(), S_IRWXU);
    struct stat status {};
    return ::lstat(name.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::getuid()
        && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool peerIsSameUser(int socketDescriptor)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer
        && peer.uid == ::getuid();
}

} // namespace orvane
