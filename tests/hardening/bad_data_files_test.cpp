// The real program with one data file broken at a time. Whatever is wrong,
// it must never crash (no fatal signal, no "Memory access violation"): it
// either runs its show until the window is closed (exit status 0), or ends
// with a clear message where it cannot go on (the music module, the display).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "hardening/demo_run.h"

namespace {

using demorun::Crashed;
using demorun::Outcome;
using demorun::RunFolder;
namespace fs = std::filesystem;

// The test run's audio setting: libmikmod and OpenAL play into nothing.
const std::string kQuietAudio = "SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null";

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const fs::path& path) { return ReadWholeFile(path.string()); }

// Standard error without OpenAL's own note at exit ("AL lib: ... device not
// closed": the device lives until the process ends, by design).
std::string OurErrors(const std::string& err) {
    std::string kept, line;
    std::istringstream in(err);
    while (std::getline(in, line))
        if (line.rfind("AL lib:", 0) != 0) kept += line + "\n";
    return kept;
}

void ExpectShowRanAndClosed(const Outcome& o) {
    EXPECT_FALSE(Crashed(o)) << o.out << o.err;
    EXPECT_TRUE(o.window_seen) << o.out << o.err;
    EXPECT_TRUE(o.closed_by_request);
    EXPECT_TRUE(o.exited) << "signal " << o.signal << "\n" << o.out << o.err;
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find("Playing "), std::string::npos) << o.out;
}

void ExpectLoadMessageAndAbort(const Outcome& o) {
    EXPECT_FALSE(Crashed(o)) << o.out << o.err;
    EXPECT_EQ(o.signal, SIGABRT) << "status " << o.status << "\n" << o.out << o.err;
    EXPECT_EQ(o.err.rfind("Could not load module \"spartanic.xm\", reason: ", 0), 0u) << o.err;
    EXPECT_EQ(o.out.find("Playing "), std::string::npos) << o.out;
}

class BadDataFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer()); }
    RunFolder run;
};

}  // namespace

TEST_F(BadDataFiles, IntactFilesRunTheShowUntilClosed) {
    Outcome o = run.Run(kQuietAudio);
    ExpectShowRanAndClosed(o);
    EXPECT_EQ(OurErrors(o.err), "");
}

// Every broken form of the demo font falls back to the default font, and
// says nothing. One test per form: each runs in a process of its own with
// its own X server, so one slow run cannot take the others down with it.
void ExpectFallbackWithBrokenFont(const RunFolder& run, void (*edit)(const fs::path&, const std::string&)) {
    const fs::path font = run.Data() / "fonti.png";
    edit(font, ReadBytes(font));
    Outcome o = run.Run(kQuietAudio, std::chrono::seconds(2));
    ExpectShowRanAndClosed(o);
    EXPECT_EQ(OurErrors(o.err), "");
}

TEST_F(BadDataFiles, AMissingDemoFontFallsBackSilently) {
    ExpectFallbackWithBrokenFont(run, [](const fs::path& f, const std::string&) { fs::remove(f); });
}

TEST_F(BadDataFiles, AnEmptyDemoFontFallsBackSilently) {
    ExpectFallbackWithBrokenFont(run, [](const fs::path& f, const std::string&) { WriteBytes(f, ""); });
}

TEST_F(BadDataFiles, ATruncatedDemoFontFallsBackSilently) {
    ExpectFallbackWithBrokenFont(
        run, [](const fs::path& f, const std::string& p) { WriteBytes(f, p.substr(0, p.size() / 2)); });
}

TEST_F(BadDataFiles, ADemoFontThatIsNoPngFallsBackSilently) {
    ExpectFallbackWithBrokenFont(run, [](const fs::path& f, const std::string&) { WriteBytes(f, "just some text\n"); });
}

TEST_F(BadDataFiles, ADemoFontNarrowerThanItsCellsFallsBack) {
    const fs::path font = run.Data() / "fonti.png";
    // 90 pixels for 91 cells: no cell is a pixel wide.
    ASSERT_EQ(std::system(("convert -size 90x16 xc:white " + font.string()).c_str()), 0);
    ExpectShowRanAndClosed(run.Run(kQuietAudio, std::chrono::seconds(2)));
}

