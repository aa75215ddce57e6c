// The capture host on a real window with a probe application: the update
// schedule the loop runs on the virtual clock, which frames reach the frame
// sink and how they are oriented, the sound each frame asks for, and a
// close request that stops the capture.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <vector>

#include "app/framework.h"
#include "capture/capture_game.h"
#include "capture/frame_sinks.h"
#include "graphics/graphics_context.h"

namespace {

// Counts updates; each render clears to a blue that encodes the frame
// number and paints the top ten rows red.
struct ProbeApp : c_App {
    int updates = 0;
    int renders = 0;
    int close_after_updates = -1;
    std::vector<int> updates_at_render;
    int OnCreate() override {
        SetUpdateRate(50);
        return 0;
    }
    int OnUpdate() override {
        if (++updates == close_after_updates) CurrentGame()->KeyEvent(kEventKeyDown, kKeyCloseRequest);
        return 0;
    }
    int OnRender() override {
        updates_at_render.push_back(updates);
        Clear(0, 0, static_cast<float>(renders++ % 200));
        SetColor(255, 0, 0);
        DrawRect(0, 0, 640, 10);
        return 0;
    }
};

struct Frame {
    int index;
    int width, height;
    uint8_t top[3], bottom[3];
};

struct RecordingSink : FrameSink {
    std::vector<Frame> frames;
    bool WriteFrame(int index, const uint8_t* rgb, int width, int height) override {
        Frame f{index, width, height, {}, {}};
        const uint8_t* last = rgb + (static_cast<size_t>(height) - 1) * width * 3;
        for (int c = 0; c < 3; ++c) f.top[c] = rgb[c], f.bottom[c] = last[c];
        frames.push_back(f);
        return true;
    }
    bool Finish() override { return true; }
};

struct CountingSound : SoundSink {
    std::vector<int> counts;
    std::vector<bool> kept;
    int SampleRate() const override { return 44100; }
    bool TakeSound(int sample_frames, bool keep) override {
        counts.push_back(sample_frames);
        kept.push_back(keep);
        return true;
    }
};

class CaptureHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!glfwInit()) std::exit(5);
        static char name[] = "capture-probe";
        static char* argv[] = {name, nullptr};
        StartFramework(1, argv, {nullptr, [] {}});
    }
    // One capture of the range with a fresh host and application.
    bool Capture(const CaptureRange& range, int close_after_updates = -1) {
        host = std::make_unique<CaptureGame>(range);
        game = host.get();
        app = nullptr;
        probe = gc_new<ProbeApp>();
        probe->close_after_updates = close_after_updates;
        host->SetFrameSink(&sink);
        host->SetSoundSink(&sound);
        return host->Capture();
    }
    // Updates each pass ran: the difference of the counts seen by renders.
    std::vector<int> UpdatesPerPass() const {
        std::vector<int> per;
        const std::vector<int>& seen = probe->updates_at_render;
        for (size_t i = 1; i < seen.size(); ++i) per.push_back(seen[i] - seen[i - 1]);
        per.push_back(probe->updates - seen.back());
        return per;
    }

    std::unique_ptr<CaptureGame> host;
    ProbeApp* probe = nullptr;
    RecordingSink sink;
    CountingSound sound;
};

int Sum(const std::vector<int>& v) {
    int s = 0;
    for (int x : v) s += x;
    return s;
}

TEST_F(CaptureHost, SixtyFramesAtSixtyFpsRunFiftyUpdatesInPassesOfZeroToTwo) {
    ASSERT_TRUE(Capture({60, 0, 60}));
    std::vector<int> per = UpdatesPerPass();
    ASSERT_EQ(per.size(), 60u);
    EXPECT_EQ(Sum(per), 50);
    EXPECT_EQ(probe->updates, 50);
    // Frame n shows every update due by its time: the first is scheduled on
    // the first pass, then one each 1/50 s, and one that falls due on a
    // frame runs on it.
    for (int n = 0; n < 60; ++n) {
        int due = n == 0 ? 0 : (n - 1) * 50 / 60 + 1;
        EXPECT_EQ(probe->updates_at_render[n], due) << "frame " << n;
    }
    int idle = 0;
    for (int u : per) {
        EXPECT_LE(u, 1);
        idle += u == 0;
    }
    EXPECT_EQ(idle, 10);
}

