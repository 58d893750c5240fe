#pragma once

#include <QString>
#include <QVariantList>

namespace orvane {

// Every text of Orvane's that speaks of the desktop it runs on, in one place
// so that reviewers and translators see the versions side by side. The macOS
// build says what Orvane has always said there (Finder, the menu bar, the
// Keychain, Info.plist); on Linux each text names what is really there: the
// file manager, the tray or the window's menu button, the system keyring,
// the desktop entry and xdg-mime. Texts that are data, such as the Drive
// folder "Opened from Mac", are not platform texts and stay as they are.
class PlatformTexts {
public:
    enum class Desktop { macOS, linux };
    // Where the application menu is reached.
    enum class MenuPlace { menuBarIcon, trayIcon, windowMenuButton };

    static constexpr Desktop thisDesktop =
#if defined(Q_OS_MACOS)
        Desktop::macOS;
#else
        Desktop::linux;
#endif

    // On macOS the menu is always in the menu bar, whatever menuPlace says.
    explicit PlatformTexts(Desktop desktop = thisDesktop, MenuPlace menuPlace = MenuPlace::trayIcon);

    // Status messages.
    QString completeSetupBeforeOpeningFiles() const;
    QString readyToRevisitOnboarding() const;

    // The home view.
    QString homeSubtitle() const;
    QString revisitOnboardingTip() const;
    QString noRecentFilesHint() const;

    // Onboarding.
    QString welcomeTitle() const;
    QString revisitOnboardingLaterTip() const;
    QString doubleClickTitle() const;
    QString doubleClickSubtitle() const;
    QString doubleClickHelpButton() const;
    QString doubleClickHelpTitle() const;
    // The help sheet's steps, each a map with title and detail.
    QVariantList doubleClickHelpSteps() const;

    // The preferences window: where the records are kept, the user's home
    // folder written "~".
    QString localStateNote(const QString& stateFolder) const;

private:
    QString said(const QString& onMacOS, const QString& onLinux) const;
    // Linux texts that name where the menu is: in the tray, or behind the
    // main window's menu button on desktops without one.
    QString said(const QString& onMacOS, const QString& withTrayIcon, const QString& withWindowMenuButton) const;

    Desktop desktop_;
    MenuPlace menuPlace_;
};

} // namespace orvane
