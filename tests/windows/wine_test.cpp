// The Windows build under Wine: the show's window at 640 x 480 with its icon
// and the show, a close request ending it with status 0, its messages without
// sound; then the Windows platform file's checks. Both run from a folder the
// 8-bit code page cannot spell: only the UTF-16 file calls find anything.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cstdlib>

#include "support/images.h"
#include "support/program_run.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;
const fs::path kShowFolder = MOONLIT_WINDOWS_OUT, kCheckProgram = MOONLIT_WINDOWS_CHECK;

// Installs wine when missing, starts the X server and makes the prefix once
// ($MOONLIT_WINE_PREFIX, else in the user's cache), locked for this run.
bool WineReady() {
    static const bool ready = [] {
        const char* chosen = std::getenv("MOONLIT_WINE_PREFIX");
        const fs::path prefix = chosen ? chosen : fs::path(std::getenv("HOME")) / ".cache/moonlit-harbor/wine-prefix";
        setenv("WINEPREFIX", prefix.c_str(), 1);
        // No Mono or Gecko installers, no ALSA or Pulse audio; Unix file
        // names are UTF-8 to Wine.
        for (const char* setting : {"WINEARCH=win64", "WINEDEBUG=-all", "LC_ALL=C.UTF-8",
                                    "WINEDLLOVERRIDES=mscoree,mshtml=;winealsa.drv,winepulse.drv=d"})
            putenv(const_cast<char*>(setting));
        const std::string install = "bash -c 'log() { echo \"$@\"; }; . " MOONLIT_SOURCE_DIR
                                    "/scripts/debian-sources.sh && install_packages wine wine64' >&2";
        fs::create_directories(prefix.parent_path());
        const int lock = open((prefix.string() + ".lock").c_str(), O_CREAT | O_RDWR, 0644);  // held to the end
        if (Shell(install).status != 0 || flock(lock, LOCK_EX) != 0 || !xsession::StartServer()) return false;
        if (fs::exists(prefix / ".moonlit-ready")) return true;  // else made, or half made: made again
        for (const char* step : {"wineboot --init", "wineserver -w",
                                 "wine reg add 'HKCU\\Software\\Wine\\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f",
                                 "wine reg add 'HKCU\\Software\\Wine\\Drivers' /v Audio /t REG_SZ /d '' /f", "wineserver -w"})
            if (Shell(std::string("timeout 600 ") + step + " >&2").status != 0) return false;
        WriteFileBytes(prefix / ".moonlit-ready", "");
        return true;
    }();
    return ready;
}

struct UnderWine : ::testing::Test {
    void SetUp() override {
        if (!fs::exists(kShowFolder / "moonlit-harbor.exe")) GTEST_SKIP() << "no Windows build: make windows";
        ASSERT_TRUE(WineReady());
        fs::create_directories(folder);
    }
    static void TearDownTestSuite() { Shell("timeout 30 wineserver -k"); }

    TempFolder scratch{"wine"};
    const fs::path folder = scratch.Path() / "港の灯 Hafen-Ü";
};

TEST_F(UnderWine, TheShowOpensItsWindowAndClosesWithStatusZero) {
    fs::copy(kShowFolder, folder, fs::copy_options::recursive);
    Launch launch("wine", {"./moonlit-harbor.exe"}, folder);
    launch.env = {"-ALSOFT_DRIVERS"};  // no sound here: no OpenAL back end chosen from the environment
    RunningProgram program(launch);
    const std::string window = program.WaitForWindow(std::chrono::seconds(180), false);
    ASSERT_FALSE(window.empty()) << program.Wait().out;
    // The first frames may still be on their way, and Wine passes the icon
    // on in its own time.
    Image shot;
    bool icon = false;
    for (int tries = 0; tries < 100 && !(icon && ShowsTheShow(shot)); ++tries) {
        ASSERT_TRUE(program.KeepsRunning(std::chrono::milliseconds(300))) << program.Wait().out;
        shot = Screenshot(window);
        icon = Shell("xprop -id " + window + " _NET_WM_ICON").out.find("Icon (64 x 64)") != std::string::npos;
    }
    EXPECT_EQ(std::make_pair(shot.width, shot.height), std::make_pair(640, 480));
    EXPECT_TRUE(ShowsTheShow(shot));
    EXPECT_TRUE(icon);
    Outcome o = program.Close(window);
    EXPECT_EQ(o.status, 0);
    // OpenAL finds no device; libmikmod, finding neither DirectSound nor
    // WinMM output, plays the module on its no-sound driver. Wine keeps the
    // program's CR LF line ends.
    o.out.erase(std::remove(o.out.begin(), o.out.end(), '\r'), o.out.end());
    EXPECT_EQ(o.out, "OpenAl error: alcOpenDevice failed\nPlaying Low Tide Lanterns (8 chn)\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(UnderWine, ThePlatformChecksPassAndWriteTheirFileByItsUtf16Name) {
    if (!fs::exists(kCheckProgram)) GTEST_SKIP() << "no Windows build: make windows";
    fs::copy_file(kCheckProgram, folder / kCheckProgram.filename());
    const Outcome o = RunToEnd({"wine", {"./" + kCheckProgram.filename().string()}, folder}, std::chrono::seconds(120));
    EXPECT_EQ(o.status, 0) << o.out;
    EXPECT_NE(o.out.find(" passed, 0 failed"), std::string::npos) << o.out;
    EXPECT_TRUE(fs::exists(folder / "Ü港.txt"));
}

}  // namespace
