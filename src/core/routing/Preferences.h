#pragma once

#include "routing/FileRouting.h"

#include <QJsonObject>
#include <QString>

class QSettings;

namespace orvane {

// The user's three settings.
struct OrvanePreferences {
    OpenMode officeOpenMode = OpenMode::googleFormat;
    QString rootFolderName = QStringLiteral("Opened from Mac");
    bool hasCompletedOnboarding = false;

    QJsonObject toJson() const;
    static OrvanePreferences fromJson(const QJsonObject& object);

    bool operator==(const OrvanePreferences&) const = default;
};

// Keeps the preferences in the user defaults. Holds no copy: every load reads
// the settings afresh; missing or malformed values fall back to the defaults.
class PreferencesStore {
public:
    explicit PreferencesStore(QSettings& defaults) : defaults_(defaults) {}

    OrvanePreferences load() const;
    // Written to disk at once. Throws FileError when the settings file could
    // not be written; the file on disk is then the one before.
    void save(const OrvanePreferences& preferences);

private:
    QSettings& defaults_;
};

} // namespace orvane
