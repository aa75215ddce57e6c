// The committed data files: make-fonts, make-icons and make-music re-make
// them byte for byte (stale data is the fault that matters here), the font
// images have the cell layouts the loaders rely on, a real decoder
// (ImageMagick) reads every image of the .ico, and the module writer packs
// cells and samples as the format says.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "icon_images.h"
#include "support/images.h"
#include "support/temp_folder.h"
#include "xm_format.h"

namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(MOONLIT_SOURCE_DIR) / "data";

std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

TEST(ToolData, EachMakerRemakesTheCommittedFilesByteForByte) {
    struct Maker {
        std::string program, out_name;  // out_name: the file it takes, or "" for a folder
        fs::path committed;
        std::set<std::string> names;
    } makers[] = {
        {MAKE_FONTS_PROGRAM, "", kData, {"fonti.png", "kova_font.png"}},
        {MAKE_ICONS_PROGRAM, "", kData / "icons", FileNames(kData / "icons")},
        {MAKE_MUSIC_PROGRAM, "spartanic.xm", kData, {"spartanic.xm"}},
    };
    for (const Maker& maker : makers) {
        SCOPED_TRACE(maker.program);
        TempFolder out("tool-data");
        ASSERT_EQ(Shell(maker.program + " '" + (out / maker.out_name) + "' >/dev/null").status, 0);
        EXPECT_EQ(FileNames(out.Path()), maker.names);
        for (const std::string& name : maker.names)
            EXPECT_TRUE(ReadFileBytes(out / name) == ReadFileBytes(maker.committed / name))
                << name << " is stale: re-make it with `cmake --build <dir> --target fonts|icons|music`";
    }
}

TEST(ToolData, AMissingFontFaceFailsAndWritesNothing) {
    TempFolder out("tool-data");
    ShellResult r = Shell(std::string(MAKE_FONTS_PROGRAM) + " --font-dir /nonexistent-fonts '" +
                          out.Path().string() + "' 2>&1");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("/nonexistent-fonts/DejaVuSansMono-Bold.ttf"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::is_empty(out.Path()));
}

// A strip of cells, one per character from 32 on; a padded cell keeps a
// transparent pixel all round; the empty cells are the space (and DEL).
TEST(ToolData, FontImagesHaveTheCellsTheLoadersExpect) {
    struct Layout {
        const char* file;
        int width, height, cell_width, cells;
        bool padded, white;
        std::set<int> empty;
    } layouts[] = {
        {"kova_font.png", 960, 18, 10, 96, true, true, {0, 95}},
        {"fonti.png", 1456, 16, 16, 91, false, false, {0}},
    };
    for (const Layout& l : layouts) {
        SCOPED_TRACE(l.file);
        Image image = LoadImageFile(kData / l.file, 4);
        ASSERT_EQ(image.width, l.width);
        ASSERT_EQ(image.height, l.height);
        int pad = l.padded ? 1 : 0;
        for (int cell = 0; cell < l.cells; ++cell) {
            bool ink = false, border_ink = false;
            for (int y = 0; y < l.height; ++y) {
                for (int x = cell * l.cell_width; x < (cell + 1) * l.cell_width; ++x) {
                    const uint8_t* p = image.At(x, y);
                    int cx = x - cell * l.cell_width;
                    bool border = y < pad || y >= l.height - pad || cx < pad || cx >= l.cell_width - pad;
                    (border ? border_ink : ink) |= p[3] != 0;
                    // Kova's glyphs are white so the drawing colour alone
                    // tints them; the demo font's outline is what meets its edges.
                    bool edge = y == 0 || y == l.height - 1 || cx == 0 || cx == l.cell_width - 1;
                    int sum = p[0] + p[1] + p[2];
                    if (p[3] != 0 && (l.white ? sum != 3 * 255 : edge && sum >= 3 * 64)) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " of colour sum " << sum;
                    }
                }
            }
            EXPECT_EQ(ink, l.empty.count(cell) == 0) << "cell " << cell;
            EXPECT_FALSE(border_ink) << "cell " << cell;
        }
    }
}

