#pragma once

#include <QColor>
#include <QPalette>

namespace orvane::testsupport {

// The colours of a dark desktop (KDE's Breeze Dark), as its platform theme
// hands them to Qt.
inline QPalette darkDesktopPalette()
{
    QPalette palette;
    const auto set = [&palette](QPalette::ColorRole role, const char* active, const char* disabled) {
        palette.setColor(QPalette::All, role, QColor(QLatin1String(active)));
        palette.setColor(QPalette::Disabled, role, QColor(QLatin1String(disabled)));
    };
    set(QPalette::Window, "#202326", "#1f2225");
    set(QPalette::WindowText, "#fcfcfc", "#6e7173");
    set(QPalette::Base, "#141618", "#141618");
    set(QPalette::AlternateBase, "#1d1f22", "#1d1f22");
    set(QPalette::Text, "#fcfcfc", "#656768");
    set(QPalette::PlaceholderText, "#a1a9b1", "#656768");
    set(QPalette::Button, "#292c30", "#272a2e");
    set(QPalette::ButtonText, "#fcfcfc", "#727679");
    set(QPalette::Highlight, "#3daee9", "#30353a");
    set(QPalette::HighlightedText, "#fcfcfc", "#727679");
    set(QPalette::Light, "#3c4046", "#3a3e43");
    set(QPalette::Midlight, "#33373c", "#313539");
    set(QPalette::Mid, "#1d1f22", "#1c1e21");
    set(QPalette::Dark, "#0f1012", "#0e1011");
    set(QPalette::Shadow, "#080909", "#080909");
    set(QPalette::ToolTipBase, "#292c30", "#292c30");
    set(QPalette::ToolTipText, "#fcfcfc", "#fcfcfc");
    set(QPalette::Link, "#1d99f3", "#1d99f3");
    return palette;
}

} // namespace orvane::testsupport