TEST_F(BadDataFiles, WithoutAnyFontTheShowRunsWithoutTextAndSaysSo) {
    fs::remove(run.Data() / "fonti.png");
    fs::remove(run.Data() / "kova_font.png");
    Outcome o = run.Run(kQuietAudio);
    ExpectShowRanAndClosed(o);
    EXPECT_NE(o.err.find("No font could be loaded"), std::string::npos) << o.err;
}

// Anything but a loadable module ends the program with the load message,
// as a missing one does: no music is not the show.
TEST_F(BadDataFiles, ABrokenModuleEndsWithTheLoadMessage) {
    const fs::path module = run.Dir() / "spartanic.xm";
    const std::string xm = ReadBytes(module);
    struct Case {
        const char* what;
        std::string bytes;  // "" with `remove` set: the file is deleted
        bool remove;
    } cases[] = {
        {"missing", "", true},
        {"empty", "", false},
        {"header only", xm.substr(0, 60), false},
        {"a PNG renamed", ReadBytes(fs::path(MOONLIT_SOURCE_DIR) / "data" / "fonti.png"), false},
    };
    for (const Case& c : cases) {
        if (c.remove)
            fs::remove(module);
        else
            WriteBytes(module, c.bytes);
        SCOPED_TRACE(c.what);
        ExpectLoadMessageAndAbort(run.Run(kQuietAudio));
    }
}

// A module cut anywhere past its header either loads what is there or is
// refused with the load message; it never brings the program down.
TEST_F(BadDataFiles, ATruncatedModuleNeverCrashes) {
    const fs::path module = run.Dir() / "spartanic.xm";
    const std::string xm = ReadBytes(module);
    for (size_t keep : {xm.size() / 8, xm.size() / 2, xm.size() - 1}) {
        WriteBytes(module, xm.substr(0, keep));
        Outcome o = run.Run(kQuietAudio, std::chrono::seconds(2));
        SCOPED_TRACE("kept " + std::to_string(keep) + " bytes");
        if (o.signal == SIGABRT) {
            ExpectLoadMessageAndAbort(o);
        } else {
            ExpectShowRanAndClosed(o);
        }
    }
}

TEST_F(BadDataFiles, AnUnreadableDataFolderRunsWithoutText) {
    // Permissions do not hold for root: run as nobody then.
    std::string user = geteuid() == 0 ? "65534" : "";
    chmod(run.Data().c_str(), 0);
    Outcome o = run.Run(kQuietAudio, std::chrono::seconds(3), user);
    ExpectShowRanAndClosed(o);
    EXPECT_NE(o.err.find("No font could be loaded"), std::string::npos) << o.err;
}

TEST_F(BadDataFiles, WithoutADisplayGlfwInitFails) {
    Outcome o = run.Run("-u DISPLAY -u WAYLAND_DISPLAY " + kQuietAudio);
    EXPECT_FALSE(Crashed(o)) << o.out << o.err;
    EXPECT_FALSE(o.window_seen);
    EXPECT_TRUE(o.exited);
    EXPECT_EQ(o.status, 255);
    EXPECT_NE(o.out.find("GLFW Error: err="), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("glfwInit failed\n"), std::string::npos) << o.out;
}

// No SDL driver named, no sound server, no ALSA card: libmikmod finds no
// output and OpenAL no device. The show runs silently and says why.
TEST_F(BadDataFiles, WithoutASoundDeviceTheShowRunsSilently) {
    Outcome o = run.Run("-u SDL_AUDIODRIVER PULSE_SERVER=unix:/nonexistent ALSA_CONFIG_PATH=/nonexistent "
                        "ALSOFT_DRIVERS=none AUDIODEV=/nonexistent");
    EXPECT_FALSE(Crashed(o)) << o.out << o.err;
    EXPECT_TRUE(o.window_seen);
    EXPECT_TRUE(o.exited);
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.err.find("Could not initialize sound, reason: "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("Music is off (no sound output): not playing \"spartanic.xm\""), std::string::npos)
        << o.err;
    EXPECT_NE(o.out.find("OpenAl error: alcOpenDevice failed"), std::string::npos) << o.out;
}
