#include "IconContrast.h"
#include "SampleRecords.h"
#include "SmallDisk.h"
#include "ViewFixture.h"
#include "windows/SymbolLibrary.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QQuickItem>

#include <algorithm>
#include <cmath>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

// Pictures of every page at the windows' usual sizes, written to
// ORVANE_SCREENSHOT_DIR in the build tree (or the folder the variable of
// that name gives) for people to look at. With ORVANE_SCREENSHOT_BESIDE
// naming a folder of the same pictures made another way (say, by another
// renderer), each is also written beside its namesake from there, into
// "side-by-side", the other one on the right. Each also checks that no text
// on it is cut short, that nothing shown is cut off by the window's edge or
// by the edge of the area it scrolls in, and that every text and symbol on
// it is readable. CTest runs them at scale 1, on dense screens
// (QT_SCALE_FACTOR) and with a dark palette; each of those writes its
// pictures into a folder of its own.
namespace {

// Visible texts that do not fit in their place.
void collectElidedTexts(QQuickItem* item, QStringList& elided)
{
    if (!item->isVisible())
        return;
    if (item->property("truncated").toBool())
        elided.append(item->property("text").toString());
    for (QQuickItem* child : item->childItems())
        collectElidedTexts(child, elided);
}

void collectSymbols(QQuickItem* item, QList<QQuickItem*>& symbols)
{
    if (!item->isVisible())
        return;
    if (item->inherits("QQuickImageBase") && item->isEnabled() && item->property("source").toString().startsWith(u"image://symbol/"_s))
        symbols.append(item);
    for (QQuickItem* child : item->childItems())
        collectSymbols(child, symbols);
}

// How much of a symbol's drawing each pixel covers, from 0 to 1: in a
// picture, by how far its colour is from the background (the most common
// colour of its top row) towards the ink (the colour farthest from that).
QList<QList<double>> coverageShown(const QImage& picture)
{
    const QRgb background = dominantColor(picture.copy(0, 0, picture.width(), 1)).rgb();
    const auto distance = [](QRgb one, QRgb other) {
        return std::hypot(qRed(one) - qRed(other), qGreen(one) - qGreen(other), qBlue(one) - qBlue(other));
    };
    double inkDistance = 1;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            inkDistance = std::max(inkDistance, distance(picture.pixel(x, y), background));
    }
    QList<QList<double>> coverage(picture.height(), QList<double>(picture.width()));
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            coverage[y][x] = distance(picture.pixel(x, y), background) / inkDistance;
    }
    return coverage;
}

QList<QList<double>> coverageDrawn(const QImage& drawing)
{
    QList<QList<double>> coverage(drawing.height(), QList<double>(drawing.width()));
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); ++x)
            coverage[y][x] = qAlpha(drawing.pixel(x, y)) / 255.0;
    }
    return coverage;
}

// How crisp a drawing's edges are: the coverage's steps between neighbouring
// pixels, summed. Scaling a drawing up spreads each edge over more pixels in
// smaller steps; the sum falls with it.
double edgeSharpness(const QList<QList<double>>& coverage)
{
    double steps = 0;
    for (qsizetype y = 0; y + 1 < coverage.size(); ++y) {
        for (qsizetype x = 0; x + 1 < coverage[y].size(); ++x)
            steps += std::pow(coverage[y][x + 1] - coverage[y][x], 2) + std::pow(coverage[y + 1][x] - coverage[y][x], 2);
    }
    return steps;
}

class ViewScreenshotTest : public ViewTest {
protected:
    void save(QQuickWindow& window, const QString& name)
    {
        settle(window);
        const QImage picture = window.grabWindow();
        ASSERT_FALSE(picture.isNull());
        const QDir folder(qEnvironmentVariable("ORVANE_SCREENSHOT_DIR", QStringLiteral(ORVANE_SCREENSHOT_DIR))
                          + variantFolder(window));
        ASSERT_TRUE(folder.mkpath(u"."_s));
        EXPECT_TRUE(picture.save(folder.filePath(name + u".png"_s)));
        if (qEnvironmentVariableIsSet("ORVANE_SCREENSHOT_BESIDE"))
            saveBeside(picture, QDir(qEnvironmentVariable("ORVANE_SCREENSHOT_BESIDE")), folder, name);
        QStringList elided;
        collectElidedTexts(window.contentItem(), elided);
        EXPECT_EQ(elided, QStringList()) << qPrintable(name);
        EXPECT_EQ(cutOffContent(window), QStringList()) << qPrintable(name);
        EXPECT_EQ(poorlyContrastedContent(window, picture), QStringList()) << qPrintable(name);
    }

