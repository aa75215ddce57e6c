// Surfaces through the recording table: premultiplied storage, textures made
// on first use and again in a new context generation, the power-of-two
// retry, pixel uploads whole or by row, and Discard.
#include <cstdlib>
#include <cstring>

#include "host/rt_game.h"
#include "recording_fixture.h"

namespace {

using Surfaces = RecordingDevice;

unsigned char* Pixels(std::initializer_list<int> bytes) {
    unsigned char* p = static_cast<unsigned char*>(std::malloc(bytes.size()));
    int i = 0;
    for (int b : bytes) p[i++] = static_cast<unsigned char>(b);
    return p;
}

TEST_F(Surfaces, StoresPremultipliedByDepth) {
    gxtkSurface* rgba = gc_new<gxtkSurface>();
    rgba->SetData(Pixels({255, 0, 0, 128, 10, 20, 30, 0}), 2, 1, 4);
    EXPECT_EQ(rgba->format, GL_RGBA);
    const unsigned char rgba_want[] = {128, 0, 0, 128, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(rgba->data, rgba_want, 8), 0);

    gxtkSurface* grey_alpha = gc_new<gxtkSurface>();
    grey_alpha->SetData(Pixels({200, 100}), 1, 1, 2);
    EXPECT_EQ(grey_alpha->format, GL_LUMINANCE_ALPHA);
    EXPECT_EQ(grey_alpha->data[0], 78);
    EXPECT_EQ(grey_alpha->data[1], 100);

    gxtkSurface* rgb = gc_new<gxtkSurface>();
    rgb->SetData(Pixels({200, 100, 50}), 1, 1, 3);
    EXPECT_EQ(rgb->format, GL_RGB);
    EXPECT_EQ(rgb->data[0], 200);

    gxtkSurface* grey = gc_new<gxtkSurface>();
    grey->SetData(Pixels({77}), 1, 1, 1);
    EXPECT_EQ(grey->format, GL_LUMINANCE);
    EXPECT_EQ(grey->data[0], 77);
    EXPECT_EQ(Rec().calls.size(), 0u) << "no texture is made when data arrives";
}

TEST_F(Surfaces, NoTextureBeforeTheFirstWindowThenOneOnFirstFlush) {
    if (CurrentContextGeneration() != 0) GTEST_SKIP() << "needs a process in which no window was made";
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->SetData(Pixels({1, 2, 3, 255}), 1, 1, 4);
    s->Bind();
    EXPECT_EQ(Rec().calls.size(), 0u);
    EXPECT_EQ(s->seq, -1);

    AdvanceContextGeneration();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Names(),
              "Enable GenTextures BindTexture TexParameteri TexParameteri TexParameteri TexParameteri TexImage2D "
              "GetError PixelStorei TexSubImage2D DrawElements Disable");
    EXPECT_EQ(s->seq, CurrentContextGeneration());
    std::vector<GlCall> params = Rec().Named("TexParameteri");
    EXPECT_EQ(params[0].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(params[1].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST}));
    EXPECT_EQ(params[2].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE}));
    EXPECT_EQ(params[3].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE}));
    GlCall upload = Rec().Named("TexSubImage2D")[0];
    EXPECT_EQ(upload.args, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_EQ(upload.pointer, s->data);
    EXPECT_EQ(Rec().Named("PixelStorei")[0].args, (std::vector<double>{GL_UNPACK_ALIGNMENT, 1}));
}

TEST_F(Surfaces, LaterDrawsOnlyBindAndANewGenerationMakesItAgain) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(4, 4);
    EXPECT_EQ(Rec().Count("GenTextures"), 1) << "made at once while a window exists";
    EXPECT_EQ(Rec().Count("TexSubImage2D"), 0) << "no pixels yet";
    GLuint first = s->texture;
    Rec().Reset();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Names(), "Enable BindTexture DrawElements Disable");
    EXPECT_EQ(Rec().calls[1].args[1], first);

    AdvanceContextGeneration();  // the host opened a new window
    Rec().Reset();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Count("GenTextures"), 1);
    EXPECT_EQ(Rec().Count("DeleteTextures"), 0) << "the old name died with its context";
    EXPECT_EQ(s->seq, CurrentContextGeneration());
}

