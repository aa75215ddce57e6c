// The committed icons: make-icons re-makes them byte for byte, each PNG
// shows the icon's parts at its size, and a real decoder (ImageMagick) reads
// every image of the .ico back as the same pixels as the PNG of that size.
#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "icon_images.h"

namespace {

namespace fs = std::filesystem;
const std::string kIconDir = std::string(MOONLIT_SOURCE_DIR) + "/data/icons";

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> RunAndRead(const std::string& command) {
    std::vector<std::uint8_t> out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::uint8_t buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.insert(out.end(), buffer, buffer + n);
    pclose(pipe);
    return out;
}

struct Decoded {
    int size = 0;
    std::vector<std::uint8_t> rgba;
    const std::uint8_t* At(int x, int y) const { return &rgba[(std::size_t(y) * size + x) * 4]; }
};

Decoded DecodePng(int size) {
    Decoded d;
    int w = 0, h = 0, n = 0;
    std::string path = kIconDir + "/moonlit-harbor-" + std::to_string(size) + ".png";
    if (stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &n, 4)) {
        if (w == size && h == size) d.size = size;
        d.rgba.assign(pixels, pixels + std::size_t(w) * h * 4);
        stbi_image_free(pixels);
    }
    return d;
}

TEST(MakeIcons, RemakesTheCommittedFilesByteForByte) {
    std::set<std::string> made;
    for (const auto& file : moonlit::icons::MakeIconFiles()) {
        SCOPED_TRACE(file.name);
        EXPECT_EQ(file.bytes, ReadBytes(kIconDir + "/" + file.name));
        made.insert(file.name);
    }
    std::set<std::string> committed;
    for (const auto& entry : fs::directory_iterator(kIconDir)) committed.insert(entry.path().filename());
    EXPECT_EQ(made, committed);
}

TEST(IconImages, EachSizeShowsBarsPlasmaLetterAndRoundedCorners) {
    for (int size : moonlit::icons::kIconSizes) {
        SCOPED_TRACE(size);
        Decoded d = DecodePng(size);
        ASSERT_EQ(d.size, size);
        EXPECT_LT(d.At(0, 0)[3], 32);  // rounded off, at most a touch of the edge
        EXPECT_LT(d.At(size - 1, size - 1)[3], 32);
        const std::uint8_t* bar = d.At(size / 2, 0);
        EXPECT_EQ(bar[3], 255);
        EXPECT_EQ(bar[0] + bar[1] + bar[2], 0);
        int letter = 0, plasma = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::uint8_t* p = d.At(x, y);
                letter += p[0] > 100 && p[1] == 0 && p[2] > 150;
                plasma += p[1] > p[0] && p[1] > p[2] && p[1] >= 16;
            }
        EXPECT_GT(letter, size * size / 20);
        EXPECT_GT(plasma, size * size / 10);
    }
}

TEST(IconImages, IcoHoldsTheSameImagesAsThePngs) {
    std::string ico = kIconDir + "/moonlit-harbor.ico";
    std::vector<std::uint8_t> listed = RunAndRead("identify -format '%w ' '" + ico + "' 2>/dev/null");
    std::string sizes(listed.begin(), listed.end());  // not NUL-terminated
    int index = 0;
    std::string expected;
    for (int size : moonlit::icons::kIcoSizes) {
        SCOPED_TRACE(size);
        expected += std::to_string(size) + " ";
        std::vector<std::uint8_t> decoded =
            RunAndRead("convert '" + ico + "[" + std::to_string(index++) + "]' -depth 8 rgba:- 2>/dev/null");
        EXPECT_EQ(decoded, DecodePng(size).rgba);
    }
    EXPECT_EQ(sizes.substr(0, expected.size()), expected);
}

}  // namespace
