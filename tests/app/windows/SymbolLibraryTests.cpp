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
    EXPECT_TRUE(SymbolLibrary::icon(u"no.such.symbol"_s, Qt::black).isNull());
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
