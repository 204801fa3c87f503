// Bitmaps and image files: pixel access, loading by type, and the pixel
// buffer's clipped fills.

#include "widgets/DibBitmap.h"
#include "widgets/ImageFile.h"
#include "widgets/MemDC.h"
#include "widgets/PixelBuffer.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <QImage>

namespace
{
TEST(ImageFileType, ByExtensionIgnoringCase)
{
    const struct
    {
        const char* path;
        int type;
    } cases[] = {
        {"a.bmp", 1},         {"a.GIF", 2},       {"a.jpg", 3},       {"a.jpe", 3},
        {"photo.JPEG", 3},    {"a.png", 4},       {"a.tif", 5},       {"a.TIFF", 5},
        {"a.ico", 6},         {"archive.tar", 0}, {"noextension", 0}, {"dir.png/file", 0},
        {"/x/y/pic.Png", 4},  {"a.jpeg.txt", 0},  {"", 0},            {"a.pngx", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetImageFileType(c.path), c.type) << c.path;
}

TEST(DibBitmap, PixelsAreTopDownAndAddressedByColumnPlusRowTimesWidth)
{
    CDibBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(3, 2));
    EXPECT_EQ(bitmap.GetSize(), QSize(3, 2));
    bitmap.Fill(0x00112233);
    bitmap.GetBits()[2 + 1 * 3] = 0x00ABCDEF;
    EXPECT_EQ(bitmap.GetPixel(2, 1), 0x00ABCDEFu);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00112233u);
    EXPECT_EQ(bitmap.Image().pixel(2, 1) & 0xFFFFFF, 0xABCDEFu) << "Qt sees the same pixel at the same place";
    EXPECT_EQ(bitmap.GetPixel(3, 0), 0u) << "outside the bitmap";
}

TEST(DibBitmap, ResizeRules)
{
    CDibBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(4, 4));
    EXPECT_TRUE(bitmap.Resize(8, 2, true));
    EXPECT_EQ(bitmap.GetSize(), QSize(4, 4)) << "keep leaves the bitmap as it is";
    EXPECT_TRUE(bitmap.Resize(8, 2));
    EXPECT_EQ(bitmap.GetSize(), QSize(8, 2));
    EXPECT_FALSE(bitmap.Resize(0, 5));
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(bitmap.GetSize(), QSize(0, 0));
    EXPECT_EQ(bitmap.GetBits(), nullptr);
    bitmap.Fill(1); // nothing without a bitmap
    EXPECT_FALSE(bitmap.Create(1 << 20, 1 << 20)) << "too large to hold";
    EXPECT_TRUE(bitmap.IsEmpty());
}

TEST(DibBitmap, FailedLoadKeepsThePreviousPicture)
{
    CTempFolder folder;
    CDibBitmap bitmap;
    ASSERT_TRUE(bitmap.Create(5, 5));
    bitmap.Fill(0x00777777);
    EXPECT_FALSE(bitmap.LoadFromFile(folder / "missing.png"));
    EXPECT_FALSE(bitmap.CopyFromBitmap(QImage()));
    EXPECT_EQ(bitmap.GetSize(), QSize(5, 5));
    EXPECT_EQ(bitmap.GetPixel(4, 4), 0x00777777u);
}

