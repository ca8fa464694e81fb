// The compiled resources as the program carries them: the three dialog
// templates byte by byte, the tray menu, the icon group, the manifest and
// the version record.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

namespace {

// ---- A reader of dialog templates ------------------------------------------

struct itemRead {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::string className;  // "BUTTON", "STATIC", ... from the atom or the text
    std::string text;
};

struct templateRead {
    bool extended;
    DWORD style, exStyle;
    short x, y, cx, cy;
    std::string title;
    int pointSize = 0;
    std::string font;
    std::vector<itemRead> items;
};

class reader {
public:
    explicit reader(const BYTE *start) : at(start) {}
    WORD word() { WORD w; memcpy(&w, at, 2); at += 2; return w; }
    DWORD dword() { DWORD d; memcpy(&d, at, 4); at += 4; return d; }
    short shortValue() { return static_cast<short>(word()); }
    std::string text()
    {
        std::string s;
        for (WORD c = word(); c; c = word())
            s += static_cast<char>(c);
        return s;
    }
    // A menu, class or title field: 0 (none), 0xFFFF and an ordinal, or a text.
    std::string nameOrOrdinal()
    {
        WORD first;
        memcpy(&first, at, 2);
        if (first == 0xFFFF) {
            word();
            return "#" + std::to_string(word());
        }
        return text();
    }
    void alignDword(const BYTE *base)
    {
        while ((at - base) % 4)
            ++at;
    }
    const BYTE *at;
};

std::string classOfAtom(const std::string &name)
{
    if (name == "#128") return "BUTTON";
    if (name == "#130") return "STATIC";
    return name;
}

templateRead readTemplate(const char *name)
{
    HRSRC found = FindResourceA(NULL, name, MAKEINTRESOURCEA(5));
    EXPECT_TRUE(found) << name;
    templateRead t = {};
    if (!found)
        return t;
    const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(NULL, found)));
    reader r(base);
    WORD count;
    t.extended = r.word() == 1 && r.word() == 0xFFFF;
    if (t.extended) {
        r.dword();  // help id
        t.exStyle = r.dword();
        t.style = r.dword();
    } else {
        r = reader(base);
        t.style = r.dword();
        t.exStyle = r.dword();
    }
    count = r.word();
    t.x = r.shortValue(); t.y = r.shortValue(); t.cx = r.shortValue(); t.cy = r.shortValue();
    EXPECT_EQ("", r.nameOrOrdinal()) << "no menu";
    EXPECT_EQ("", r.nameOrOrdinal()) << "no class";
    t.title = r.text();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.word();
        if (t.extended) { r.word(); r.word(); }  // weight, italic and charset
        t.font = r.text();
    }
    for (int i = 0; i < count; ++i) {
        r.alignDword(base);
        itemRead item = {};
        if (t.extended) {
            r.dword();  // help id
            r.dword();  // extended style
            item.style = r.dword();
        } else {
            item.style = r.dword();
            r.dword();
        }
        item.x = r.shortValue(); item.y = r.shortValue(); item.cx = r.shortValue(); item.cy = r.shortValue();
        item.id = t.extended ? static_cast<int>(r.dword()) : static_cast<short>(r.word());
        item.className = classOfAtom(r.nameOrOrdinal());
        item.text = r.nameOrOrdinal();
        WORD extra = r.word();
        r.at += extra;
        t.items.push_back(item);
    }
    return t;
}

void expectItem(const itemRead &item, int id, const char *className, const std::string &text, DWORD style,
                short x, short y, short cx, short cy)
{
    SCOPED_TRACE(text);
    EXPECT_EQ(id, item.id);
    EXPECT_EQ(className, item.className);
    EXPECT_EQ(text, item.text);
    EXPECT_EQ(style, item.style);
    EXPECT_EQ(x, item.x);
    EXPECT_EQ(y, item.y);
    EXPECT_EQ(cx, item.cx);
    EXPECT_EQ(cy, item.cy);
}

// ---- Dialog templates -------------------------------------------------------

TEST(DialogTemplates, PlaylistIsAnEmptyExtendedPopupThatAcceptsFiles)
{
    templateRead t = readTemplate("Playlist");
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(0x80880000u, t.style);
    EXPECT_EQ(0x10u, t.exStyle);
    EXPECT_EQ(50, t.x); EXPECT_EQ(50, t.y); EXPECT_EQ(353, t.cx); EXPECT_EQ(258, t.cy);
    EXPECT_EQ("", t.title);
    EXPECT_TRUE(t.items.empty());
}

