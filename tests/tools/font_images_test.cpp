// The committed font images: their layouts as the font loaders read them,
// and that make-fonts re-makes them byte for byte.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "font_images.h"

namespace {

namespace fs = std::filesystem;
const std::string kDataDir = std::string(MOONLIT_SOURCE_DIR) + "/data";

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A decoded PNG, with the channel count the file itself declares.
struct Decoded {
    int width = 0, height = 0, channels = 0;
    std::vector<std::uint8_t> rgba;

    const std::uint8_t* At(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
};

Decoded Decode(const std::string& path) {
    Decoded d;
    stbi_uc* pixels = stbi_load(path.c_str(), &d.width, &d.height, &d.channels, 4);
    if (pixels) {
        d.rgba.assign(pixels, pixels + std::size_t(d.width) * d.height * 4);
        stbi_image_free(pixels);
    }
    return d;
}

bool RectHasInk(const Decoded& d, int left, int top, int w, int h) {
    for (int y = top; y < top + h; ++y)
        for (int x = left; x < left + w; ++x)
            if (d.At(x, y)[3] != 0) return true;
    return false;
}

fs::path FreshTempDir() {
    std::random_device random;
    fs::path dir = fs::temp_directory_path() / ("moonlit-fonts-" + std::to_string(random()));
    fs::create_directories(dir);
    return dir;
}

TEST(KovaFontImage, IsA96CellPaddedStripOfWhiteGlyphs) {
    Decoded d = Decode(kDataDir + "/kova_font.png");
    ASSERT_EQ(d.width, 960);
    ASSERT_EQ(d.height, 18);
    EXPECT_EQ(d.channels, 4);
    for (int i = 0; i < 96; ++i) {
        int code = 32 + i, left = 10 * i;
        SCOPED_TRACE("code " + std::to_string(code));
        for (int x = left; x < left + 10; ++x) {
            EXPECT_EQ(d.At(x, 0)[3], 0);
            EXPECT_EQ(d.At(x, 17)[3], 0);
        }
        for (int y = 0; y < 18; ++y) {
            EXPECT_EQ(d.At(left, y)[3], 0);
            EXPECT_EQ(d.At(left + 9, y)[3], 0);
        }
        bool printable = code > 32 && code < 127;
        EXPECT_EQ(RectHasInk(d, left + 1, 1, 8, 16), printable);
    }
    // White everywhere: the drawing colour alone decides the text's colour.
    for (std::size_t i = 0; i < d.rgba.size(); i += 4) {
        if (d.rgba[i + 3] == 0) continue;
        ASSERT_EQ(d.rgba[i] + d.rgba[i + 1] + d.rgba[i + 2], 3 * 255) << "pixel " << i / 4;
    }
}

TEST(DemoFontImage, Is91UnpaddedCellsOf16By16WithOutlinedGradientGlyphs) {
    Decoded d = Decode(kDataDir + "/fonti.png");
    ASSERT_EQ(d.width, 91 * 16);
    ASSERT_EQ(d.height, 16);
    EXPECT_EQ(d.channels, 4);
    for (int i = 0; i < 91; ++i) {
        SCOPED_TRACE("code " + std::to_string(32 + i));
        EXPECT_EQ(RectHasInk(d, 16 * i, 0, 16, 16), i != 0);
        // Letters stay inside their outline: whatever touches the cell's edge is dark.
        for (int k = 0; k < 16; ++k) {
            for (const std::uint8_t* px : {d.At(16 * i + k, 0), d.At(16 * i + k, 15),
                                           d.At(16 * i, k), d.At(16 * i + 15, k)}) {
                if (px[3] != 0) {
                    EXPECT_LT(px[0] + px[1] + px[2], 3 * 64);
                }
            }
        }
    }
}

TEST(DemoFontImage, LettersRunFromCoolTopToWarmBottom) {
    Decoded d = Decode(kDataDir + "/fonti.png");
    ASSERT_EQ(d.width, 91 * 16);
    // The left stem of 'H', the fill's top and bottom opaque pixels.
    int left = 16 * ('H' - 32);
    const std::uint8_t* top = nullptr;
    const std::uint8_t* bottom = nullptr;
    for (int y = 0; y < 16; ++y) {
        for (int x = left; x < left + 16; ++x) {
            const std::uint8_t* px = d.At(x, y);
            if (px[3] == 255 && px[0] + px[1] + px[2] > 3 * 128) {
                if (!top) top = px;
                bottom = px;
            }
        }
    }
    ASSERT_TRUE(top && bottom);
    EXPECT_GT(top[2], top[0]);        // bluish silver at the top
    EXPECT_GT(bottom[0], bottom[2]);  // gold at the baseline
}

TEST(MakeFonts, RemakesTheCommittedImagesByteForByte) {
    std::vector<moonlit::fonts::FontImageFile> files;
    std::string error;
    ASSERT_TRUE(moonlit::fonts::MakeFontImages(moonlit::fonts::kDefaultFontDir, &files, &error))
        << error;
    ASSERT_EQ(files.size(), 2u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(file.png, ReadBytes(kDataDir + "/" + file.name));
        EXPECT_LT(file.png.size(), 64u * 1024u);
    }
}

TEST(MakeFonts, ProgramWritesTheSameFilesIntoTheFolderGiven) {
    fs::path out = FreshTempDir();
    std::string command = std::string(MAKE_FONTS_PROGRAM) + " '" + out.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* name : {"kova_font.png", "fonti.png"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadBytes((out / name).string()), ReadBytes(kDataDir + "/" + name));
    }
    fs::remove_all(out);
}

TEST(MakeFonts, MissingFaceFailsAndWritesNothing) {
    std::vector<moonlit::fonts::FontImageFile> files;
    std::string error;
    EXPECT_FALSE(moonlit::fonts::MakeFontImages("/nonexistent-fonts", &files, &error));
    EXPECT_NE(error.find("/nonexistent-fonts/DejaVuSansMono-Bold.ttf"), std::string::npos) << error;

    fs::path out = FreshTempDir();
    std::string command = std::string(MAKE_FONTS_PROGRAM) + " --font-dir /nonexistent-fonts '" +
                          out.string() + "' 2> /dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_TRUE(fs::is_empty(out));
    fs::remove_all(out);
}

}  // namespace
