// moonlit-capture as a program on the test's X server: its options, that
// two captures of the same frames are byte-identical, that a capture from a
// start frame continues the show exactly, that the WAVE holds exactly the
// sound of the frames, and the video that ffmpeg makes of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "tests/capture/capture_files.h"

using namespace capture_test;

namespace {

bool HaveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") == 0; }

std::string Probe(const std::string& file, const std::string& stream, const std::string& entry) {
    ChildResult r = RunChild("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries " +
                              entry + " -of default=noprint_wrappers=1:nokey=1 " + file);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

TEST(CaptureTool, HelpListsTheOptionsAndBadOptionsAndNoDisplayAreRefused) {
    ChildResult help = RunChild(std::string(CAPTURE_TOOL) + " --help");
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--fps", "--seconds", "--frames", "--start", "--out", "--png"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    for (const char* bad : {"--fps 0", "--fps 12", "--fps=abc", "--frames -3", "--frames 2.5", "--seconds 1 --frames 5",
                            "--start", "--colour red", "stray"}) {
        ChildResult r = RunChild(std::string(CAPTURE_TOOL) + " " + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("moonlit-capture: "), std::string::npos) << bad << ": " << r.err;
    }

    TempFolder t;
    ChildResult headless = RunCapture(t / "out", "--frames 1", "DISPLAY=");
    EXPECT_EQ(headless.status, 1);
    EXPECT_NE(headless.err.find("no display"), std::string::npos) << headless.err;
}

TEST(CaptureTool, TwoCapturesOfTheSameFramesAreByteIdentical) {
    TempFolder a, b;
    ChildResult ra = RunCapture(a / "out", "--png --frames 12");
    ChildResult rb = RunCapture(b / "out", "--png --frames 12");
    ASSERT_EQ(ra.status, 0) << ra.err;
    ASSERT_EQ(rb.status, 0) << rb.err;
    for (int i = 0; i < 12; ++i) {
        std::string fa = ReadWholeFile(FrameFile(a / "out", i));
        ASSERT_GT(fa.size(), 1000u) << i;
        EXPECT_TRUE(fa == ReadWholeFile(FrameFile(b / "out", i))) << "frame " << i;
    }
    EXPECT_TRUE(ReadWholeFile(a / "out/moonlit-harbor.wav") == ReadWholeFile(b / "out/moonlit-harbor.wav"));
    // Neighbouring frames differ: the show moves.
    EXPECT_NE(ReadWholeFile(FrameFile(a / "out", 10)), ReadWholeFile(FrameFile(a / "out", 11)));
}

TEST(CaptureTool, ACaptureFromAStartFrameContinuesTheShowExactly) {
    TempFolder whole, part;
    ASSERT_EQ(RunCapture(whole / "out", "--png --frames 12").status, 0);
    ChildResult r = RunCapture(part / "out", "--png --start 7 --frames 5");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(std::filesystem::exists(FrameFile(part / "out", 6)));
    for (int i = 7; i < 12; ++i)
        EXPECT_TRUE(ReadWholeFile(FrameFile(whole / "out", i)) == ReadWholeFile(FrameFile(part / "out", i)))
            << "frame " << i;
    // At 60 fps each frame is 735 sample frames: the part's sound is the
    // whole's from frame 7 on.
    Wave w = ReadWave(whole / "out/moonlit-harbor.wav");
    Wave p = ReadWave(part / "out/moonlit-harbor.wav");
    ASSERT_EQ(p.SampleFrames(), 5 * 735);
    std::vector<int16_t> tail(w.samples.begin() + 7 * 735 * 2, w.samples.end());
    EXPECT_TRUE(tail == p.samples);
}

TEST(CaptureTool, TheWaveHoldsExactlyTheSoundOfTheFramesAndIsNotSilent) {
    struct Case {
        const char* args;
        int64_t sample_frames;
    };
    for (Case c : {Case{"--fps 60 --frames 30", 22050}, Case{"--fps 48 --frames 7", 6431},  // 6431.25
                   Case{"--fps 24 --seconds 0.5", 22050}, Case{"--fps 48 --start 2 --frames 1", 919}}) {
        TempFolder t;
        ChildResult r = RunCapture(t / "out", std::string("--png ") + c.args);
        ASSERT_EQ(r.status, 0) << c.args << ": " << r.err;
        Wave w = ReadWave(t / "out/moonlit-harbor.wav");
        EXPECT_EQ(w.rate, 44100) << c.args;
        EXPECT_EQ(w.channels, 2) << c.args;
        EXPECT_EQ(w.bits, 16) << c.args;
        EXPECT_EQ(w.SampleFrames(), c.sample_frames) << c.args;
        EXPECT_GT(Rms(w.samples), 100.0) << c.args;
    }
}

TEST(CaptureTool, WithoutFfmpegFramesAndSoundStayAndTheToolSaysHowToMux) {
    TempFolder t;
    // No ffmpeg on this PATH; the tool itself is named by its full path.
    ChildResult r = RunCapture(t / "out", "--frames 3", "PATH=/nonexistent");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(FrameFile(t / "out", 2)));
    EXPECT_FALSE(std::filesystem::exists(t / "out/moonlit-harbor.mp4"));
    EXPECT_NE(r.out.find("ffmpeg -framerate 60 -start_number 0"), std::string::npos) << r.out;
    // Off a terminal, progress comes as whole lines on standard error, and
    // nothing else does (no audio device left open at exit, for one).
    EXPECT_NE(r.err.find("frame 3/3"), std::string::npos) << r.err;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("frame ", 0), 0u) << line;
}

TEST(CaptureTool, TheVideoHasTheFramesAndTheDurationOfTheCapture) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder t;
    ChildResult r = RunCapture(t / "out", "--fps 30 --frames 45");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string video = t / "out/moonlit-harbor.mp4";
    ASSERT_TRUE(std::filesystem::exists(video)) << r.out << r.err;
    EXPECT_FALSE(std::filesystem::exists(t / "out/frames"));
    EXPECT_EQ(std::stoi(Probe(video, "v:0", "stream=nb_read_frames")), 45);
    EXPECT_EQ(Probe(video, "v:0", "stream=codec_name,width,height"), "h264\n640\n480\n");
    EXPECT_NEAR(std::stod(Probe(video, "v:0", "stream=duration")), 1.5, 1e-3);
    EXPECT_EQ(Probe(video, "a:0", "stream=codec_name,sample_rate"), "aac\n44100\n");
    // AAC comes in blocks of 1024 sample frames.
    EXPECT_NEAR(std::stod(Probe(video, "a:0", "stream=duration")), 1.5, 1024.0 / 44100);
    EXPECT_EQ(ReadWave(t / "out/moonlit-harbor.wav").SampleFrames(), 66150);
}

}  // namespace
