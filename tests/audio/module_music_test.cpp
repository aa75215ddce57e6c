// The module player on the real libmikmod, driven through a child process:
// with SDL's dummy output it loads, announces and plays modules; a missing
// file ends the process with the load message; without a working output the
// music is off and nothing crashes.
#include <filesystem>
#include <regex>

#include "tests/audio/sound_files.h"
#include "tests/audio/tiny_module.h"
#include "tests/support/child_process.h"

namespace {

const std::string kProbe = MODULE_MUSIC_PROBE;
const std::string kDummyOutput = "SDL_AUDIODRIVER=dummy";
// An output that libmikmod picks (SDL) but cannot open; the others that
// could come before it or stand in for it are made unavailable.
const std::string kBrokenOutput =
    "PULSE_SERVER=unix:/nonexistent SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/nonexistent/out.raw "
    "ALSOFT_DRIVERS=none";

class ModuleMusic : public ::testing::Test {
protected:
    ScratchFolder dir;
    std::string first = dir / "first.mod";
    std::string second = dir / "second.mod";
    void SetUp() override {
        WriteTinyModule(first, "harbour lights");
        WriteTinyModule(second, "low tide");
    }
};

TEST_F(ModuleMusic, AnnouncesPlaysAndStops) {
    ChildResult r = run_child(kProbe + " play " + first, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("^Playing harbour lights \\(8 chn\\)\n"))) << r.out;
    // The player moved on through the pattern while it was pumped.
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("module harbour lights active 1 row (\\d+)\n"))) << r.out;
    EXPECT_GT(std::stoi(m[1]), 0);
    EXPECT_NE(r.out.find("paused 1\n"), std::string::npos);
    // Two stops: the module is gone and the player idle.
    EXPECT_NE(r.out.find("module (none) active 0"), std::string::npos) << r.out;
}

TEST_F(ModuleMusic, SecondModuleReplacesAndFreesTheFirst) {
    ChildResult r = run_child(kProbe + " play " + first + " " + second, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Playing harbour lights (8 chn)\nmodule harbour lights active 1"), std::string::npos);
    EXPECT_NE(r.out.find("Playing low tide (8 chn)\nmodule low tide active 1"), std::string::npos) << r.out;

    // Forty loads of the same module: an unfreed module would keep more
    // than 2 KB each; libmikmod itself keeps a few hundred bytes per start.
    r = run_child(kProbe + " reload " + first + " 40", "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("growth (-?\\d+)"))) << r.out;
    EXPECT_LT(std::stoll(m[1]), 38 * 1024);
}

TEST_F(ModuleMusic, NamesInTheLocaleEncodingReachTheLoader) {
    std::string accented = dir / "m\xC3\xA9lodie.mod";
    std::filesystem::copy_file(first, accented);
    ChildResult r = run_child(kProbe + " play '" + accented + "'", "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Playing harbour lights (8 chn)"), std::string::npos);
}

TEST_F(ModuleMusic, MissingFileEndsTheProcessWithTheLoadMessage) {
    std::string missing = dir / "spartanic.xm";
    ChildResult r = run_child(kProbe + " play " + missing + " " + first, "", kDummyOutput);
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.rfind("Could not load module \"" + missing + "\", reason: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out.find("Playing"), std::string::npos);
}

TEST_F(ModuleMusic, WithoutOutputTheMusicIsOffAndNothingCrashes) {
    ChildResult r = run_child(kProbe + " play " + first + " " + second, "", kBrokenOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.err, m, std::regex("Could not initialize sound, reason: .+\n"))) << r.err;
    // One line per PlayModule, and the library was never asked to load.
    EXPECT_NE(r.err.find("Music is off (no sound output): not playing \"" + first + "\"\n"), std::string::npos);
    EXPECT_NE(r.err.find("Music is off (no sound output): not playing \"" + second + "\"\n"), std::string::npos);
    EXPECT_EQ(r.out.find("Playing"), std::string::npos);
    EXPECT_NE(r.out.find("module (none) active 0 row 0"), std::string::npos) << r.out;
}

TEST(DemoModule, LoadsAsEightChannels) {
    std::string module = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";
    if (!std::filesystem::exists(module)) GTEST_SKIP() << "data/spartanic.xm is not in the tree yet";
    ChildResult r = run_child(kProbe + " play " + module, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    std::smatch m;
    EXPECT_TRUE(std::regex_search(r.out, m, std::regex("^Playing .+ \\(8 chn\\)\n"))) << r.out;
}

}  // namespace
