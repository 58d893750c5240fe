#include "support/JsonDecoding.h"
#include "routing/Preferences.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

class PreferencesStoreTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QSettings settings{folder.filePath(u"Orvane.conf"_s), QSettings::IniFormat};
    PreferencesStore store{settings};

    // What a later run of the application reads from the file on disk.
    OrvanePreferences loadFromDisk()
    {
        settings.sync();
        QSettings reopened(folder.filePath(u"Orvane.conf"_s), QSettings::IniFormat);
        return PreferencesStore(reopened).load();
    }
};

} // namespace

TEST_F(PreferencesStoreTest, EmptyDefaultsLoadTheDefaults)
{
    EXPECT_EQ(store.load(), (OrvanePreferences{OpenMode::googleFormat, u"Opened from Mac"_s, false}));
    EXPECT_TRUE(settings.allKeys().isEmpty());
}

TEST_F(PreferencesStoreTest, OnlyTheExactModeTextSelectsOfficePreserved)
{
    settings.setValue(u"officeOpenMode"_s, u"officePreserved"_s);
    EXPECT_EQ(store.load().officeOpenMode, OpenMode::officePreserved);
    for (const QVariant& other : {QVariant(u"OfficePreserved"_s), QVariant(u"googleFormat"_s), QVariant(u"x"_s),
                                  QVariant(QStringList{u"officePreserved"_s})}) {
        settings.setValue(u"officeOpenMode"_s, other);
        EXPECT_EQ(store.load().officeOpenMode, OpenMode::googleFormat);
    }
}

TEST_F(PreferencesStoreTest, AnEmptyRootFolderNameIsKept)
{
    settings.setValue(u"rootFolderName"_s, QString());
    EXPECT_EQ(store.load().rootFolderName, QString());
    store.save({OpenMode::googleFormat, QString(), false});
    EXPECT_EQ(loadFromDisk().rootFolderName, QString());
    settings.setValue(u"rootFolderName"_s, QVariantList{1, 2});
    EXPECT_EQ(store.load().rootFolderName, u"Opened from Mac"_s);
}

TEST_F(PreferencesStoreTest, SaveThenLoadReturnsEveryCombination)
{
    for (OpenMode mode : allOpenModes) {
        for (const QString& name : {u"Opened from Mac"_s, u"Drive 保存先 'x'"_s, QString()}) {
            for (bool completed : {false, true}) {
                const OrvanePreferences preferences{mode, name, completed};
                store.save(preferences);
                EXPECT_EQ(store.load(), preferences);
                EXPECT_EQ(loadFromDisk(), preferences);
            }
        }
    }
    EXPECT_EQ(settings.value(u"officeOpenMode"_s).toString(), u"officePreserved"_s);
}

TEST(OrvanePreferences, JsonRequiresAllThreeKeys)
{
    const OrvanePreferences preferences{OpenMode::officePreserved, u"Root"_s, true};
    EXPECT_EQ(OrvanePreferences::fromJson(preferences.toJson()), preferences);
    QJsonObject incomplete = preferences.toJson();
    incomplete.remove(u"hasCompletedOnboarding"_s);
    EXPECT_THROW(OrvanePreferences::fromJson(incomplete), DecodingError);
}
