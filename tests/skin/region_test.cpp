// The outline the region builder makes from small made-up bitmaps, read
// back rectangle by rectangle with GetRegionData and compared pixel by
// pixel with the runs the bitmap holds.
#include "draw.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

const DWORD BLACK = 0x000000;
const DWORD GREY = 0x4F4F4F;
const DWORD FACE = 0x20406A;

struct Picture {
    int width;
    int height;
    std::vector<DWORD> pixels;   // top row first
    Picture(int w, int h, DWORD fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}
    DWORD &at(int x, int y) { return pixels[size_t(y) * width + x]; }
};

HBITMAP deviceBitmap(const Picture &p)
{
    return CreateBitmap(p.width, p.height, 1, 32, p.pixels.data());
}

// The pixels a region covers, as a width x height mask.
std::vector<bool> coverage(HRGN region, int width, int height)
{
    std::vector<bool> mask(size_t(width) * height, false);
    DWORD bytes = GetRegionData(region, 0, NULL);
    std::vector<BYTE> raw(bytes);
    GetRegionData(region, bytes, reinterpret_cast<RGNDATA *>(raw.data()));
    const RGNDATA *data = reinterpret_cast<const RGNDATA *>(raw.data());
    const RECT *rects = reinterpret_cast<const RECT *>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; i++) {
        const RECT &r = rects[i];
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, width);
        EXPECT_LE(r.bottom, height);
        for (LONG y = r.top; y < r.bottom; y++)
            for (LONG x = r.left; x < r.right; x++)
                if (x >= 0 && y >= 0 && x < width && y < height)
                    mask[size_t(y) * width + x] = true;
    }
    return mask;
}

std::vector<RECT> rectangles(HRGN region)
{
    DWORD bytes = GetRegionData(region, 0, NULL);
    std::vector<BYTE> raw(bytes);
    GetRegionData(region, bytes, reinterpret_cast<RGNDATA *>(raw.data()));
    const RGNDATA *data = reinterpret_cast<const RGNDATA *>(raw.data());
    const RECT *rects = reinterpret_cast<const RECT *>(data->Buffer);
    return std::vector<RECT>(rects, rects + data->rdh.nCount);
}

// Builds the outline of the picture and checks that it covers exactly the
// pixels that differ from the key.
void expectOutlineMatches(const Picture &p, DWORD key, HBITMAP bitmap = NULL)
{
    bool own = bitmap == NULL;
    if (own)
        bitmap = deviceBitmap(p);
    ASSERT_NE(bitmap, nullptr);
    HRGN region = BmpToRgn(bitmap, key);
    ASSERT_NE(region, nullptr);
    std::vector<bool> mask = coverage(region, p.width, p.height);
    int wrong = 0;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            bool opaque = p.pixels[size_t(y) * p.width + x] != key;
            if (mask[size_t(y) * p.width + x] != opaque && wrong++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") should be "
                              << (opaque ? "inside" : "outside");
        }
    EXPECT_EQ(wrong, 0);
    DeleteObject(region);
    if (own)
        DeleteObject(bitmap);
}

TEST(RegionBuilder, NullBitmapGivesNoRegion)
{
    EXPECT_EQ(BmpToRgn(NULL, BLACK), nullptr);
}

TEST(RegionBuilder, OpaqueBitmapIsItsWholeRectangle)
{
    Picture p(37, 11, FACE);
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, BLACK);
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 37);
    EXPECT_EQ(box.bottom, 11);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, TransparentBitmapIsAnEmptyRegionNotNull)
{
    Picture p(20, 6, GREY);
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, GREY);
    ASSERT_NE(region, nullptr);
    RECT box;
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    EXPECT_TRUE(rectangles(region).empty());
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, GapSplitsARowIntoTwoRuns)
{
    Picture p(10, 1, FACE);
    for (int x = 3; x < 6; x++)
        p.at(x, 0) = BLACK;
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, BLACK);
    std::vector<RECT> rects = rectangles(region);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0].left, 0);
    EXPECT_EQ(rects[0].right, 3);
    EXPECT_EQ(rects[1].left, 6);
    EXPECT_EQ(rects[1].right, 10);
    for (const RECT &r : rects) {
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.bottom, 1);
    }
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, LonePixelIsAOneByOneRectangle)
{
    Picture p(9, 7, BLACK);
    p.at(4, 5) = FACE;
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, BLACK);
    std::vector<RECT> rects = rectangles(region);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].left, 4);
    EXPECT_EQ(rects[0].top, 5);
    EXPECT_EQ(rects[0].right, 5);
    EXPECT_EQ(rects[0].bottom, 6);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, RunsAtBothEdgesAndCornersOfEveryRow)
{
    Picture p(8, 4, BLACK);
    p.at(0, 0) = FACE;             // left edge
    p.at(7, 1) = FACE;             // right edge
    for (int x = 0; x < 8; x += 2)
        p.at(x, 2) = FACE;         // every other pixel
    p.at(0, 3) = FACE;
    p.at(7, 3) = FACE;
    expectOutlineMatches(p, BLACK);
}