    // "", or "/scale-2", "/dark", "/scale-1.5-dark", ...
    static QString variantFolder(const QQuickWindow& window)
    {
        QStringList variant;
        if (window.effectiveDevicePixelRatio() != 1)
            variant.append(u"scale-"_s + QString::number(window.effectiveDevicePixelRatio()));
        if (QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5)
            variant.append(u"dark"_s);
        return variant.isEmpty() ? QString() : u'/' + variant.join(u'-');
    }

    static void saveBeside(const QImage& picture, const QDir& others, const QDir& folder, const QString& name)
    {
        const QImage other(others.filePath(name + u".png"_s));
        ASSERT_FALSE(other.isNull()) << qPrintable(others.filePath(name + u".png"_s));
        QImage both(picture.width() + gap + other.width(), std::max(picture.height(), other.height()),
                    QImage::Format_RGB32);
        both.fill(Qt::darkGray);
        QPainter painter(&both);
        painter.drawImage(0, 0, picture);
        painter.drawImage(picture.width() + gap, 0, other);
        painter.end();
        ASSERT_TRUE(folder.mkpath(u"side-by-side"_s));
        EXPECT_TRUE(both.save(folder.filePath(u"side-by-side/"_s + name + u".png"_s), "PNG", smallestFile));
    }

    static constexpr int gap = 8;
    static constexpr int smallestFile = 0; // the PNG writer's strongest compression

    void scrollToEnd(QQuickWindow& window, const QString& scrollView)
    {
        QQuickItem* view = item(window, scrollView);
        // A scroll view scrolls the flickable it holds; a flickable itself.
        auto* flickable = view->property("contentY").isValid() ? view : view->property("contentItem").value<QQuickItem*>();
        ASSERT_NE(flickable, nullptr);
        flickable->setProperty("contentY", flickable->property("contentHeight").toReal() - flickable->height());
    }

    QQuickWindow& showOnboarding()
    {
        setPreferences({.hasCompletedOnboarding = false});
        makeViews();
        return showMainWindow();
    }

    void showStep(QQuickWindow& window, const QString& step)
    {
        click(window, item(window, u"sidebarStep_"_s + step));
    }

    void storeRecords()
    {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const struct {
            const char* path;
            const char* extension;
            const char* folder;
            OpenMode mode;
            qint64 secondsAgo;
        } files[] = {
            {"/home/aki/Documents/Quarterly sales.xlsx", "xlsx", "Sheets", OpenMode::googleFormat, 4 * 60},
            {"/home/aki/Downloads/contacts.csv", "csv", "CSV Imports", OpenMode::googleFormat, 2 * 3600},
            {"/home/aki/Documents/Board update.pptx", "pptx", "Slides", OpenMode::officePreserved, 26 * 3600},
            {"/home/aki/Documents/提案書.docx", "docx", "Docs", OpenMode::googleFormat, 3 * 86400},
            {"/home/aki/Documents/budget-macros.xlsm", "xlsm", "Sheets", OpenMode::officePreserved, 9 * 86400},
        };
        QList<LocalFileRecord> records;
        for (const auto& file : files) {
            LocalFileRecord record = sampleRecord(QString::fromUtf8(file.path), now.addSecs(-file.secondsAgo));
            record.fileExtension = QString::fromLatin1(file.extension);
            record.destinationFolderName = QString::fromLatin1(file.folder);
            record.openMode = file.mode;
            records.append(record);
        }
        stateStore.saveRecords(records);
    }
};

// A symbol drawn for fewer pixels and scaled up to a dense screen is blurred:
// its picture must be the symbol drawn for the screen's own pixels.
TEST_F(ViewScreenshotTest, SymbolsAreDrawnForEveryPixelOfADenseScreen)
{
    makeViews();
    QQuickWindow& window = showMainWindow();
    const qreal pixelRatio = window.effectiveDevicePixelRatio();
    if (pixelRatio == 1)
        GTEST_SKIP() << "the screen has one pixel per point";
    const QImage picture = window.grabWindow();
    QList<QQuickItem*> symbols;
    collectSymbols(window.contentItem(), symbols);
    ASSERT_GE(symbols.size(), 5);

    for (QQuickItem* symbol : symbols) {
        const QString name = symbol->property("source").toString().section(u'/', 3, 3);
        const QRectF rect = symbol->mapRectToScene(QRectF(0, 0, symbol->width(), symbol->height()));
        const QRect pixels = QRectF(rect.topLeft() * pixelRatio, rect.size() * pixelRatio).toAlignedRect();
        const double shown = edgeSharpness(coverageShown(picture.copy(pixels)));
        const double sharp = edgeSharpness(coverageDrawn(SymbolLibrary::image(name, pixels.size(), Qt::black)));
        const double scaledUp = edgeSharpness(coverageDrawn(SymbolLibrary::image(name, rect.size().toSize(), Qt::black)
                                                                .scaled(pixels.size(), Qt::IgnoreAspectRatio,
                                                                        Qt::SmoothTransformation)));
        EXPECT_GT(shown, (sharp + scaledUp) / 2) << qPrintable(name) << " at " << pixels.width() << " pixels: " << shown
                                                 << ", drawn for them " << sharp << ", scaled up " << scaledUp;
    }
}

