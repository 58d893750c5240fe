#include "routing/Preferences.h"

#include "support/JsonDecoding.h"
#include "support/SettingsSync.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace orvane {

namespace {

const QString officeOpenModeKey = u"officeOpenMode"_s;
const QString rootFolderNameKey = u"rootFolderName"_s;
const QString hasCompletedOnboardingKey = u"hasCompletedOnboarding"_s;

} // namespace

QJsonObject OrvanePreferences::toJson() const
{
    return {
        {officeOpenModeKey, rawValue(officeOpenMode)},
        {rootFolderNameKey, rootFolderName},
        {hasCompletedOnboardingKey, hasCompletedOnboarding},
    };
}

OrvanePreferences OrvanePreferences::fromJson(const QJsonObject& object)
{
    return {
        .officeOpenMode = json::requireEnum<OpenMode>(object, "officeOpenMode"_L1, openModeFromRawValue),
        .rootFolderName = json::requireString(object, "rootFolderName"_L1),
        .hasCompletedOnboarding = json::requireBool(object, "hasCompletedOnboarding"_L1),
    };
}

OrvanePreferences PreferencesStore::load() const
{
    const OrvanePreferences defaults;
    const QVariant mode = defaults_.value(officeOpenModeKey);
    const QVariant rootFolderName = defaults_.value(rootFolderNameKey);
    const bool isText = rootFolderName.typeId() == QMetaType::QString;
    return {
        .officeOpenMode = mode.typeId() == QMetaType::QString && mode.toString() == rawValue(OpenMode::officePreserved)
            ? OpenMode::officePreserved
            : OpenMode::googleFormat,
        .rootFolderName = isText ? rootFolderName.toString() : defaults.rootFolderName,
        .hasCompletedOnboarding = defaults_.value(hasCompletedOnboardingKey, false).toBool(),
    };
}

void PreferencesStore::save(const OrvanePreferences& preferences)
{
    defaults_.setValue(officeOpenModeKey, rawValue(preferences.officeOpenMode));
    defaults_.setValue(rootFolderNameKey, preferences.rootFolderName);
    defaults_.setValue(hasCompletedOnboardingKey, preferences.hasCompletedOnboarding);
    syncSettings(defaults_);
}

} // namespace orvane
