// The show's arithmetic: plasma values and bands, logo blocks, scroller
// positions and the scroll cycle, against worked examples of the show.
#include <gtest/gtest.h>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/effects.h"
#include "demo/my_app.h"

namespace {

void ExpectRgb(const float rgb[3], float r, float g, float b, float tolerance = 1e-4f) {
    EXPECT_NEAR(rgb[0], r, tolerance);
    EXPECT_NEAR(rgb[1], g, tolerance);
    EXPECT_NEAR(rgb[2], b, tolerance);
}

TEST(DemoText, LinesHaveTheirLengthsAndStayInTheFont) {
    const int lengths[kInfoLineCount] = {32, 33, 34, 33, 32, 33, 30, 32, 32};
    for (int i = 0; i < kInfoLineCount; ++i) {
        String line = InfoLine(i);
        EXPECT_EQ(line.Length(), lengths[i]) << "line " << i + 1;
        int outside = 0;
        for (int c = 0; c < line.Length(); ++c)
            if (line[c] < 32 || line[c] > 122) ++outside;
        EXPECT_EQ(outside, i == 0 ? 2 : 0) << "line " << i + 1;
    }
    EXPECT_EQ(InfoLine(0)[InfoLine(0).Length() - 4], 176);
    EXPECT_TRUE(InfoLine(2).EndsWith("*****************"));
    EXPECT_FALSE(InfoLine(2).EndsWith("******************"));
    EXPECT_EQ(InfoLine(4)[0], ' ');
    EXPECT_EQ(InfoLine(6)[0], ' ');
    EXPECT_EQ(InfoLine(7)[31], ' ');
    EXPECT_TRUE(InfoLine(8).StartsWith("           ") && InfoLine(8)[11] != ' ');
    EXPECT_TRUE(InfoLine(8).EndsWith("          ") && InfoLine(8)[21] != ' ');
}

TEST(DemoText, ScrollTextLimits) {
    String text = ScrollText();
    ASSERT_EQ(text.Length(), 157);
    int blanks = 0;
    for (int i = 0; i < text.Length(); ++i) {
        int c = text[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        EXPECT_TRUE(letter || c == ' ' || c == '.' || c == '!' || c == '\'') << "character " << i;
        if (c == ' ') ++blanks;
    }
    EXPECT_EQ(blanks, 30);
}

TEST(DemoText, LogoPatternRows) {
    String p = LogoPattern();
    ASSERT_EQ(p.Length(), 236);
    EXPECT_EQ(p.Slice(4, 8), String("1110"));     // row 1
    EXPECT_EQ(p.Slice(40, 44), String("1010"));   // row 10
    EXPECT_EQ(p.Slice(52, 56), String("1111"));   // row 13
    EXPECT_EQ(p.Slice(80, 160), p.Slice(0, 80));  // rows 20-39 repeat 0-19
    EXPECT_EQ(p.Slice(160), p.Slice(0, 76));      // rows 40-58 repeat 0-18
}

TEST(Plasma, FirstFrameCorners) {
    float scale = DegSin(0.001f) + DegSin(0.001f);
    EXPECT_NEAR(scale, 0.0000349f, 1e-7f);
    float rgb[3];
    float v = PlasmaValue(scale, 0, 0);
    EXPECT_NEAR(v, -0.89279f, 1e-5f);
    ASSERT_TRUE(PlasmaBand(v, rgb));
    ExpectRgb(rgb, 96, 195, 128);

    float phase = 0.0f;
    for (int row = 0; row < 61; ++row) phase = phase + 0.001f;
    float last_scale = DegSin(phase) + DegSin(phase);
    EXPECT_NEAR(last_scale, 0.0021293f, 1e-6f);
    v = PlasmaValue(last_scale, 640, 480);
    EXPECT_NEAR(v, -0.91658f, 1e-5f);
    ASSERT_TRUE(PlasmaBand(v, rgb));
    ExpectRgb(rgb, 64, 128, 98);
}

TEST(Plasma, BandsAtFullZoom) {
    float rgb[3];
    float v = PlasmaValue(2.0f, 8, 0);
    EXPECT_NEAR(v, -1.00246f, 1e-5f);
    PlasmaBand(v, rgb);
    ExpectRgb(rgb, 64, 128, 98);
    v = PlasmaValue(2.0f, 120, 80);
    EXPECT_NEAR(v, 0.84202f, 1e-5f);
    PlasmaBand(v, rgb);
    ExpectRgb(rgb, 32, 64, 48);
    v = PlasmaValue(2.0f, 40, 100);
    EXPECT_NEAR(v, 0.39618f, 1e-5f);
    PlasmaBand(v, rgb);
    ExpectRgb(rgb, 16, 32, 24);
}

TEST(Plasma, BandEdges) {
    float rgb[3] = {1, 2, 3};
    EXPECT_FALSE(PlasmaBand(0.0f, rgb));
    ExpectRgb(rgb, 1, 2, 3);  // untouched: the cell keeps the previous colour
    PlasmaBand(0.3f, rgb);
    ExpectRgb(rgb, 8, 16, 10);
    PlasmaBand(-0.3f, rgb);
    ExpectRgb(rgb, 128, 255, 196);
    PlasmaBand(-0.30001f, rgb);
    ExpectRgb(rgb, 112, 223, 148);
    PlasmaBand(0.95f, rgb);
    ExpectRgb(rgb, 64, 128, 98);
}

class Logo : public ::testing::Test {
protected:
    void SetUp() override { InitDemoGlobals(); }
};

TEST_F(Logo, FirstBlockOfTheFirstFrame) {
    LogoBlocks b = ComputeLogoBlocks(0, 1, 0.028f, 0);
    ExpectRgb(b.back_rgb, 0.000326f, 0.000326f, 45.64476f);
    EXPECT_NEAR(b.back_x, 34.98436f, 1e-4f);
    EXPECT_FALSE(b.lit);
    ExpectRgb(b.front_rgb, 16.00049f, 32.00049f, 36.46714f);
    EXPECT_NEAR(b.front_x, 2.98436f, 1e-4f);
}

TEST_F(Logo, LitBlockInTheSecondPatternRow) {
    float phase = 0.0f;
    for (int k = 0; k <= 8; k += 4) phase = phase + 0.028f;
    EXPECT_NEAR(phase, 0.084f, 1e-6f);
    LogoBlocks b = ComputeLogoBlocks(8, 9, phase, 0);
    EXPECT_TRUE(b.lit);
    ExpectRgb(b.front_rgb, 79.10835f, 0.00147f, 167.55417f);
    EXPECT_NEAR(b.front_x, 23.39734f, 1e-4f);
    EXPECT_NEAR(b.back_x, 55.39734f, 1e-4f);
}

TEST_F(Logo, RowsPastThePatternAreUnlit) {
    for (int j = 1; j <= 29; j += 4) {
        EXPECT_FALSE(ComputeLogoBlocks(416, j, 1.0f, 7).lit);
        EXPECT_FALSE(ComputeLogoBlocks(420, j, 1.0f, 7).lit);
    }
    // Pattern row 58 is blank too; row 57 (k = 456 at offset 0) is lit.
    EXPECT_TRUE(ComputeLogoBlocks(456, 1, 1.0f, 0).lit);
}

TEST(Scroller, PositionsAlongTheWave) {
    InitDemoGlobals();
    scrollX = 640;
    scrollBaseY = 400.0f;
    int x, y;
    ScrollerPosition(0, 0.0f, &x, &y);
    EXPECT_EQ(x, 640);
    EXPECT_EQ(y, 400);
    float wave = 8.0f * DegSin(640.0f);
    EXPECT_NEAR(wave, -7.87846f, 1e-5f);
    ScrollerPosition(1, wave, &x, &y);
    EXPECT_EQ(x, 650);
    EXPECT_EQ(y, 384);
    wave = 8.0f * DegSin(680.0f);
    EXPECT_NEAR(wave, -5.14230f, 1e-5f);
    ScrollerPosition(2, wave, &x, &y);
    EXPECT_EQ(x, 670);
    EXPECT_EQ(y, 389);
    scrollX = -21;  // -21 + 18 + (-0.7) = -3.7
    ScrollerPosition(1, -0.7f, &x, &y);
    EXPECT_EQ(x, -3);
}

}  // namespace
