#include "support/ApplicationBundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane {

ApplicationBundle ApplicationBundle::installed(const QString& dataFolderFromProgram)
{
    return ApplicationBundle({installedDataFolder(dataFolderFromProgram), QStringLiteral(":/")});
}

QString ApplicationBundle::installedDataFolder(const QString& dataFolderFromProgram)
{
    return QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(dataFolderFromProgram));
}

std::optional<QString> ApplicationBundle::resourcePath(const QString& name, const QString& extension) const
{
    const QString fileName = name + QLatin1Char('.') + extension;
    for (const QString& folder : resourceFolders_) {
        const QString path = QDir(folder).filePath(fileName);
        if (QFileInfo(path).isFile())
            return path;
    }
    return std::nullopt;
}

} // namespace orvane
