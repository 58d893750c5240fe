#pragma once

#include "routing/GoogleServiceEndpoints.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace orvane {

// The one place that names Orvane's folder in the user's data directory and
// the items in it. Computing a location touches no disk.
class ApplicationPaths {
public:
    static inline const QString applicationSupportDirectoryName = QStringLiteral("Orvane");

    // The platform's per-user data folder with "Orvane" appended
    // (Linux: ~/.local/share/Orvane), for an Orvane on these endpoints.
    static ApplicationPaths standard(const GoogleServiceEndpoints& endpoints);

    explicit ApplicationPaths(QString applicationSupportDirectory,
                              const GoogleServiceEndpoints& endpoints = GoogleServiceEndpoints::google())
        : applicationSupportDirectory_(std::move(applicationSupportDirectory)), standInName_(endpoints.standInName())
    {
    }

    QUrl applicationSupportDirectory() const;
    // local-state.json in the folder. An Orvane on a stand-in Google keeps its
    // own in "stand-ins/<its name>" there, so that records of pages on a
    // stand-in never mix with the user's real ones. Settings, the client
    // registration and the samples hold no records and are shared.
    QUrl defaultStateFileURL() const;
    // pending-opens.json beside local-state.json: the files taken and not
    // opened yet (see PendingOpenList).
    QUrl pendingOpensFileURL() const;
    QUrl defaultOAuthClientConfigURL() const;
    QUrl samplesDirectory() const;

private:
    QUrl item(const QString& name) const;

    QString applicationSupportDirectory_;
    std::optional<QString> standInName_;
};

} // namespace orvane
