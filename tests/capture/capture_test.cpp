// moonlit-capture on the test's X server: options, the WAVE, a start frame
// continuing the show, the frames against the show rendered here, a closed
// window, the video. Then what no whole run reaches: the clock over an hour,
// the progress line on a terminal, the WAVE writer reopened or let go of.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <algorithm>
#include <sstream>

#include "app/framework.h"
#include "capture/music_capture.h"
#include "capture/progress.h"
#include "demo/demo_state.h"
#include "demo/my_app.h"
#include "graphics/gl_functions.h"
#include "support/images.h"
#include "support/program_run.h"
#include "support/wave_file.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;
const char* const kWave = "moonlit-harbor.wav";

struct CaptureTool : ::testing::Test {
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer()); }
};

// The tool run into `out` with the words of `args`; `env` as Launch takes it.
Outcome Capture(const fs::path& out, const std::string& args, const std::vector<std::string>& env = {}) {
    Launch launch(CAPTURE_TOOL, {"--out", out.string()});
    std::istringstream words(args);
    for (std::string word; words >> word;) launch.args.push_back(word);
    launch.env.insert(launch.env.end(), env.begin(), env.end());
    return RunToEnd(launch, std::chrono::seconds(240));
}

std::string FrameFile(const fs::path& out, int index) {
    const std::string six_digits = std::to_string(1000000 + index).substr(1);
    return (out / ("frames/frame_" + six_digits + ".png")).string();
}

TEST_F(CaptureTool, HelpAnswersAndBadOptionsOrNoDisplayAreRefused) {
    TempFolder folder("capture");
    const Outcome help = Capture(folder.Path(), "--help");
    EXPECT_TRUE(help.status == 0 && help.out.find("--start") != std::string::npos) << help.out;
    for (const char* bad : {"--fps 0", "--fps 12", "--fps=abc", "--frames -3", "--frames 2.5", "--seconds 1 --frames 5",
                            "--start", "--colour red", "stray"}) {
        const Outcome o = Capture(folder.Path(), bad);
        EXPECT_TRUE(o.status == 2 && o.err.find("moonlit-capture: ") != std::string::npos) << bad << ": " << o.err;
    }
    const Outcome headless = Capture(folder.Path(), "--frames 1", {"-DISPLAY"});
    EXPECT_TRUE(headless.status == 1 && headless.err.find("no display") != std::string::npos) << headless.err;
}

TEST_F(CaptureTool, WithoutFfmpegTheFramesAndTheWaveHoldExactlyTheKeptShow) {
    struct Case {
        const char* args;
        int64_t sample_frames;  // round(kept frames x 44100 / fps)
    };
    const Case cases[] = {{"--frames 12", 8820}, {"--start 7 --frames 5", 3675}, {"--fps 48 --frames 7", 6431},
                          {"--fps 24 --seconds 0.5", 22050}, {"--fps 48 --start 2 --frames 1", 919}};
    TempFolder folder("capture");
    std::vector<Outcome> runs;
    for (const Case& c : cases) {
        const fs::path out = folder.Path() / std::to_string(runs.size());
        // No ffmpeg on this PATH; the tool itself is named by its full path.
        runs.push_back(Capture(out, c.args, {"PATH=/nonexistent"}));
        ASSERT_EQ(runs.back().status, 0) << c.args << ": " << runs.back().err;
        const Wave w = ReadWave((out / kWave).string());
        EXPECT_TRUE(w.sizes_exact && w.format == 1 && w.rate == 44100 && w.channels == 2) << c.args;
        EXPECT_EQ(w.Frames(), c.sample_frames) << c.args;
        EXPECT_GT(w.Rms(), 100.0) << c.args;
        // Off a terminal, progress comes as whole lines on standard error,
        // and nothing else does (no audio device left open at exit, for one).
        std::istringstream lines(runs.back().err);
        for (std::string line; std::getline(lines, line);) EXPECT_EQ(line.rfind("frame ", 0), 0u) << line;
    }
    EXPECT_NE(runs[0].err.find("frame 12/12"), std::string::npos) << runs[0].err;
    EXPECT_NE(runs[1].out.find("ffmpeg -framerate 60 -start_number 7"), std::string::npos) << runs[1].out;
    // The capture from frame 7 holds the whole one's frames from there on,
    // byte for byte, and its sound from 7 x 735 sample frames on.
    const fs::path whole = folder.Path() / "0", part = folder.Path() / "1";
    EXPECT_FALSE(fs::exists(whole / "moonlit-harbor.mp4") || fs::exists(FrameFile(part, 6)));
    for (int i = 7; i < 12; ++i)
        EXPECT_TRUE(ReadFileBytes(FrameFile(whole, i)) == ReadFileBytes(FrameFile(part, i))) << "frame " << i;
    EXPECT_NE(ReadFileBytes(FrameFile(whole, 10)), ReadFileBytes(FrameFile(whole, 11)));  // the show moves
    const std::vector<int16_t> all = ReadWave((whole / kWave).string()).samples;
    EXPECT_TRUE(std::vector<int16_t>(all.begin() + 7 * 735 * 2, all.end()) == ReadWave((part / kWave).string()).samples);
}

