#include "support/Environment.h"
#include "windows/ApplicationAppearance.h"
#include "windows/ViewRenderer.h"

#include <QApplication>
#include <QLocale>
#include <QPalette>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(OrvanePlugin)

// Qt 6.4's software scene graph keeps the images that Image items were given,
// and the textures made of them, past the end of the process. Only the full
// unwinder sees the Qt frames that name those caches in an allocation's stack.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0:malloc_context_size=12";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:QQuickPixmap::load\n"
           "leak:QQuickPixmap::setImage\n"
           "leak:QSGRenderContext::textureForFactory\n"
           // With accessibility on, Qt Quick Controls' attached objects of
           // the items the bridge was asked about outlive the engine.
           "leak:qmlAttachedPropertiesObject\n";
}

#ifndef ORVANE_VIEW_TEST_PLATFORM
#define ORVANE_VIEW_TEST_PLATFORM "offscreen"
#endif

namespace {

QtMessageHandler platformMessageHandler = nullptr;

// A warning about Orvane's views (a failing binding, a missing type or
// image) fails the test that caused it.
void failOnViewWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && message.contains(QLatin1String("qrc:/Orvane/"))
        && ::testing::UnitTest::GetInstance()->current_test_info())
        ADD_FAILURE() << qPrintable(message);
    platformMessageHandler(type, context, message);
}

// The colours of a dark desktop (KDE's Breeze Dark), as its platform theme
// hands them to Qt.
QPalette darkDesktopPalette()
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

} // namespace

// Tests of the windows and the tray menu: a widget application (the menu is
// a QMenu) with Orvane's look, on the offscreen platform (or the one
// ORVANE_VIEW_TEST_PLATFORM names when it is built) with the renderer
// Orvane's windows get, in English unless a test says otherwise; with a dark
// desktop's colours when ORVANE_TEST_PALETTE is "dark".
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", ORVANE_VIEW_TEST_PLATFORM);
    orvane::chooseViewRenderer(orvane::processEnvironment());
    QApplication application(argc, argv);
    orvane::applyApplicationAppearance();
    if (qEnvironmentVariable("ORVANE_TEST_PALETTE") == QLatin1String("dark"))
        QApplication::setPalette(darkDesktopPalette());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    platformMessageHandler = qInstallMessageHandler(failOnViewWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
