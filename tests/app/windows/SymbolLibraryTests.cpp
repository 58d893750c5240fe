// Qt declares the size of its pixmap cache for tests only.
#define Q_TEST_QPIXMAPCACHE
#include <QPixmapCache>

#include "windows/SymbolImageProvider.h"
#include "windows/SymbolLibrary.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

// The pixels the symbol covers, and whether all of them have color.
struct Coverage {
    int covered = 0;
    bool allInColor = true;
};

Coverage coverage(const QImage& image, const QColor& color)
{
    Coverage result;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 255)
                continue;
            ++result.covered;
            result.allInColor = result.allInColor && pixel.rgb() == color.rgb();
        }
    }
    return result;
}

TEST(SymbolLibraryTest, DrawsASymbolByNameInTheRequestedColourAndSize)
{
    const QImage image = SymbolLibrary::image(u"tablecells"_s, QSize(32, 32), Qt::red);

    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(32, 32));
    const Coverage red = coverage(image, Qt::red);
    EXPECT_GT(red.covered, 50);
    EXPECT_TRUE(red.allInColor);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "transparent around the drawing";
}

TEST(SymbolLibraryTest, DifferentNamesAreDifferentDrawings)
{
    EXPECT_NE(SymbolLibrary::image(u"doc"_s, QSize(24, 24), Qt::black),
              SymbolLibrary::image(u"doc.text"_s, QSize(24, 24), Qt::black));
}

TEST(SymbolLibraryTest, UnknownNamesAndPathsGiveNothing)
{
    EXPECT_FALSE(SymbolLibrary::contains(u"no.such.symbol"_s));
    EXPECT_FALSE(SymbolLibrary::contains(u"../icons/MenuBarIcon"_s));
    EXPECT_FALSE(SymbolLibrary::contains(QString()));
    EXPECT_TRUE(SymbolLibrary::image(u"no.such.symbol"_s, QSize(24, 24), Qt::black).isNull());
    EXPECT_TRUE(SymbolLibrary::icon(u"no.such.symbol"_s, QPalette()).isNull());
}

TEST(SymbolLibraryTest, AMenuSymbolTakesItsPalettesTextColoursAndLeavesNothingInQtsPixmapCache)
{
    QPixmapCache::clear();
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::WindowText, Qt::red);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::gray);
    const QIcon icon = SymbolLibrary::icon(u"gearshape"_s, palette);

    const QImage normal = icon.pixmap(QSize(16, 16)).toImage();
    const QImage disabled = icon.pixmap(QSize(22, 22), QIcon::Disabled).toImage();

    EXPECT_EQ(normal.size(), QSize(16, 16));
    EXPECT_GT(coverage(normal, Qt::red).covered, 0);
    EXPECT_TRUE(coverage(normal, Qt::red).allInColor);
    EXPECT_EQ(disabled.size(), QSize(22, 22)) << "drawn at the size asked for, not scaled from another";
    EXPECT_GT(coverage(disabled, Qt::gray).covered, 0);
    EXPECT_TRUE(coverage(disabled, Qt::gray).allInColor);
    // Anything in that cache arms its flush timer, which wakes Orvane idling
    // in the tray half a minute later.
    EXPECT_EQ(QPixmapCache::totalUsed(), 0);
}

TEST(SymbolLibraryTest, TheViewsAskForASymbolWithItsColourInTheImageAddress)
{
    SymbolImageProvider provider;
    QSize size;

    const QImage tinted = provider.requestImage(u"globe/ff8000"_s, &size, QSize(20, 20));
    const QImage plain = provider.requestImage(u"globe"_s, &size, QSize());

    EXPECT_EQ(size, QSize(24, 24)) << "the size when the view names none";
    EXPECT_EQ(tinted.size(), QSize(20, 20));
    EXPECT_TRUE(coverage(tinted, QColor(0xff, 0x80, 0x00)).allInColor);
    EXPECT_TRUE(coverage(plain, Qt::black).allInColor);
    EXPECT_GT(coverage(plain, Qt::black).covered, 0);
}

} // namespace
