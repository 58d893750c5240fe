#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orvane {

// Where the application finds the read-only resources it ships with: the
// installed data folder first, then the resources compiled into the program.
class ApplicationBundle {
public:
    // Folders searched in order; a Qt resource folder is written ":/".
    explicit ApplicationBundle(QStringList resourceFolders) : resourceFolders_(std::move(resourceFolders)) {}

    // The data folder of the installation the running program is part of
    // (<prefix>/share/orvane), then the compiled-in resources.
    static ApplicationBundle installed(const QString& dataFolderFromProgram);

    // <prefix>/share/orvane, found from the running program's own folder
    // (dataFolderFromProgram leads from there to it): an installation under
    // any prefix, a package's /usr or a build's /usr/local, finds its own.
    static QString installedDataFolder(const QString& dataFolderFromProgram);

    // The path of the first existing resource called name.extension, if any.
    std::optional<QString> resourcePath(const QString& name, const QString& extension) const;

private:
    QStringList resourceFolders_;
};

} // namespace orvane