// Every size shows the black bar at the top, the magenta letter and the
// green plasma, inside rounded corners; the .ico holds the same pixels.
TEST(ToolData, IconsShowTheShowAndTheIcoHoldsTheSamePixels) {
    std::string ico = (kData / "icons" / "moonlit-harbor.ico").string();
    std::string sizes;
    int index = 0;
    for (int size : moonlit::icons::kIconSizes) {
        SCOPED_TRACE(size);
        Image d = LoadImageFile(kData / "icons" / ("moonlit-harbor-" + std::to_string(size) + ".png"), 4);
        ASSERT_EQ(d.width, size);
        ASSERT_EQ(d.height, size);
        EXPECT_LT(d.At(0, 0)[3], 32);
        EXPECT_LT(d.At(size - 1, size - 1)[3], 32);
        const uint8_t* bar = d.At(size / 2, 0);
        EXPECT_EQ(bar[3], 255);
        EXPECT_EQ(bar[0] + bar[1] + bar[2], 0);
        int letter = 0, plasma = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = d.At(x, y);
                letter += p[0] > 100 && p[1] == 0 && p[2] > 150;
                plasma += p[1] > p[0] && p[1] > p[2] && p[1] >= 16;
            }
        EXPECT_GT(letter, size * size / 20);
        EXPECT_GT(plasma, size * size / 10);
        const int* in_ico = std::find(std::begin(moonlit::icons::kIcoSizes), std::end(moonlit::icons::kIcoSizes), size);
        if (in_ico == std::end(moonlit::icons::kIcoSizes)) continue;
        sizes += std::to_string(size) + " ";
        EXPECT_TRUE(Shell("convert '" + ico + "[" + std::to_string(index++) + "]' -depth 8 rgba:-").out ==
                    std::string(d.pixels.begin(), d.pixels.end()));
    }
    EXPECT_EQ(Shell("identify -format '%w ' '" + ico + "'").out, sizes);
}

// The writer on cells and frames small enough to check by hand.
TEST(ToolData, TheModuleWriterPacksCellsAndDeltaEncodesFrames) {
    namespace xm = moonlit::music::xm;
    xm::Pattern pattern(1, 4);
    pattern.At(0, 1).note = 49;
    pattern.At(0, 2) = {49, 1, 0x30, 0x4, 0x53};
    pattern.At(0, 3).param = 0x37;
    EXPECT_EQ(xm::PackPattern(pattern),
              (std::vector<std::uint8_t>{0x80, 0x81, 49, 49, 1, 0x30, 0x4, 0x53, 0x90, 0x37}));

    xm::Module m;
    m.name = m.tracker = "t";
    m.channels = 2;
    m.order = {0};
    m.patterns.emplace_back(1, 2);
    m.instruments.resize(2);
    m.instruments[0].sample.frames = {0, 10, 5, -128, 127};
    m.instruments[1].sample.sixteen_bit = true;
    m.instruments[1].sample.frames = {1000, -1000, 32767, -32768};
    const std::vector<std::uint8_t> bytes = xm::WriteModule(m);
    // 8-bit deltas 0, +10, -5, -133, +255 wrapped to a byte, before the second
    // instrument's 263 + 40 header bytes; 16-bit +1000, -2000, +33767, -65535
    // wrapped, little-endian, at the end.
    const std::size_t second = 263 + 40 + 8;
    ASSERT_GE(bytes.size(), second + 5);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - second - 5, bytes.end() - second),
              (std::vector<std::uint8_t>{0, 10, 0xFB, 0x7B, 0xFF}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 8, bytes.end()),
              (std::vector<std::uint8_t>{0xE8, 0x03, 0x30, 0xF8, 0xE7, 0x83, 0x01, 0x00}));
}

}  // namespace