TEST_F(ViewScreenshotTest, OnboardingSteps)
{
    QQuickWindow& window = showOnboarding();
    const QStringList steps{u"welcome"_s, u"connect"_s, u"destination"_s, u"mode"_s, u"doubleClick"_s, u"testFile"_s};
    for (qsizetype index = 0; index < steps.size(); ++index) {
        showStep(window, steps[index]);
        save(window, u"onboarding-%1-%2"_s.arg(index + 1).arg(steps[index]));
    }

    showStep(window, u"doubleClick"_s);
    click(window, item(window, u"helpButton"_s));
    save(window, u"onboarding-5-doubleClick-help"_s);

    click(window, item(window, u"helpDoneButton"_s));
    window.resize(window.minimumSize());
    save(window, u"onboarding-5-doubleClick-smallest"_s);
}

TEST_F(ViewScreenshotTest, OnboardingAfterMakingOrvaneTheDefault)
{
    registerAsDefaultApplication = []() -> QCoro::Task<> { co_return; };
    QQuickWindow& window = showOnboarding();
    showStep(window, u"doubleClick"_s);
    click(window, item(window, u"makeDefaultButton"_s));
    ASSERT_TRUE(waitUntil([this] { return model->statusMessage().startsWith(u"Orvane is now"_s); }));
    save(window, u"onboarding-5-doubleClick-made-default"_s);
}

TEST_F(ViewScreenshotTest, OnboardingAfterConnectingAndOpeningTheSample)
{
    QQuickWindow& window = showOnboarding();
    connectAndWait();
    showStep(window, u"connect"_s);
    save(window, u"onboarding-2-connect-connected"_s);

    showStep(window, u"testFile"_s);
    model->openSampleCSV();
    ASSERT_TRUE(waitUntil([this] { return model->didOpenSampleFile(); }));
    save(window, u"onboarding-6-testFile-opened"_s);
}

TEST_F(ViewScreenshotTest, HomeWithRecentFilesAndAnError)
{
    storeRecords();
    makeViews();
    QQuickWindow& window = showMainWindow();
    openAndWait(writeFile(u"scan.pdf"_s, "%PDF"));
    save(window, u"home-recent-files-error"_s);

    window.resize(window.minimumSize());
    save(window, u"home-recent-files-error-smallest"_s);
}

TEST_F(ViewScreenshotTest, HomeWithoutRecentFiles)
{
    makeViews();
    connectAndWait();
    QQuickWindow& window = showMainWindow();
    save(window, u"home-empty"_s);

    window.resize(window.minimumSize());
    model->copyLastOpenedURL();
    save(window, u"home-empty-error-smallest"_s);
    scrollToEnd(window, u"homePage"_s);
    save(window, u"home-empty-error-smallest-scrolled"_s);
}

TEST_F(ViewScreenshotTest, HomeWhileUploading)
{
    makeViews();
    connectAndWait();
    // The one chunk waits at the emulator, so the banner stays while the picture is taken.
    emulator.stallNextRequests(u"/upload/drive/v3/files"_s, std::chrono::seconds(30), 1, "PUT");
    QQuickWindow& window = showMainWindow();
    model->openFiles({writeFile(u"Quarterly sales export.csv"_s, QByteArray(6 * 1024 * 1024, 'a'))});
    // What has gone into the connection's buffers before the emulator stalls counts as sent.
    ASSERT_TRUE(waitUntil([this] { return model->isUploading() && model->uploadPercent() > 0; }));
    save(window, u"home-uploading"_s);
    model->cancelUpload();
    ASSERT_TRUE(waitUntil([this] { return !model->isUploading(); }));
}

TEST_F(ViewScreenshotTest, HomeInJapanese)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    storeRecords();
    makeViews();
    save(showMainWindow(), u"home-japanese-times"_s);
    QLocale::setDefault(previous);
}

TEST_F(ViewScreenshotTest, Preferences)
{
    makeViews();
    save(showPreferencesWindow(), u"preferences"_s);

    connectAndWait();
    model->copyLastOpenedURL();
    // The long message of an autostart folder that cannot be written, too.
    SmallDisk disk(configFolder.path());
    if (disk.isMounted())
        disk.makeReadOnly();
    QQuickWindow& window = showPreferencesWindow();
    model->setStartsAtLogin(true);
    scrollToEnd(window, u"preferencesForm"_s);
    save(window, u"preferences-connected-error-scrolled"_s);
}

} // namespace
