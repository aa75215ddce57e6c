// The module player on the real libmikmod, driven through a child process:
// with SDL's dummy output it loads, announces and plays modules; a missing
// file ends the process with the load message; without a working output the
// music is off and nothing crashes.
#include <filesystem>

#include "tests/audio/sound_files.h"
#include "tests/audio/tiny_module.h"
#include "tests/support/child_process.h"

namespace {

// The number that follows `label` in text, or -1 when the label is missing.
long long NumberAfter(const std::string& text, const std::string& label) {
    size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::stoll(text.substr(at + label.size()));
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

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
    ChildResult r = RunChild(kProbe + " play " + first, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FirstLine(r.out), "Playing harbour lights (8 chn)\n");
    // The player moved on through the pattern while it was pumped.
    EXPECT_GT(NumberAfter(r.out, "module harbour lights active 1 row "), 0) << r.out;
    EXPECT_NE(r.out.find("paused 1\n"), std::string::npos);
    // Two stops: the module is gone and the player idle.
    EXPECT_NE(r.out.find("module (none) active 0"), std::string::npos) << r.out;
}

TEST_F(ModuleMusic, SecondModuleReplacesAndFreesTheFirst) {
    ChildResult r = RunChild(kProbe + " play " + first + " " + second, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Playing harbour lights (8 chn)\nmodule harbour lights active 1"), std::string::npos);
    EXPECT_NE(r.out.find("Playing low tide (8 chn)\nmodule low tide active 1"), std::string::npos) << r.out;

    // Forty loads of the same module: an unfreed module would keep more
    // than 2 KB each; libmikmod itself keeps a few hundred bytes per start.
    r = RunChild(kProbe + " reload " + first + " 40", "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_NE(r.out.find("growth "), std::string::npos) << r.out;
    EXPECT_LT(NumberAfter(r.out, "growth "), 38 * 1024);
}

TEST_F(ModuleMusic, NamesInTheLocaleEncodingReachTheLoader) {
    std::string accented = dir / "m\xC3\xA9lodie.mod";
    std::filesystem::copy_file(first, accented);
    ChildResult r = RunChild(kProbe + " play '" + accented + "'", "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Playing harbour lights (8 chn)"), std::string::npos);
}

TEST_F(ModuleMusic, MissingFileEndsTheProcessWithTheLoadMessage) {
    std::string missing = dir / "spartanic.xm";
    ChildResult r = RunChild(kProbe + " play " + missing + " " + first, "", kDummyOutput);
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.err.rfind("Could not load module \"" + missing + "\", reason: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out.find("Playing"), std::string::npos);
}

TEST_F(ModuleMusic, WithoutOutputTheMusicIsOffAndNothingCrashes) {
    ChildResult r = RunChild(kProbe + " play " + first + " " + second, "", kBrokenOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("Could not initialize sound, reason: ", 0), 0u) << r.err;
    EXPECT_GT(FirstLine(r.err).size(), std::string("Could not initialize sound, reason: \n").size());
    // One line per PlayModule, and the library was never asked to load.
    EXPECT_NE(r.err.find("Music is off (no sound output): not playing \"" + first + "\"\n"), std::string::npos);
    EXPECT_NE(r.err.find("Music is off (no sound output): not playing \"" + second + "\"\n"), std::string::npos);
    EXPECT_EQ(r.out.find("Playing"), std::string::npos);
    EXPECT_NE(r.out.find("module (none) active 0 row 0"), std::string::npos) << r.out;
}

TEST(DemoModule, LoadsAsEightChannels) {
    std::string module = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";
    ASSERT_TRUE(std::filesystem::exists(module));
    ChildResult r = RunChild(kProbe + " play " + module, "", kDummyOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string line = FirstLine(r.out);
    EXPECT_EQ(line.rfind("Playing ", 0), 0u) << r.out;
    EXPECT_GT(line.size(), std::string("Playing  (8 chn)\n").size());
    EXPECT_EQ(line.substr(line.size() - 9), " (8 chn)\n") << r.out;
}

}  // namespace
