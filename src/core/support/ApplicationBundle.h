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

    // <prefix>/share/orvane, then the compiled-in resources.
    static ApplicationBundle main();

    // The path of the first existing resource called name.extension, if any.
    std::optional<QString> resourcePath(const QString& name, const QString& extension) const;

private:
    QStringList resourceFolders_;
};

} // namespace orvane