TEST_F(Surfaces, RejectedSizeRetriesWithPowersOfTwo) {
    AdvanceContextGeneration();
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->SetData(static_cast<unsigned char*>(std::calloc(300 * 200, 4)), 300, 200, 4);
    Rec().errors.push_back(GL_INVALID_VALUE);
    s->Bind();
    std::vector<GlCall> images = Rec().Named("TexImage2D");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].args[3], 300);
    EXPECT_EQ(images[0].args[4], 200);
    EXPECT_EQ(images[1].args[3], 512);
    EXPECT_EQ(images[1].args[4], 256);
    EXPECT_EQ(images[1].pointer, nullptr);
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 512);
    EXPECT_FLOAT_EQ(s->vscale, 1.0f / 256);
    GlCall upload = Rec().Named("TexSubImage2D")[0];
    EXPECT_EQ(upload.args[4], 300) << "only the image's own corner is uploaded";
    EXPECT_EQ(upload.args[5], 200);

    device->DrawSurface(s, 0, 0);
    EXPECT_FLOAT_EQ(device->vertices[2].x, 300) << "still drawn at the image's size";
    EXPECT_FLOAT_EQ(device->vertices[2].u, 300.0f / 512);
}

TEST_F(Surfaces, AcceptedSizeKeepsTheImageSize) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(3, 5);
    EXPECT_EQ(Rec().Count("TexImage2D"), 1);
    EXPECT_FLOAT_EQ(s->uscale, 1.0f / 3);
    EXPECT_FLOAT_EQ(s->vscale, 1.0f / 5);
}

TEST_F(Surfaces, WritePixelsUploadsWholeRowsInOneCallElsePerRow) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(8, 8);
    Array<int> block(40);
    for (int i = 0; i < 40; ++i) block.Set(i, static_cast<int>(0x80FF4020u));
    Rec().Reset();
    device->WritePixels(s, block, 1, 1, 4, 2, 0, 4);
    std::vector<GlCall> rows = Rec().Named("TexSubImage2D");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].args, (std::vector<double>{GL_TEXTURE_2D, 0, 1, 1, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_EQ(rows[1].args, (std::vector<double>{GL_TEXTURE_2D, 0, 1, 2, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_EQ(rows[0].pointer, s->data + (1 * 8 + 1) * 4);
    EXPECT_EQ(rows[1].pointer, s->data + (2 * 8 + 1) * 4);
    EXPECT_EQ(Rec().Names().find("BindTexture PixelStorei TexSubImage2D"), 0u);
    const unsigned char* p = s->data + (1 * 8 + 1) * 4;
    EXPECT_EQ(p[0], 0xFF * 0x80 / 255);  // premultiplied, RGBA order
    EXPECT_EQ(p[1], 0x40 * 0x80 / 255);
    EXPECT_EQ(p[2], 0x20 * 0x80 / 255);
    EXPECT_EQ(p[3], 0x80);

    Rec().Reset();
    device->WritePixels(s, block, 0, 3, 8, 2, 8, 8);
    rows = Rec().Named("TexSubImage2D");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].args, (std::vector<double>{GL_TEXTURE_2D, 0, 0, 3, 8, 2, GL_RGBA, GL_UNSIGNED_BYTE}));
}

TEST_F(Surfaces, WritePixelsBeforeATextureWaitsForTheNextBind) {
    if (CurrentContextGeneration() != 0) GTEST_SKIP() << "needs a process in which no window was made";
    gxtkSurface* s = device->CreateSurface(2, 2);
    Array<int> px(4);
    for (int i = 0; i < 4; ++i) px.Set(i, -1);
    device->WritePixels(s, px, 0, 0, 2, 2, 0, 2);
    EXPECT_EQ(Rec().calls.size(), 0u);
    AdvanceContextGeneration();
    s->Bind();
    GlCall upload = Rec().Named("TexSubImage2D")[0];
    EXPECT_EQ(upload.pointer, s->data);
    EXPECT_EQ(s->data[0], 255);
}

TEST_F(Surfaces, WritePixelsIgnoresSurfacesThatAreNotRgba) {
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->SetData(Pixels({1, 2, 3}), 1, 1, 3);
    Array<int> px(1);
    px.Set(0, -1);
    device->WritePixels(s, px, 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(s->data[0], 1);
}

TEST_F(Surfaces, DiscardDeletesTheCurrentTextureOnceAndIsHarmlessTwice) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(2, 2);
    Array<int> px(4);
    device->WritePixels(s, px, 0, 0, 2, 2, 0, 2);
    Rec().Reset();
    s->Discard();
    EXPECT_EQ(Rec().Names(), "DeleteTextures");
    EXPECT_EQ(s->data, nullptr);
    EXPECT_EQ(s->seq, -1);
    s->Discard();
    EXPECT_EQ(Rec().calls.size(), 1u);
}

TEST_F(Surfaces, LoadSurfaceWithoutAFileGivesNull) {
    EXPECT_EQ(device->LoadSurface(String("/nonexistent/x.png")), nullptr);
}

}  // namespace
