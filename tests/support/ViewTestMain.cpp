#include "DarkDesktopPalette.h"
#include "support/Environment.h"
#include "windows/ApplicationAppearance.h"
#include "windows/ViewRenderer.h"

#include <QApplication>
#include <QLocale>
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
        QApplication::setPalette(orvane::testsupport::darkDesktopPalette());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    platformMessageHandler = qInstallMessageHandler(failOnViewWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