// The window's pixels, RGB, with row 0 on top (GL's rows run bottom-up).
std::vector<uint8_t> BackBufferTopDown() {
    std::vector<uint8_t> rgb(640 * 480 * 3), flipped(rgb.size());
    gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl.ReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (int y = 0; y < 480; ++y) std::copy_n(&rgb[(479 - y) * 1920], 1920, &flipped[y * 1920]);
    return flipped;
}

// The demo runs here on the plain desktop host, frame after frame with the
// updates due at 60 fps between them (the plasma and the logo move once a
// frame, the scroller once an update): a capture from frame 50 must match
// its frames 50 to 59 pixel for pixel.
TEST_F(CaptureTool, CapturedFramesEqualTheShowRenderedDirectly) {
    TempFolder folder("capture");
    const Outcome o = Capture(folder.Path(), "--png --start 50 --frames 10");
    ASSERT_EQ(o.status, 0) << o.err;
    ASSERT_TRUE(glfwInit());
    static char* argv[] = {const_cast<char*>("direct"), nullptr};
    InstallCaptureDriver();  // the music goes nowhere, whatever sound the machine has
    RtVantorixGame* host = new RtVantorixGame();
    host->SetSwapInterval(0);
    StartFramework(1, argv, {InitDemoGlobals, [] { gc_new<c_MyApp>(); }});
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    host->StartGame();
    auto updates_due_by = [](int frame) { return frame == 0 ? 0 : (frame - 1) * 50 / 60 + 1; };
    for (int n = 0; n < 60; ++n) {
        host->RenderGame();
        EXPECT_TRUE(n < 50 || LoadImageFile(FrameFile(folder.Path(), n)).pixels == BackBufferTopDown()) << "frame " << n;
        glfwSwapBuffers(host->GetWindow());
        for (int u = updates_due_by(n); u < updates_due_by(n + 1); ++u) host->UpdateGame();
    }
}

TEST_F(CaptureTool, ClosingTheWindowStopsTheCaptureAndKeepsWhatWasTaken) {
    TempFolder folder("capture");
    RunningProgram tool({CAPTURE_TOOL, {"--out", folder.Path().string(), "--png", "--frames", "1000000"}});
    const std::string window = tool.WaitForWindow();
    ASSERT_FALSE(window.empty()) << tool.Wait().err;
    // Closed once a frame is kept: closing before then is an error of its own.
    for (int tries = 0; tries < 1200 && !fs::exists(FrameFile(folder.Path(), 0)); ++tries)
        ASSERT_TRUE(tool.KeepsRunning(std::chrono::milliseconds(50))) << tool.Wait().err;
    const Outcome o = tool.Close(window);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_NE(o.out.find("Stopped early: the window was closed after"), std::string::npos) << o.out;
}