TEST_F(CaptureHost, AtFiftyFpsEveryPassRunsExactlyOneUpdate) {
    ASSERT_TRUE(Capture({50, 0, 200}));
    EXPECT_EQ(UpdatesPerPass(), std::vector<int>(200, 1));
}

TEST_F(CaptureHost, AtThirtyFpsPassesRunOneOrTwoAndKeepTheRate) {
    ASSERT_TRUE(Capture({30, 0, 90}));
    std::vector<int> per = UpdatesPerPass();
    // The schedule starts after the first frame: 3 s hold the updates due
    // at 1/30 s + j/50 s for j = 0 ... 148.
    EXPECT_EQ(Sum(per), 149);
    for (int u : per) EXPECT_TRUE(u == 1 || u == 2);
}

TEST_F(CaptureHost, FramesFromTheStartFrameReachTheSinkTheRightWayUp) {
    ASSERT_TRUE(Capture({60, 5, 4}));
    EXPECT_EQ(probe->renders, 9);
    ASSERT_EQ(sink.frames.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const Frame& f = sink.frames[i];
        EXPECT_EQ(f.index, 5 + i);
        EXPECT_EQ(f.width, 640);
        EXPECT_EQ(f.height, 480);
        // Read after its own render, not the one before, with row 0 on top.
        EXPECT_EQ(f.top[0], 255);
        EXPECT_EQ(f.top[2], 0);
        EXPECT_EQ(f.bottom[0], 0);
        EXPECT_EQ(f.bottom[2], 5 + i);
    }
}

TEST_F(CaptureHost, EachFrameTakesItsShareOfSoundAndTheKeptSoundMatchesTheVideo) {
    // 44100 / 48 = 918.75 sample frames a frame: shares must alternate.
    ASSERT_TRUE(Capture({48, 3, 7}));
    ASSERT_EQ(sound.counts.size(), 10u);
    int before = 0, kept = 0;
    for (size_t i = 0; i < sound.counts.size(); ++i) {
        EXPECT_TRUE(sound.counts[i] == 918 || sound.counts[i] == 919) << i;
        EXPECT_EQ(sound.kept[i], i >= 3);
        (i < 3 ? before : kept) += sound.counts[i];
    }
    EXPECT_EQ(before, 2756);  // round(3 x 918.75)
    EXPECT_EQ(kept, 6431);    // round(7 x 918.75)
}

TEST_F(CaptureHost, SoundPositionsAddUpOverLongCaptures) {
    CaptureRange range{60, 1000, 216000};  // an hour at 60 fps after a pre-roll
    EXPECT_EQ(CaptureSoundPosition(range.start_frame + range.frame_count, range, 44100) -
                  CaptureSoundPosition(range.start_frame, range, 44100),
              216000LL * 735);
    CaptureRange odd{24, 0, 24 * 3600};
    EXPECT_EQ(CaptureSoundPosition(odd.frame_count, odd, 48000), 3600LL * 48000);
    // The clock runs a nanosecond a frame ahead, never a frame behind.
    EXPECT_GT(CaptureFrameTime(216000, 60), 3600.0);
    EXPECT_LT(CaptureFrameTime(216000, 60), 3600.001);
}

TEST_F(CaptureHost, ACloseRequestStopsTheCaptureInsteadOfTheProcess) {
    EXPECT_FALSE(Capture({60, 0, 100}, 10));
    EXPECT_TRUE(host->CloseRequestedByUser());
    EXPECT_FALSE(host->SinkFailed());
    EXPECT_LT(host->FramesPresented(), 100);
    EXPECT_EQ(static_cast<int>(sink.frames.size()), host->FramesPresented());
}

}  // namespace
