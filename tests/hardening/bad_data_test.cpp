// The real program with one data file broken at a time, each in a run folder
// of its own. Whatever is wrong, it never crashes: it runs its show until the
// window is closed (status 0), in the default font or without text where its
// fonts fail, or ends with a clear message (the music module, the display).
#include <gtest/gtest.h>

#include <signal.h>

#include <functional>

#include "support/images.h"
#include "support/program_run.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;

const std::string kPlaying = "Playing Low Tide Lanterns (8 chn)\n";
const std::string kNoFont = "No font could be loaded (data/fonti.png, data/kova_font.png): the text is left out\n";
constexpr int kAborted = 128 + SIGABRT;
constexpr int kPlaysOrRefuses = -2;  // either the show (0) or the load message and an abort

struct Row {
    const char* name;
    std::function<void(const fs::path& folder)> spoil;
    std::vector<std::string> env;  // after the quiet audio settings
    int status;
    std::vector<std::string> out = {kPlaying}, err = {};  // each in its stream
    bool only_these = true;     // the streams hold exactly these texts
    bool default_font = false;  // the info text is drawn in the default font
};

fs::path Data(const fs::path& folder, const char* name) { return folder / "data" / name; }

// Runs the row's program; where it shows its info text in the default font,
// looks for that font's white letters: some 1,700 white pixels right of the
// logo strip, where the demo's silver-to-gold letters have some 300.
Outcome RunRow(const Row& row, Launch launch) {
    launch.env.insert(launch.env.end(), row.env.begin(), row.env.end());
    RunningProgram program(launch);
    std::string window = program.WaitForWindow();
    if (window.empty() || !program.KeepsRunning(std::chrono::milliseconds(300))) return program.Wait();
    int white = 0;
    for (int tries = 0; row.default_font && white <= 1000 && tries < 50; ++tries) {
        const Image shot = program.KeepsRunning(std::chrono::milliseconds(200)) ? Screenshot(window) : Image();
        white = 0;
        for (int y = 32; y < 300 && shot.width == 640; ++y)
            for (const uint8_t* p = shot.At(160, y); p < shot.At(600, y); p += 3)
                white += p[0] > 240 && p[1] > 240 && p[2] > 240;
    }
    EXPECT_TRUE(!row.default_font || white > 1000) << "no text in the default font";
    return program.Close(window);
}

TEST(BadDataFiles, TheProgramRunsOrSaysWhyAndNeverCrashes) {
    ASSERT_TRUE(xsession::StartServer());
    auto none = [](const fs::path&) {};
    const Row rows[] = {
        {"demo font missing", [](const fs::path& f) { fs::remove(Data(f, "fonti.png")); }, {}, 0, {kPlaying}, {},
         true, true},
        {"both fonts missing",
         [](const fs::path& f) { fs::remove(Data(f, "fonti.png")), fs::remove(Data(f, "kova_font.png")); }, {}, 0,
         {kPlaying}, {kNoFont}},
        {"module missing", [](const fs::path& f) { fs::remove(f / "spartanic.xm"); }, {}, kAborted},
        {"module is a PNG renamed",
         [](const fs::path& f) { WriteFileBytes(f / "spartanic.xm", ReadFileBytes(Data(f, "fonti.png"))); }, {},
         kAborted},
        {"module cut in half",
         [](const fs::path& f) { fs::resize_file(f / "spartanic.xm", fs::file_size(f / "spartanic.xm") / 2); },
         {}, kPlaysOrRefuses},
        {"no display", none, {"-DISPLAY", "-WAYLAND_DISPLAY"}, 255, {"GLFW Error: err=", "glfwInit failed\n"}, {},
         false},
        {"no sound device", none,
         {"-SDL_AUDIODRIVER", "PULSE_SERVER=unix:/nonexistent", "ALSA_CONFIG_PATH=/nonexistent",
          "ALSOFT_DRIVERS=none", "AUDIODEV=/nonexistent"},
         0, {"OpenAl error: alcOpenDevice failed"},
         {"Could not initialize sound, reason: ", "Music is off (no sound output): not playing \"spartanic.xm\""},
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder("bad-data");
        const Launch show = LayOutShow(folder.Path(), MOONLIT_DEMO_PROGRAM);
        row.spoil(folder.Path());
        const Outcome o = RunRow(row, show);
        SCOPED_TRACE("stdout:\n" + o.out + "\nstderr:\n" + o.err);
        EXPECT_EQ(o.out.find("Runtime Error"), std::string::npos);  // the runtime's report of a fatal signal
        const int status = row.status == kPlaysOrRefuses ? (o.status == kAborted ? kAborted : 0) : row.status;
        EXPECT_EQ(o.status, status);
        if (status == kAborted) {
            EXPECT_EQ(o.err.rfind("Could not load module \"spartanic.xm\", reason: ", 0), 0u);
            EXPECT_EQ(o.out.find("Playing"), std::string::npos);
            continue;
        }
        EXPECT_EQ(o.window_seen, status == 0);
        // Each text is in its stream; with `only_these`, nothing else is.
        for (const auto& [stream, texts] : {std::pair(&o.out, &row.out), std::pair(&o.err, &row.err)}) {
            std::string all;
            for (const std::string& text : *texts) all += text;
            EXPECT_TRUE(!row.only_these || *stream == all);
            for (const std::string& text : *texts) EXPECT_NE(stream->find(text), std::string::npos) << text;
        }
    }
}

}  // namespace
