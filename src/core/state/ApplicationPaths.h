#pragma once

#include <QString>
#include <QUrl>

namespace orvane {

// The one place that names Orvane's folder in the user's data directory and
// the items in it. Computing a location touches no disk.
class ApplicationPaths {
public:
    static inline const QString applicationSupportDirectoryName = QStringLiteral("Orvane");

    // The platform's per-user data folder with "Orvane" appended
    // (Linux: ~/.local/share/Orvane).
    static ApplicationPaths standard();

    explicit ApplicationPaths(QString applicationSupportDirectory)
        : applicationSupportDirectory_(std::move(applicationSupportDirectory))
    {
    }

    QUrl applicationSupportDirectory() const;
    QUrl defaultStateFileURL() const;
    QUrl defaultOAuthClientConfigURL() const;
    QUrl samplesDirectory() const;

private:
    QUrl item(const QString& name) const;

    QString applicationSupportDirectory_;
};

} // namespace orvane
