// The shipped skins: each outline covers every hit area and control place
// of its window, the transparent colour never appears inside the face, and
// each picture is large enough for its window.
#include "draw.h"
#include "frame.h"
#include "sample_windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct place {
    const char *what;
    int left, right, top, bottom;   // both ends included
};

struct shippedSkin {
    const skinnedWindow *table;
    std::vector<place> places;
};

const std::vector<shippedSkin> &shippedSkins()
{
    static const std::vector<shippedSkin> skins = {
        {&mainWindow, {{"close", 560, 579, 19, 27}, {"playlist", 565, 590, 33, 60},
                       {"settings", 565, 590, 61, 94}, {"open", 473, 504, 53, 71},
                       {"stop", 467, 512, 76, 111}, {"previous", 420, 462, 42, 81},
                       {"next", 516, 556, 44, 80}, {"play/pause", 460, 510, 10, 47},
                       {"minimise", 561, 582, 98, 107}, {"title label", 35, 378, 40, 77},
                       {"status label", 35, 373, 75, 91}, {"position bar", 22, 431, 4, 38}}},
        {&playlistWindow, {{"hide", 324, 344, 9, 16}, {"open", 12, 116, 241, 253},
                           {"save", 123, 228, 241, 253}, {"clear", 233, 339, 241, 253},
                           {"search", 39, 88, 261, 273}, {"list", 19, 333, 21, 243}}},
        {&settingsWindow, {{"close", 322, 339, 69, 83}, {"Playing group", 45, 229, 91, 171},
                           {"At Startup group", 259, 439, 131, 271}}},
        {&searchWindow, {{"close", 211, 228, 40, 54}, {"first text", 13, 242, 42, 90},
                         {"drive group", 12, 187, 82, 242}, {"drive boxes", 21, 60, 101, 233}}},
    };
    return skins;
}

class ShippedSkin : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override
    {
        enterSkinFolder();
        skin = &shippedSkins()[GetParam()];
        bitmap = loadSkin(*skin->table);
        ASSERT_NE(bitmap, nullptr) << skin->table->skinFile;
        region = BmpToRgn(bitmap, skin->table->transparent);
        ASSERT_NE(region, nullptr);
    }
    void TearDown() override
    {
        if (region)
            DeleteObject(region);
        if (bitmap)
            DeleteObject(bitmap);
    }
    // The picture as the region builder sees it.
    std::vector<DWORD> pixels(int &width, int &height)
    {
        BITMAP info = {};
        GetObjectA(bitmap, sizeof(info), &info);
        width = info.bmWidth;
        height = info.bmHeight;
        std::vector<DWORD> out(size_t(width) * height);
        BITMAPINFO request = {};
        request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        request.bmiHeader.biWidth = width;
        request.bmiHeader.biHeight = -height;
        request.bmiHeader.biPlanes = 1;
        request.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(NULL);
        GetDIBits(screen, bitmap, 0, height, out.data(), &request, DIB_RGB_COLORS);
        ReleaseDC(NULL, screen);
        for (DWORD &p : out)
            p &= 0xFFFFFF;
        return out;
    }
    const shippedSkin *skin = nullptr;
    HBITMAP bitmap = NULL;
    HRGN region = NULL;
};

TEST_P(ShippedSkin, OutlineCoversEveryHitAreaAndControl)
{
    for (const place &p : skin->places) {
        int outside = 0;
        for (int y = p.top; y <= p.bottom; y++)
            for (int x = p.left; x <= p.right; x++)
                if (!PtInRegion(region, x, y))
                    outside++;
        EXPECT_EQ(outside, 0) << skin->table->skinFile << ": " << p.what << " has " << outside
                              << " pixels outside the outline";
    }
}

TEST_P(ShippedSkin, PictureFitsTheWindowAndIsShaped)
{
    int width = 0, height = 0;
    pixels(width, height);
    EXPECT_GE(width, skin->table->width);
    EXPECT_GE(height, skin->table->height);
    // A shaped outline: the corners are cut away.
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, skin->table->width - 1, skin->table->height - 1));
}

// Every pixel of the key colour belongs to the outside: flooding the key
// colour from the picture's border reaches all of them, so the face has no
// holes left by anti-aliasing.
TEST_P(ShippedSkin, KeyColourNeverAppearsInsideTheFace)
{
    int width = 0, height = 0;
    std::vector<DWORD> px = pixels(width, height);
    DWORD key = skin->table->transparent;
    std::vector<char> reached(px.size(), 0);
    std::vector<int> todo;
    auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        size_t i = size_t(y) * width + x;
        if (!reached[i] && px[i] == key) {
            reached[i] = 1;
            todo.push_back(int(i));
        }
    };
    for (int x = 0; x < width; x++) {
        visit(x, 0);
        visit(x, height - 1);
    }
    for (int y = 0; y < height; y++) {
        visit(0, y);
        visit(width - 1, y);
    }
    while (!todo.empty()) {
        int i = todo.back();
        todo.pop_back();
        int x = i % width, y = i / width;
        visit(x + 1, y);
        visit(x - 1, y);
        visit(x, y + 1);
        visit(x, y - 1);
    }
    int holes = 0;
    for (size_t i = 0; i < px.size(); i++)
        if (px[i] == key && !reached[i])
            holes++;
    EXPECT_EQ(holes, 0) << skin->table->skinFile;
}

INSTANTIATE_TEST_SUITE_P(AllFour, ShippedSkin, ::testing::Values(0u, 1u, 2u, 3u));

}  // namespace
