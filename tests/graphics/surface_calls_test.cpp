// Surfaces through the recorded GL calls: no texture before the first window,
// one per context generation, the power-of-two retry after a rejected size,
// pixel uploads whole or row by row, and Discard. The pixels themselves are
// the window program's job.
#include <cstdlib>

#include "host/rt_game.h"
#include "recording_device.h"

namespace {

Array<int> Words(int count, uint32_t word) {
    Array<int> words(count);
    for (int i = 0; i < count; ++i) words.Set(i, static_cast<int>(word));
    return words;
}

using Surfaces = RecordingDevice;

// First in the program: only then has no window (no context generation)
// been made.
TEST_F(Surfaces, BeforeTheFirstWindowPixelsWaitForTheFirstBind) {
    if (CurrentContextGeneration() != 0) GTEST_SKIP() << "needs to run first in a fresh process";
    gxtkSurface* s = device->CreateSurface(1, 1);
    device->WritePixels(s, Words(1, 0xFF010203u), 0, 0, 1, 1, 0, 1);
    s->Bind();
    EXPECT_EQ(Rec().calls.size(), 0u);
    EXPECT_EQ(s->seq, -1);

    AdvanceContextGeneration();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Count("GenTextures"), 1);
    EXPECT_EQ(s->seq, CurrentContextGeneration());
    std::vector<Args> parameters;
    for (const GlCall& call : Rec().Named("TexParameteri")) parameters.push_back(call.args);
    EXPECT_EQ(parameters, (std::vector<Args>{{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST},
                                             {GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST},
                                             {GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
                                             {GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE}}));
    GlCall upload = Rec().Named("TexSubImage2D").at(0);
    EXPECT_EQ(upload.args, (Args{GL_TEXTURE_2D, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_EQ(upload.pointer, s->data);
}

TEST_F(Surfaces, LaterDrawsOnlyBindAndANewGenerationMakesItAgain) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(3, 5);
    EXPECT_EQ(Rec().Count("GenTextures"), 1) << "made at once while a window exists";
    EXPECT_EQ(Rec().Count("TexSubImage2D"), 0) << "no pixels yet";
    EXPECT_EQ(std::vector<float>({s->uscale, s->vscale}), std::vector<float>({1.0f / 3, 1.0f / 5}));
    Rec().Reset();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Count("GenTextures"), 0);
    EXPECT_EQ(Rec().Named("BindTexture").at(0).args[1], s->texture);

    AdvanceContextGeneration();  // the host opened a new window
    Rec().Reset();
    device->DrawSurface(s, 0, 0);
    device->EndRender();
    EXPECT_EQ(Rec().Count("GenTextures"), 1);
    EXPECT_EQ(Rec().Count("DeleteTextures"), 0) << "the old name died with its context";
}

TEST_F(Surfaces, ARejectedSizeRetriesWithPowersOfTwo) {
    AdvanceContextGeneration();
    gxtkSurface* s = gc_new<gxtkSurface>();
    s->SetData(static_cast<unsigned char*>(std::calloc(300 * 200, 4)), 300, 200, 4);
    Rec().errors.push_back(GL_INVALID_VALUE);
    s->Bind();
    std::vector<GlCall> images = Rec().Named("TexImage2D");
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(Args(images[0].args.begin() + 3, images[0].args.begin() + 5), (Args{300, 200}));
    EXPECT_EQ(Args(images[1].args.begin() + 3, images[1].args.begin() + 5), (Args{512, 256}));
    EXPECT_EQ(images[1].pointer, nullptr);
    const Args upload = Rec().Named("TexSubImage2D").at(0).args;
    EXPECT_EQ(Args(upload.begin() + 4, upload.begin() + 6), (Args{300, 200})) << "the image's own corner";
    device->DrawSurface(s, 0, 0);
    const gxtkVertex& corner = device->vertices[2];
    EXPECT_EQ(std::vector<float>({corner.x, corner.u, corner.v}),
              std::vector<float>({300, 300.0f / 512, 200.0f / 256}));
}

TEST_F(Surfaces, WritePixelsUploadsWholeRowsInOneCallElsePerRow) {
    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(8, 8);
    Array<int> block = Words(40, 0x80FF4020u);
    const std::pair<Args, std::vector<Args>> cases[] = {
        {{1, 1, 4, 2, 0, 4}, {{1, 1, 4, 1, (1 * 8 + 1) * 4}, {1, 2, 4, 1, (2 * 8 + 1) * 4}}},
        {{0, 3, 8, 2, 8, 8}, {{0, 3, 8, 2, 3 * 8 * 4}}},
    };
    for (const auto& [write, uploads] : cases) {
        Rec().Reset();
        device->WritePixels(s, block, int(write[0]), int(write[1]), int(write[2]), int(write[3]), int(write[4]),
                            int(write[5]));
        std::vector<Args> got;
        for (const GlCall& call : Rec().Named("TexSubImage2D"))
            got.push_back({call.args[2], call.args[3], call.args[4], call.args[5],
                           double(static_cast<const unsigned char*>(call.pointer) - s->data)});
        EXPECT_EQ(got, uploads);
    }
}

TEST_F(Surfaces, GuardsWritesToRgbDiscardTwiceAndMissingFiles) {
    gxtkSurface* rgb = gc_new<gxtkSurface>();
    rgb->SetData(static_cast<unsigned char*>(std::calloc(3, 1)), 1, 1, 3);
    device->WritePixels(rgb, Words(1, 0xFFFFFFFFu), 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(rgb->data[0], 0) << "only RGBA surfaces take written pixels";

    AdvanceContextGeneration();
    gxtkSurface* s = device->CreateSurface(2, 2);
    device->WritePixels(s, Words(4, 0), 0, 0, 2, 2, 0, 2);
    Rec().Reset();
    s->Discard();
    s->Discard();
    EXPECT_EQ(Rec().Names(), "DeleteTextures");
    EXPECT_EQ(s->data, nullptr);
    EXPECT_EQ(s->seq, -1);
    EXPECT_EQ(device->LoadSurface(String("/nonexistent/x.png")), nullptr);
}

}  // namespace