TEST(DialogTemplates, SettingsHasItsControlsInOrder)
{
    templateRead t = readTemplate("Settings");
    EXPECT_FALSE(t.extended);
    EXPECT_EQ(0x80880000u, t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(100, t.x); EXPECT_EQ(100, t.y); EXPECT_EQ(410, t.cx); EXPECT_EQ(250, t.cy);
    EXPECT_EQ("", t.title);
    ASSERT_EQ(18u, t.items.size());
    expectItem(t.items[0], 1, "BUTTON", "Apply changes", 0x50010001, 30, 89, 60, 13);
    expectItem(t.items[1], 39, "BUTTON", "Double size", 0x50010003, 24, 102, 70, 9);
    expectItem(t.items[2], -1, "BUTTON", "Playing", 0x50020007, 20, 45, 82, 40);
    expectItem(t.items[3], 26, "BUTTON", "Shuffle", 0x50010003, 24, 54, 32, 12);
    expectItem(t.items[4], 38, "BUTTON", "Autoplay", 0x50010003, 60, 54, 40, 12);
    expectItem(t.items[5], 30, "BUTTON", "Restart when played", 0x50010003, 24, 69, 75, 12);
    expectItem(t.items[6], -1, "BUTTON", "At Startup", 0x50020007, 115, 65, 80, 70);
    expectItem(t.items[7], 28, "BUTTON", "Launch", 0x50010003, 119, 74, 32, 12);
    expectItem(t.items[8], 27, "BUTTON", "Minimize", 0x50010003, 119, 89, 39, 12);
    expectItem(t.items[9], 29, "BUTTON", "Use current playlist", 0x50010003, 119, 105, 74, 12);
    expectItem(t.items[10], 32, "BUTTON", "This one !", 0x50010000, 125, 120, 40, 12);
    expectItem(t.items[12], 34, "COMBOBOX", "", 0x50210003, 155, 43, 40, 70);
    expectItem(t.items[13], 35, "BUTTON", "Prevent clipping", 0x50010003, 115, 55, 70, 9);
    expectItem(t.items[15], 36, "COMBOBOX", "", 0x50210003, 78, 111, 34, 90);
    expectItem(t.items[17], 37, "COMBOBOX", "", 0x50210003, 78, 124, 34, 90);
}

TEST(DialogTemplates, SearchIsInTahomaWithItsTextsGroupStartFolderLabelsAndCancel)
{
    templateRead t = readTemplate("Search");
    EXPECT_TRUE(t.extended);
    EXPECT_EQ(0x80880040u, t.style);
    EXPECT_EQ(0u, t.exStyle);
    EXPECT_EQ(50, t.x); EXPECT_EQ(50, t.y); EXPECT_EQ(250, t.cx); EXPECT_EQ(160, t.cy);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ("Tahoma", t.font);
    ASSERT_EQ(9u, t.items.size());
    expectItem(t.items[0], -1, "STATIC",
               "Please select which disks/partitions you want to scan formusic files and then clik \"Start\", or quit.",
               0x50020000, 8, 25, 130, 30);
    expectItem(t.items[1], -1, "STATIC",
               "Songs come into the list as they are found.", 0x50020000, 112, 58, 83, 16);
    expectItem(t.items[2], -1, "BUTTON", "Available partitions :", 0x50000007, 7, 50, 100, 99);
    expectItem(t.items[3], 1, "BUTTON", "Start", 0x50010000, 21, 130, 70, 15);
    expectItem(t.items[4], 4, "BUTTON", "Folder...", 0x50010000, 112, 76, 50, 12);
    for (int label = 5; label <= 7; ++label)    // path ellipsis for the folders, no prefix characters
        expectItem(t.items[label], label, "STATIC", "", label < 7 ? 0x50028080 : 0x50020080, 112,
                   static_cast<short>(40 + 10 * label), 83, static_cast<short>(label < 7 ? 9 : 17));
    expectItem(t.items[8], 3, "BUTTON", "Cancel", 0x58010000, 125, 135, 60, 14);
}

// ---- Menu, icon, manifest, version -------------------------------------------

TEST(ProgramResources, TrayMenuHasOnePopupNamedTrayMenu)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), "TrayMainMenu");
    ASSERT_TRUE(menu);
    EXPECT_EQ(1, GetMenuItemCount(menu));
    char name[50] = "";
    GetMenuStringA(menu, 0, name, sizeof(name), MF_BYPOSITION);
    EXPECT_STREQ("TrayMenu", name);
    EXPECT_TRUE(GetSubMenu(menu, 0));
    DestroyMenu(menu);
}

#pragma pack(push, 2)
struct iconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ProgramResources, IconGroupHasSixSizesInThirtyTwoBits)
{
    HRSRC found = FindResourceA(NULL, "icone", MAKEINTRESOURCEA(14));
    ASSERT_TRUE(found);
    const BYTE *group = static_cast<const BYTE *>(LockResource(LoadResource(NULL, found)));
    WORD count;
    memcpy(&count, group + 4, 2);
    ASSERT_EQ(6, count);
    std::vector<int> sides;
    for (int i = 0; i < count; ++i) {
        iconGroupEntry entry;
        memcpy(&entry, group + 6 + i * sizeof(entry), sizeof(entry));
        sides.push_back(entry.width);
        EXPECT_EQ(32, entry.bitCount);
    }
    std::sort(sides.begin(), sides.end());
    EXPECT_EQ((std::vector<int>{16, 32, 48, 64, 128, 255}), sides);
    EXPECT_TRUE(LoadIconA(GetModuleHandleA(NULL), "icone"));
}

std::string resourceText(LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(NULL, name, type);
    if (!found)
        return "";
    const char *bytes = static_cast<const char *>(LockResource(LoadResource(NULL, found)));
    return std::string(bytes, SizeofResource(NULL, found));
}

TEST(ProgramResources, ManifestAsksForCommonControlsSixAsInvokerPerMonitorAware)
{
    std::string manifest = resourceText(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_FALSE(manifest.empty());
    size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(std::string::npos, controls);
    EXPECT_NE(std::string::npos, manifest.find("version=\"6.0.0.0\"", controls));
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\""));
    EXPECT_NE(std::string::npos, manifest.find(">true/pm</dpiAware>"));
    EXPECT_NE(std::string::npos, manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"));
}

TEST(ProgramResources, VersionRecordNamesTheProgram)
{
    std::string version = resourceText(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_FALSE(version.empty());
    VS_FIXEDFILEINFO fixed;
    size_t at = version.find(std::string("\xBD\x04\xEF\xFE", 4));
    ASSERT_NE(std::string::npos, at);
    memcpy(&fixed, version.data() + at, sizeof(fixed));
    EXPECT_EQ(0x00010000u, fixed.dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed.dwFileType);
}

} // namespace
