// The look at image files before decoding: real files made by ImageMagick
// pass and decode; JPEGs whose Huffman tables overrun the decoder's arrays
// and images whose headers ask for too many pixels are refused. The hostile
// files are the inputs the image fuzz target found.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/glfw_game.h"
#include "host/image_file_check.h"

namespace {

const std::string kCorpus = std::string(MOONLIT_SOURCE_DIR) + "/tests/fuzz_corpus/image_loading/";

bool SafeToDecode(const std::string& name) {
    std::FILE* file = std::fopen((kCorpus + name).c_str(), "rb");
    EXPECT_NE(file, nullptr) << name;
    if (!file) return false;
    std::fseek(file, 0, SEEK_SET);
    bool safe = ImageFileIsSafeToDecode(file);
    long position = std::ftell(file);
    std::fclose(file);
    EXPECT_EQ(position, 0) << name << ": the position is put back";
    return safe;
}

// A file whose header claims width x height, in the given format.
std::string WriteHeader(const std::string& kind, int w, int h) {
    std::string path = testing::TempDir() + "/header-" + kind;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (kind == "pgm") std::fprintf(f, "P5\n%d %d\n255\n", w, h);
    std::fputc(0, f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(ImageFileCheck, RealFilesPassAndDecode) {
    RtGlfwGame host;
    for (const char* name : {"grey.png", "grey_alpha.png", "rgb.png", "rgba.png", "palette.png", "small.jpg",
                             "small.bmp", "strip.gif"}) {
        EXPECT_TRUE(SafeToDecode(name)) << name;
        int w = 0, h = 0, c = 0;
        unsigned char* pixels = host.LoadImageData(String((kCorpus + name).c_str()), &w, &h, &c);
        EXPECT_NE(pixels, nullptr) << name;
        EXPECT_GT(w * h * c, 0) << name;
        std::free(pixels);
    }
}

TEST(ImageFileCheck, JpegHuffmanTablesOfMoreThan256CodesAreRefused) {
    RtGlfwGame host;
    // Within one segment, spread over a second table, counts running past
    // the end of the file (the decoder reads zeros there), and a JPEG after
    // fill bytes (the decoder skips them before the start-of-image marker)
    // or with padding after a segment (the decoder scans on for 0xFF).
    for (const char* name : {"jpeg_huffman_overflow.jpg", "jpeg_huffman_second_table.jpg",
                             "jpeg_huffman_past_end.jpg", "jpeg_after_fill_bytes.jpg",
                             "jpeg_huffman_after_padding.jpg"}) {
        EXPECT_FALSE(SafeToDecode(name)) << name;
        int w = 0, h = 0, c = 0;
        EXPECT_EQ(host.LoadImageData(String((kCorpus + name).c_str()), &w, &h, &c), nullptr) << name;
    }
}

// Scans naming a Huffman table no segment defined: the decoder would read
// the table from memory it never cleared and index its arrays with it.
// Progressive files, whose DC passes name AC tables they do not use, pass.
TEST(ImageFileCheck, ScansWithUndefinedHuffmanTablesAreRefused) {
    RtGlfwGame host;
    for (const char* name : {"jpeg_scan_table_undefined.jpg", "jpeg_reads_unwritten_memory.jpg"}) {
        EXPECT_FALSE(SafeToDecode(name)) << name;
        int w = 0, h = 0, c = 0;
        EXPECT_EQ(host.LoadImageData(String((kCorpus + name).c_str()), &w, &h, &c), nullptr) << name;
    }
    std::string progressive = testing::TempDir() + "/progressive.jpg";
    std::string command = "convert -size 48x32 plasma:fractal -seed 3 -interlace JPEG -quality 90 " + progressive;
    ASSERT_EQ(std::system(command.c_str()), 0);
    int w = 0, h = 0, c = 0;
    unsigned char* pixels = host.LoadImageData(String(progressive.c_str()), &w, &h, &c);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 32);
    std::free(pixels);
    std::remove(progressive.c_str());
}

// 138 fill bytes before the start-of-image marker: longer than the buffer
// stb_image reads a file through, whose rewinding after the format probes
// replayed a stale buffer, so the decoder saw a Huffman table the check
// never saw. Decoded from the checked bytes in memory, it is just a broken
// file (the sanitizer builds and the fuzz target hold the rest).
TEST(ImageFileCheck, TheDecoderSeesTheBytesThatWereChecked) {
    RtGlfwGame host;
    int w = 0, h = 0, c = 0;
    String path((kCorpus + "jpeg_fill_past_decoder_buffer.jpg").c_str());
    EXPECT_EQ(host.LoadImageData(path, &w, &h, &c), nullptr);
}

// stb_image decodes this BMP as 4 x 0 pixels; the host calls that no image.
TEST(ImageFileCheck, AnImageWithoutPixelsIsNoImage) {
    RtGlfwGame host;
    int w = 0, h = 0, c = 0;
    EXPECT_EQ(host.LoadImageData(String((kCorpus + "bmp_zero_height.bmp").c_str()), &w, &h, &c), nullptr);
}

TEST(ImageFileCheck, SizeLimitsHoldBeforeAnyPixelIsDecoded) {
    EXPECT_FALSE(SafeToDecode("gif_huge_screen.gif"));  // 94 bytes asking for 18176 x 18759
    EXPECT_FALSE(SafeToDecode("bmp_top_down_huge.bmp"));  // 1024 x -458748: top-down rows
    struct Case {
        int w, h;
        bool safe;
    } cases[] = {
        {kMaxImageSide, 2048, true},         // exactly 32 megapixels
        {kMaxImageSide + 1, 1, false},       // one pixel too wide
        {1, kMaxImageSide + 1, false},       // one pixel too tall
        {8192, 4097, false},                 // sides fine, area not
    };
    for (const Case& c : cases) {
        std::string path = WriteHeader("pgm", c.w, c.h);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(ImageFileIsSafeToDecode(f), c.safe) << c.w << " x " << c.h;
        std::fclose(f);
        std::remove(path.c_str());
    }
}
