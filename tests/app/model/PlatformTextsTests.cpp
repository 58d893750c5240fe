#include "model/PlatformTexts.h"

#include <QDir>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

using Desktop = PlatformTexts::Desktop;
using MenuPlace = PlatformTexts::MenuPlace;

QStringList everyText(const PlatformTexts& texts)
{
    QStringList all{
        texts.completeSetupBeforeOpeningFiles(),
        texts.readyToRevisitOnboarding(),
        texts.homeSubtitle(),
        texts.revisitOnboardingTip(),
        texts.noRecentFilesHint(),
        texts.welcomeTitle(),
        texts.revisitOnboardingLaterTip(),
        texts.doubleClickTitle(),
        texts.doubleClickSubtitle(),
        texts.doubleClickHelpButton(),
        texts.doubleClickHelpTitle(),
        texts.localStateNote(u"/srv/aki/Orvane"_s),
    };
    for (const QVariant& step : texts.doubleClickHelpSteps())
        all << step.toMap().value(u"title"_s).toString() << step.toMap().value(u"detail"_s).toString();
    return all;
}

TEST(PlatformTextsTest, TheMacOSBuildSaysWhatOrvaneHasAlwaysSaidThereWhereverTheMenuIs)
{
    const PlatformTexts macOS(Desktop::macOS, MenuPlace::windowMenuButton);

    EXPECT_EQ(everyText(macOS),
              (QStringList{
                  u"Complete setup before opening files from Finder."_s,
                  u"Orvane is ready. You can revisit onboarding from the menu bar."_s,
                  u"Finder で CSV / Office ファイルを開くと、Google Workspace にアップロードしてブラウザで開きます。元のローカルファイルは変更しません。"_s,
                  u"メニューバーの Orvane アイコンから「Onboarding」を選ぶと、Google 接続、保存先、ダブルクリック設定の手順を再確認できます。"_s,
                  u"Open a supported CSV, Excel, Word, or PowerPoint file from Finder."_s,
                  u"Finder から Google Workspace へ"_s,
                  u"オンボーディング完了後も、メニューバーの Orvane アイコンから「Onboarding」を選ぶとこの手順を再表示できます。"_s,
                  u"Finder のダブルクリック設定"_s,
                  u"アプリの Info.plist は対応拡張子を登録します。既定アプリにするには Finder の「情報を見る」から Open With を Orvane に変更してください。"_s,
                  u"Finder での手動設定手順を表示"_s,
                  u"Finder で既定アプリにする"_s,
                  u"Recent mappings are stored in Application Support. Tokens are stored in macOS Keychain, not in local JSON files."_s,
                  u"1. Finder で対象ファイルを選ぶ"_s,
                  u"CSV、Excel、Word、PowerPoint のいずれかを選択します。"_s,
                  u"2. 「情報を見る」を開く"_s,
                  u"Command-I、または右クリックメニューから開きます。"_s,
                  u"3. Open With を変更する"_s,
                  u"Orvane を選び、「Change All...」で同じ種類のファイルにも適用します。"_s,
                  u"4. ダブルクリックで確認する"_s,
                  u"アプリが Google Drive にアップロードし、既定ブラウザで Google Workspace を開きます。"_s,
              }));
}

TEST(PlatformTextsTest, OnLinuxNoTextNamesAPartOfMacOS)
{
    for (const MenuPlace place : {MenuPlace::trayIcon, MenuPlace::windowMenuButton}) {
        for (const QString& text : everyText(PlatformTexts(Desktop::linux, place))) {
            for (const QString& macOSOnly : {u"Finder"_s, u"macOS"_s, u"Keychain"_s, u"Application Support"_s,
                                             u"Info.plist"_s, u"Command-"_s, u"menu bar"_s, u"メニューバー"_s,
                                             u"情報を見る"_s, u"Change All"_s}) {
                EXPECT_FALSE(text.contains(macOSOnly)) << qPrintable(text);
            }
        }
    }
}

TEST(PlatformTextsTest, OnLinuxTheTextsNameTheFileManagerTheKeyringAndWhereTheMenuIs)
{
    const PlatformTexts withTray(Desktop::linux, MenuPlace::trayIcon);
    const PlatformTexts withoutTray(Desktop::linux, MenuPlace::windowMenuButton);

    EXPECT_EQ(withTray.completeSetupBeforeOpeningFiles(), u"Complete setup before opening files from the file manager."_s);
    EXPECT_EQ(withTray.localStateNote(QDir::homePath() + u"/.local/share/Orvane"_s),
              u"Recent mappings are stored in ~/.local/share/Orvane. Tokens are stored in the system keyring, not in local JSON files."_s);
    EXPECT_EQ(withTray.localStateNote(u"/srv/aki/data/Orvane/stand-ins/127.0.0.1-8765"_s),
              u"Recent mappings are stored in /srv/aki/data/Orvane/stand-ins/127.0.0.1-8765. Tokens are stored in the "
              u"system keyring, not in local JSON files."_s);
    EXPECT_EQ(withTray.localStateNote(QDir::homePath() + u"x/Orvane"_s).count(u'~'), 0)
        << "only the home folder itself is written ~";
    EXPECT_EQ(withTray.readyToRevisitOnboarding(), u"Orvane is ready. You can revisit onboarding from the tray icon."_s);
    EXPECT_EQ(withoutTray.readyToRevisitOnboarding(), u"Orvane is ready. You can revisit onboarding from the Menu button."_s);
    EXPECT_TRUE(withTray.revisitOnboardingTip().startsWith(u"システムトレイの Orvane アイコンから「Onboarding」を選ぶと"_s));
    EXPECT_TRUE(withoutTray.revisitOnboardingLaterTip().contains(u"ウィンドウの「Menu」ボタンから「Onboarding」を選ぶと"_s));
    EXPECT_TRUE(everyText(withTray).join(u'\n').contains(u"xdg-mime default app.orvane.Orvane.desktop"_s));
}

} // namespace
