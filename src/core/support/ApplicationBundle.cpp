#include "support/ApplicationBundle.h"

#include <QDir>
#include <QFileInfo>

namespace orvane {

ApplicationBundle ApplicationBundle::main()
{
    return ApplicationBundle({QStringLiteral(ORVANE_INSTALLED_DATA_DIR), QStringLiteral(":/")});
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