TEST(ImageFile, LoadsByTypeAndRefusesWhatItCannotRead)
{
    CTempFolder folder;
    QImage source(4, 3, QImage::Format_ARGB32);
    source.fill(QColor(10, 20, 30));
    source.setPixelColor(0, 0, QColor(0, 0, 0, 0)); // transparent corner
    ASSERT_TRUE(source.save(QString::fromStdString(folder / "p.png"), "PNG"));
    ASSERT_TRUE(source.save(QString::fromStdString(folder / "p.bmp"), "BMP"));
    ASSERT_TRUE(source.save(QString::fromStdString(folder / "disguised.bmp"), "PNG"));
    ASSERT_TRUE(source.save(QString::fromStdString(folder / "p.tar"), "PNG"));
    ASSERT_TRUE(source.save(QString::fromStdString(folder / "png.JPEG"), "PNG"));
    { FILE* f = fopen((folder / "broken.png").c_str(), "wb"); fputs("\x89PNG not really", f); fclose(f); }

    CDibBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromFile(folder / "p.png", CColorTriple(200, 100, 50)));
    EXPECT_EQ(bitmap.GetSize(), QSize(4, 3));
    EXPECT_EQ(bitmap.GetPixel(1, 1), 0x000A141Eu);
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0x00C86432u) << "transparent parts show the background";
    ASSERT_TRUE(bitmap.LoadFromFile(folder / "p.png"));
    EXPECT_EQ(bitmap.GetPixel(0, 0), 0u) << "no background: black";

    EXPECT_FALSE(LoadImageFileAsBitmap(folder / "p.bmp").isNull());
    EXPECT_TRUE(LoadImageFileAsBitmap(folder / "disguised.bmp").isNull()) << "a .bmp must hold a bitmap";
    EXPECT_TRUE(LoadImageFileAsBitmap(folder / "p.tar").isNull()) << "type 0 is not even read";
    EXPECT_FALSE(LoadImageFileAsBitmap(folder / "png.JPEG").isNull()) << "pictures are decoded by content";
    EXPECT_TRUE(LoadImageFileAsBitmap(folder / "broken.png").isNull());
    EXPECT_TRUE(LoadImageFileAsBitmap(folder / "missing.gif").isNull());
}

TEST(PixelBuffer, FillRectIsClippedOnEverySide)
{
    const struct
    {
        int left, top, width, height;
        int filled; // pixels of the 4 x 3 buffer set
    } cases[] = {
        {0, 0, 4, 3, 12}, {1, 1, 2, 1, 2},   {2, 1, 10, 10, 4}, {-2, -1, 3, 2, 1},
        {-100, 0, 50, 1, 0}, {4, 0, 1, 1, 0}, {0, 0, 0, 3, 0},   {1, -5, 1, 100, 3},
        {2147483000, 0, 2000, 1, 0},
    };
    for (const auto& c : cases)
    {
        CDibBitmap bitmap;
        ASSERT_TRUE(bitmap.Create(4, 3));
        bitmap.Fill(0);
        CPixelBuffer buffer;
        buffer.FromDib(bitmap);
        buffer.FillRect(7, c.left, c.top, c.width, c.height);
        int filled = 0;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
            {
                const bool inside = x >= c.left && y >= c.top && int64_t(x) < int64_t(c.left) + c.width &&
                                    int64_t(y) < int64_t(c.top) + c.height;
                EXPECT_EQ(bitmap.GetPixel(x, y), inside ? 7u : 0u) << c.left << "," << c.top << " at " << x << "," << y;
                filled += bitmap.GetPixel(x, y) == 7;
            }
        EXPECT_EQ(filled, c.filled) << c.left << "," << c.top;
    }
    CDibBitmap empty;
    CPixelBuffer buffer;
    buffer.FromDib(empty);
    EXPECT_EQ(buffer.m_width, 0);
    buffer.FillRect(7, 0, 0, 5, 5); // nothing to write into
}

TEST(MemDC, PaintsIntoItsBitmap)
{
    CMemDC dc;
    EXPECT_EQ(dc.GetBitmap().GetSize(), QSize(1, 1));
    ASSERT_TRUE(dc.CreateBitmap(10, 4));
    {
        auto painter = dc.Paint();
        ASSERT_TRUE(painter);
        EXPECT_EQ(painter->backgroundMode(), Qt::TransparentMode);
        painter->fillRect(QRect(0, 0, 10, 4), QColor(1, 2, 3));
        painter->fillRect(QRect(5, 0, 5, 4), QColor(4, 5, 6));
    }
    EXPECT_EQ(dc.GetBitmap().GetPixel(4, 3), 0x00010203u);
    EXPECT_EQ(dc.GetBitmap().GetPixel(5, 0), 0x00040506u);
}
} // namespace