// One stream's entries as ffprobe reads them, one a line.
std::string Probe(const fs::path& file, const std::string& stream, const std::string& entries) {
    return Shell("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries " + entries +
                 " -of default=noprint_wrappers=1:nokey=1 '" + file.string() + "'")
        .out;
}

TEST_F(CaptureTool, TheVideoHasTheFramesAndTheDurationOfTheCapture) {
    TempFolder folder("capture");
    const Outcome o = Capture(folder.Path(), "--fps 30 --frames 45");
    ASSERT_EQ(o.status, 0) << o.err;
    const fs::path video = folder.Path() / "moonlit-harbor.mp4";
    ASSERT_TRUE(fs::exists(video)) << o.out << o.err;
    EXPECT_FALSE(fs::exists(folder.Path() / "frames"));
    EXPECT_EQ(Probe(video, "v:0", "stream=nb_read_frames,codec_name,width,height"), "h264\n640\n480\n45\n");
    EXPECT_NEAR(std::stod(Probe(video, "v:0", "stream=duration")), 1.5, 1e-3);
    EXPECT_EQ(Probe(video, "a:0", "stream=codec_name,sample_rate"), "aac\n44100\n");
    // AAC comes in blocks of 1024 sample frames.
    EXPECT_NEAR(std::stod(Probe(video, "a:0", "stream=duration")), 1.5, 1024.0 / 44100);
}

// Over an hour at any rate the clock stays a nanosecond a frame ahead, so
// an update due on a frame runs on it, and the sound split at a start frame
// adds up to the hour exactly.
TEST(CaptureClock, FrameTimesAndSoundPositionsStayExactOverAnHour) {
    for (int fps : {24, 30, 48, 50, 60}) {
        const CaptureRange range{fps, 1001, 3600 * fps};
        EXPECT_GT(CaptureFrameTime(range.frame_count, fps), 3600.0) << fps;
        EXPECT_LT(CaptureFrameTime(range.frame_count, fps), 3600.001) << fps;
        EXPECT_EQ(CaptureSoundPosition(1001 + range.frame_count, range, 44100) -
                      CaptureSoundPosition(1001, range, 44100), 3600LL * 44100) << fps;
    }
}

TEST(ProgressLine, OnATerminalRedrawsAFewTimesASecondAndAlwaysTheLastFrame) {
    TempFolder folder("progress");
    std::FILE* out = std::fopen((folder / "line").c_str(), "w");
    const auto start = std::chrono::steady_clock::now();
    ProgressLine progress(out, 1000, true);
    for (int done = 1; done <= 1000; ++done) progress.Update(done);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fclose(out);
    const std::string text = ReadFileBytes(folder / "line");
    // However long the loop took, each redraw before the last waited 0.2 s.
    EXPECT_LE(std::count(text.begin(), text.end(), '\r'), 1 + static_cast<long>(seconds / 0.2)) << text;
    EXPECT_NE(text.find("\rframe 1000/1000"), std::string::npos) << text;
}

TEST(WaveWriter, OpeningTheNextFileOrLettingGoCompletesTheOneBefore) {
    TempFolder folder("wave");
    const std::vector<int16_t> samples = {1, -1, 300, -300, 32767, -32768};
    auto writer = std::make_unique<WaveWriter>();
    for (const char* name : {"a.wav", "b.wav"})
        ASSERT_TRUE(writer->Open(folder / name, 22050, 2) && writer->Write(samples.data(), 3)) << name;
    writer.reset();
    for (const char* name : {"a.wav", "b.wav"}) {
        const Wave wave = ReadWave(folder / name);
        EXPECT_TRUE(wave.sizes_exact && wave.rate == 22050 && wave.channels == 2 && wave.samples == samples) << name;
    }
}

}  // namespace