TEST(RegionBuilder, ComparisonIsExactToTheBit)
{
    Picture p(6, 3, GREY);
    p.at(1, 0) = GREY ^ 0x000001;   // blue one off
    p.at(2, 1) = GREY ^ 0x000100;   // green one off
    p.at(3, 2) = GREY ^ 0x010000;   // red one off
    expectOutlineMatches(p, GREY);
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, GREY);
    EXPECT_EQ(rectangles(region).size(), 3u);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, TopByteTakesPartInTheComparison)
{
    Picture p(5, 2, BLACK);
    p.at(2, 0) = 0x01000000;        // black but for the top byte
    p.at(4, 1) = 0xFF000000;
    expectOutlineMatches(p, BLACK);
    // and a key with a top byte matches only pixels that carry it
    Picture q(4, 1, 0x80123456);
    q.at(1, 0) = 0x00123456;
    expectOutlineMatches(q, 0x80123456);
}

// A single row of alternating opaque and transparent pixels: `runs` lone
// pixels, enough to fill whole batches of rectangles.
Picture alternating(int runs)
{
    Picture p(2 * runs - 1, 1, BLACK);
    for (int i = 0; i < runs; i++)
        p.at(2 * i, 0) = FACE;
    return p;
}

TEST(RegionBuilder, ExactlyOneFullBatch)
{
    Picture p = alternating(2000);
    expectOutlineMatches(p, BLACK);
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, BLACK);
    EXPECT_EQ(rectangles(region).size(), 2000u);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, OneRunBeyondAFullBatchIsKept)
{
    Picture p = alternating(2001);
    expectOutlineMatches(p, BLACK);
    HBITMAP bitmap = deviceBitmap(p);
    HRGN region = BmpToRgn(bitmap, BLACK);
    std::vector<RECT> rects = rectangles(region);
    ASSERT_EQ(rects.size(), 2001u);
    EXPECT_EQ(rects.back().left, 4000);
    EXPECT_EQ(rects.back().right, 4001);
    DeleteObject(region);
    DeleteObject(bitmap);
}

TEST(RegionBuilder, ManyBatchesOverManyRows)
{
    // A checkerboard of 130 x 90: 65 runs a row, 5,850 runs, three flushes
    // and a partial last batch.
    Picture p(130, 90, BLACK);
    for (int y = 0; y < p.height; y++)
        for (int x = (y & 1); x < p.width; x += 2)
            p.at(x, y) = FACE + DWORD(x);
    expectOutlineMatches(p, BLACK);
}

TEST(RegionBuilder, OddWidthRowsKeepTheirPlace)
{
    // 7 pixels a row: the row stride is exact for 32-bit pixels, and a
    // diagonal shows any slip between rows.
    Picture p(7, 7, BLACK);
    for (int i = 0; i < 7; i++)
        p.at(i, i) = FACE;
    expectOutlineMatches(p, BLACK);
}

// A 24-bit DIB section holds three bytes a pixel; it has to be read as
// 32-bit pixels, not misread.
TEST(RegionBuilder, TwentyFourBitBitmapIsReadAsThirtyTwoBitPixels)
{
    Picture p(13, 5, GREY);
    for (int y = 0; y < 5; y++)
        for (int x = y; x < 13 - y; x++)
            p.at(x, y) = 0x203040 + DWORD(x);
    p.at(12, 4) = GREY ^ 0x000001;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = p.width;
    info.bmiHeader.biHeight = -p.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    ASSERT_NE(bitmap, nullptr);
    int stride = (p.width * 3 + 3) & ~3;
    BYTE *rows = static_cast<BYTE *>(bits);
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++) {
            DWORD c = p.at(x, y);
            BYTE *px = rows + y * stride + x * 3;
            px[0] = BYTE(c);
            px[1] = BYTE(c >> 8);
            px[2] = BYTE(c >> 16);
        }
    expectOutlineMatches(p, GREY, bitmap);
    DeleteObject(bitmap);
}

// A 16-bit device bitmap, as a 16-bit display would hold a skin: black and
// white survive the five- and six-bit channels exactly.
TEST(RegionBuilder, SixteenBitBitmapIsReadAsThirtyTwoBitPixels)
{
    const int w = 9, h = 4;
    std::vector<uint16_t> bits(w * h, 0xFFFF);
    Picture p(w, h, 0xFFFFFF);
    for (int y = 0; y < h; y++)
        for (int x = 0; x <= y; x++) {
            bits[y * w + x] = 0;
            p.at(x, y) = BLACK;
        }
    HBITMAP bitmap = CreateBitmap(w, h, 1, 16, bits.data());
    ASSERT_NE(bitmap, nullptr);
    BITMAP read = {};
    GetObjectA(bitmap, sizeof(read), &read);
    ASSERT_EQ(read.bmBitsPixel, 16);
    expectOutlineMatches(p, BLACK, bitmap);
    DeleteObject(bitmap);
}

}  // namespace
