#include "IconContrast.h"
#include "tray/MenuBarIcon.h"
#include "windows/SymbolLibrary.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::testsupport;
using namespace Qt::StringLiterals;

namespace {

class MenuBarIconTest : public ::testing::Test {
protected:
    void writeResource(const QString& fileName, const QByteArray& content)
    {
        QFile file(folder.filePath(fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QByteArray compiledIn(const QString& fileName)
    {
        QFile file(u":/"_s + fileName);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir folder;
    ApplicationBundle bundle{{folder.path()}};
};

TEST_F(MenuBarIconTest, TheApplicationShipsItsOwnIconAsSVGAndPNG)
{
    const std::optional<QImage> image = MenuBarIcon::loadImage(ApplicationBundle({u":/"_s}));

    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(36, 36));
    EXPECT_FALSE(compiledIn(u"MenuBarIcon.png"_s).isEmpty());
}

TEST_F(MenuBarIconTest, AFileThatIsNoImageCountsAsMissingAndThePNGIsTried)
{
    writeResource(u"MenuBarIcon.svg"_s, "not an image");
    EXPECT_FALSE(MenuBarIcon::loadImage(bundle));

    writeResource(u"MenuBarIcon.png"_s, compiledIn(u"MenuBarIcon.png"_s));
    const std::optional<QImage> image = MenuBarIcon::loadImage(bundle);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(36, 36));
}

TEST_F(MenuBarIconTest, WithoutAnImageTheTrayShowsTheDocumentSymbol)
{
    const QIcon icon = MenuBarIcon::icon(bundle, Qt::black);

    EXPECT_EQ(icon.pixmap(QSize(36, 36)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
              SymbolLibrary::image(u"doc.badge.arrow.up"_s, QSize(36, 36), Qt::black));
    EXPECT_TRUE(icon.isMask());
}

TEST_F(MenuBarIconTest, TheLoadedImageIsPaintedInOneColourAsATemplate)
{
    writeResource(u"MenuBarIcon.png"_s, compiledIn(u"MenuBarIcon.png"_s));

    const QImage image = MenuBarIcon::icon(bundle, Qt::white).pixmap(QSize(36, 36)).toImage();

    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255) {
                ++covered;
                EXPECT_EQ(pixel.rgb(), QColor(Qt::white).rgb());
            }
        }
    }
    EXPECT_GT(covered, 30);
}

// GNOME's top bar is black, KDE's light panel nearly white: a template in
// one colour vanishes on one of them.
TEST_F(MenuBarIconTest, TheTrayIconStandsOutOnDarkAndLightPanelsAtEverySizeAlsoWithoutItsImage)
{
    writeResource(u"MenuBarIcon.png"_s, compiledIn(u"MenuBarIcon.png"_s));
    const ApplicationBundle withoutImage({folder.filePath(u"missing"_s)});

    for (const ApplicationBundle& source : {bundle, withoutImage}) {
        const QIcon icon = MenuBarIcon::trayIcon(source);
        ASSERT_FALSE(icon.availableSizes().isEmpty());
        for (const QSize size : icon.availableSizes()) {
            const QImage picture = icon.pixmap(size).toImage();
            EXPECT_EQ(picture.size(), size);
            EXPECT_GE(shareStandingOut(picture, Qt::black, 7.0), 0.1) << size.width();
            EXPECT_GE(shareStandingOut(picture, Qt::white, 7.0), 0.1) << size.width();
        }
    }
}

} // namespace
