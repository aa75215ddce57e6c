// The module player on the real libmikmod, in a child process (a failed load
// ends it): with SDL's dummy output it loads, announces, plays, pauses and
// stops modules, and a second replaces the first; anything it cannot load
// ends the process with the load message; a module cut short either plays
// what is there or gives that message; without a working output the music
// is off and nothing crashes.
#include <gtest/gtest.h>

#include <csignal>

#include "support/program_run.h"
#include "tests/audio/tiny_module.h"

namespace {

// An output that libmikmod picks (SDL) but cannot open; the others that
// could come before it or stand in for it are made unavailable.
const std::vector<std::string> kBrokenOutput = {"PULSE_SERVER=unix:/nonexistent", "SDL_AUDIODRIVER=disk",
                                                "SDL_DISKAUDIOFILE=/nonexistent/out.raw", "ALSOFT_DRIVERS=none"};
const std::string kModule = std::string(MOONLIT_SOURCE_DIR) + "/data/spartanic.xm";
constexpr int kAborted = 128 + SIGABRT;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class ModuleMusic : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTinyModule(first, "harbour lights");
        WriteTinyModule(second, "low tide");
    }
    static Outcome Probe(std::vector<std::string> args, const std::vector<std::string>& env = QuietAudio()) {
        Launch launch(MODULE_MUSIC_PROBE, std::move(args));
        launch.env = env;
        return RunToEnd(launch);
    }
    TempFolder folder{"module"};
    std::string first = folder / "first.mod", second = folder / "second.mod";
};

TEST_F(ModuleMusic, PlaysAnnouncesAndReplacesModules) {
    std::string accented = folder / "m\xC3\xA9lodie.mod";  // names reach the loader in the locale's encoding
    std::filesystem::copy_file(first, accented);
    struct Row {
        std::vector<std::string> args, printed;
    } rows[] = {
        {{"play", first}, {"Playing harbour lights (8 chn)\nmodule harbour lights active 1 row ", "paused 1\n",
                 "module (none) active 0"}},
        {{"play", first, second}, {"Playing harbour lights (8 chn)\nmodule harbour lights active 1",
                                "Playing low tide (8 chn)\nmodule low tide active 1"}},
        {{"play", accented}, {"Playing harbour lights (8 chn)\n"}},
        {{"play", kModule}, {"Playing Low Tide Lanterns (8 chn)\n"}},
    };
    for (const Row& row : rows) {
        Outcome r = Probe(row.args);
        EXPECT_EQ(r.status, 0) << row.args[1] << r.err;
        for (const std::string& line : row.printed) EXPECT_TRUE(Has(r.out, line)) << line << " in\n" << r.out;
        // The player moved on through the pattern while it was pumped.
        EXPECT_FALSE(Has(r.out, "active 1 row 0\n")) << r.out;
    }
}

// Forty loads of the same module: an unfreed module would keep more than
// 2 KB each; libmikmod itself keeps a few hundred bytes per start.
TEST_F(ModuleMusic, ReloadingFreesTheModuleBefore) {
    Outcome r = Probe({"reload", first, "40"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(Has(r.out, "growth ")) << r.out;
    EXPECT_LT(std::stoll(r.out.substr(r.out.find("growth ") + 7)), 38 * 1024);
}

// Anything but a loadable module ends the process with the load message;
// a module cut past its header may also load what is there.
TEST_F(ModuleMusic, WhatCannotBeLoadedEndsWithTheLoadMessage) {
    const std::string xm = ReadFileBytes(kModule);
    struct Row {
        const char* what;
        std::string bytes;
        bool may_play;
    } rows[] = {
        {"missing", "", false},
        {"empty", "", false},
        {"header only", xm.substr(0, 60), false},
        {"a PNG renamed", ReadFileBytes(std::string(MOONLIT_SOURCE_DIR) + "/data/fonti.png"), false},
        {"an eighth", xm.substr(0, xm.size() / 8), true},
        {"half", xm.substr(0, xm.size() / 2), true},
        {"all but a byte", xm.substr(0, xm.size() - 1), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::string module = folder / "spartanic.xm";
        std::filesystem::remove(module);
        if (std::string(row.what) != "missing") WriteFileBytes(module, row.bytes);
        Outcome r = Probe({"play", module});
        EXPECT_FALSE(r.Crashed()) << r.err;
        if (row.may_play && r.status == 0) {
            EXPECT_TRUE(Has(r.out, "Playing ")) << r.out;
            continue;
        }
        EXPECT_EQ(r.status, kAborted) << r.err;
        EXPECT_EQ(r.err.rfind("Could not load module \"" + module + "\", reason: ", 0), 0u) << r.err;
        EXPECT_FALSE(Has(r.out, "Playing")) << r.out;
    }
}

TEST_F(ModuleMusic, WithoutOutputTheMusicIsOffAndNothingCrashes) {
    Outcome r = Probe({"play", first, second}, kBrokenOutput);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("Could not initialize sound, reason: ", 0), 0u) << r.err;
    EXPECT_FALSE(Has(r.err, "reason: \n")) << "the reason is given";
    // One line per PlayModule, and the library was never asked to load.
    for (const std::string& file : {first, second})
        EXPECT_TRUE(Has(r.err, "Music is off (no sound output): not playing \"" + file + "\"\n")) << r.err;
    EXPECT_FALSE(Has(r.out, "Playing"));
    EXPECT_TRUE(Has(r.out, "module (none) active 0 row 0")) << r.out;
}

}  // namespace
