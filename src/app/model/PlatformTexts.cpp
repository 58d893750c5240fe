#include "model/PlatformTexts.h"

#include <QDir>
#include <QVariantMap>

using namespace Qt::StringLiterals;

namespace orvane {

PlatformTexts::PlatformTexts(Desktop desktop, MenuPlace menuPlace)
    : desktop_(desktop), menuPlace_(desktop == Desktop::macOS ? MenuPlace::menuBarIcon : menuPlace)
{
}

QString PlatformTexts::said(const QString& onMacOS, const QString& onLinux) const
{
    return desktop_ == Desktop::macOS ? onMacOS : onLinux;
}

QString PlatformTexts::said(const QString& onMacOS, const QString& withTrayIcon,
                            const QString& withWindowMenuButton) const
{
    switch (menuPlace_) {
    case MenuPlace::menuBarIcon:
        return onMacOS;
    case MenuPlace::trayIcon:
        return withTrayIcon;
    case MenuPlace::windowMenuButton:
        return withWindowMenuButton;
    }
    return onMacOS;
}

QString PlatformTexts::completeSetupBeforeOpeningFiles() const
{
    return said(u"Complete setup before opening files from Finder."_s,
                u"Complete setup before opening files from the file manager."_s);
}

QString PlatformTexts::readyToRevisitOnboarding() const
{
    return said(u"Orvane is ready. You can revisit onboarding from the menu bar."_s,
                u"Orvane is ready. You can revisit onboarding from the tray icon."_s,
                u"Orvane is ready. You can revisit onboarding from the Menu button."_s);
}

QString PlatformTexts::homeSubtitle() const
{
    return said(u"Finder で CSV / Office ファイルを開くと、Google Workspace にアップロードしてブラウザで開きます。"
                u"元のローカルファイルは変更しません。"_s,
                u"ファイルマネージャで CSV / Office ファイルを開くと、Google Workspace にアップロードしてブラウザで開きます。"
                u"元のローカルファイルは変更しません。"_s);
}

QString PlatformTexts::revisitOnboardingTip() const
{
    return said(u"メニューバーの Orvane アイコンから「Onboarding」を選ぶと、Google 接続、保存先、ダブルクリック設定の手順を"
                u"再確認できます。"_s,
                u"システムトレイの Orvane アイコンから「Onboarding」を選ぶと、Google 接続、保存先、ダブルクリック設定の手順を"
                u"再確認できます。"_s,
                u"ウィンドウの「Menu」ボタンから「Onboarding」を選ぶと、Google 接続、保存先、ダブルクリック設定の手順を"
                u"再確認できます。"_s);
}

QString PlatformTexts::noRecentFilesHint() const
{
    return said(u"Open a supported CSV, Excel, Word, or PowerPoint file from Finder."_s,
                u"Open a supported CSV, Excel, Word, or PowerPoint file from the file manager."_s);
}

QString PlatformTexts::welcomeTitle() const
{
    return said(u"Finder から Google Workspace へ"_s, u"ファイルマネージャから Google Workspace へ"_s);
}

QString PlatformTexts::revisitOnboardingLaterTip() const
{
    return said(u"オンボーディング完了後も、メニューバーの Orvane アイコンから「Onboarding」を選ぶとこの手順を再表示できます。"_s,
                u"オンボーディング完了後も、システムトレイの Orvane アイコンから「Onboarding」を選ぶとこの手順を再表示できます。"_s,
                u"オンボーディング完了後も、ウィンドウの「Menu」ボタンから「Onboarding」を選ぶとこの手順を再表示できます。"_s);
}

QString PlatformTexts::doubleClickTitle() const
{
    return said(u"Finder のダブルクリック設定"_s, u"ファイルマネージャのダブルクリック設定"_s);
}

QString PlatformTexts::doubleClickSubtitle() const
{
    return said(u"アプリの Info.plist は対応拡張子を登録します。既定アプリにするには Finder の「情報を見る」から Open With を "
                u"Orvane に変更してください。"_s,
                u"アプリのデスクトップエントリは対応形式を登録します。既定アプリにするにはファイルマネージャの「Open With」で "
                u"Orvane を選び、既定に設定してください。"_s);
}

QString PlatformTexts::doubleClickHelpButton() const
{
    return said(u"Finder での手動設定手順を表示"_s, u"既定アプリの手動設定手順を表示"_s);
}

QString PlatformTexts::doubleClickHelpTitle() const
{
    return said(u"Finder で既定アプリにする"_s, u"ファイルの既定アプリにする"_s);
}

QVariantList PlatformTexts::doubleClickHelpSteps() const
{
    const auto step = [](const QString& title, const QString& detail) {
        return QVariantMap{{u"title"_s, title}, {u"detail"_s, detail}};
    };
    const QVariantMap check = step(u"4. ダブルクリックで確認する"_s,
                                   u"アプリが Google Drive にアップロードし、既定ブラウザで Google Workspace を開きます。"_s);
    if (desktop_ == Desktop::macOS) {
        return {
            step(u"1. Finder で対象ファイルを選ぶ"_s, u"CSV、Excel、Word、PowerPoint のいずれかを選択します。"_s),
            step(u"2. 「情報を見る」を開く"_s, u"Command-I、または右クリックメニューから開きます。"_s),
            step(u"3. Open With を変更する"_s, u"Orvane を選び、「Change All...」で同じ種類のファイルにも適用します。"_s),
            check,
        };
    }
    return {
        step(u"1. ファイルマネージャで対象ファイルを選ぶ"_s, u"CSV、Excel、Word、PowerPoint のいずれかを選択します。"_s),
        step(u"2. 「Open With」を開く"_s,
             u"右クリックメニューから開きます（GNOME Files では「Open With Other Application」）。"_s),
        step(u"3. Orvane を既定にする"_s,
             u"Orvane を選び、同じ種類のファイルに常に使う設定をオンにします。端末では "
             u"xdg-mime default app.orvane.Orvane.desktop text/csv のようにも設定できます。"_s),
        check,
    };
}

QString PlatformTexts::localStateNote(const QString& stateFolder) const
{
    const QString home = QDir::homePath() + u'/';
    const QString shownFolder = stateFolder.startsWith(home) ? u"~/"_s + stateFolder.mid(home.size()) : stateFolder;
    return said(u"Recent mappings are stored in Application Support. Tokens are stored in macOS Keychain, not in local "
                u"JSON files."_s,
                u"Recent mappings are stored in %1. Tokens are stored in the system keyring, not in local JSON files."_s
                    .arg(shownFolder));
}

} // namespace orvane
