// The font description loader on descriptions the fuzz target found: a
// "pages=" count far beyond what the text could name must not size an array
// blindly (it ended the program), and lines past the count are ignored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "graphics/font.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"

namespace {

// Answers every text file with `text` and every image with 2 x 2 pixels.
class TextHost : public RtGame {
public:
    String text;
    String LoadTextFile(const String&) override { return text; }
    unsigned char* LoadImageData(const String&, int* w, int* h, int* c) override {
        *w = *h = 2;
        *c = 4;
        return static_cast<unsigned char*>(std::calloc(16, 1));
    }
};

class FontDescriptionLimits : public ::testing::Test {
protected:
    // The collector's lists are set up once per process: setting them up
    // again would drop what the previous test left in them.
    static void SetUpTestSuite() { gc_init(); }
    void SetUp() override {
        gl = NullGl();
        InitGraphicsContextGlobals();
        SetGraphicsDevice(gc_new<gxtkGraphics>());
    }
    TextHost host;
};

}  // namespace

TEST_F(FontDescriptionLimits, AHugePageCountIsCutToTheDescriptionsLines) {
    for (const char* count : {"1222222222", "2147483647", "12222222222222222222222222222"}) {
        host.text = String((std::string("common lineHeight=9 pages=") + count +
                            "\npage id=0 file=a.png\nchar id=65 width=2 xadvance=3 page=0\n").c_str());
        c_Font* font = LoadFont(String("big.fnt"), 0);
        ASSERT_NE(font, nullptr) << count;
        // Four lines (the last one empty after the final line feed).
        EXPECT_LE(font->pages.Length(), 4) << count;
        if (font->pages.Length() > 0) {
            EXPECT_NE(font->pages[0], nullptr) << count;
        }
        EXPECT_EQ(font->TextWidth(String("AA")), 6.0f);
    }
}

TEST_F(FontDescriptionLimits, PageLinesBeyondTheCountAreIgnored) {
    host.text = String("common pages=1\npage file=a.png\npage file=b.png\npage file=c.png\n");
    c_Font* font = LoadFont(String("fonts/two.fnt"), 0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->pageCount, 1);
    EXPECT_EQ(font->pages.Length(), 1);
}
