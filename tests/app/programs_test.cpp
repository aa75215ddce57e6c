// Programs on the framework as processes: the demo answers its command line
// without a display (statuses and texts exactly), and the examples open their
// window, run, and end with status 0 on a close request (the default OnClose),
// having said what they did.
#include <gtest/gtest.h>

#include "support/program_run.h"
#include "support/x_session.h"

namespace {

TEST(CommandLine, IsAnsweredWithoutADisplay) {
    const std::string usage = "Usage: moonlit-harbor [--scale N | --fullscreen]\n";
    const std::string hint = "\nTry 'moonlit-harbor --help'.\n";
    const std::string bad_scale = "moonlit-harbor: --scale wants a whole number from 1 to 8" + hint;
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out_start, err;
    } rows[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h"}, 0, usage, ""},
        {{"--version"}, 0, "moonlit-harbor " MOONLIT_VERSION "\n", ""},
        {{"--bogus"}, 2, "", "moonlit-harbor: unknown option --bogus" + hint},
        {{"spartanic.xm"}, 2, "", "moonlit-harbor: unexpected argument spartanic.xm" + hint},
        {{"--scale"}, 2, "", bad_scale},
        {{"--scale", "0"}, 2, "", bad_scale},
        {{"--scale=9"}, 2, "", bad_scale},
        {{"--scale", "2x"}, 2, "", bad_scale},
        {{"--scale", "2", "--fullscreen"}, 2, "", "moonlit-harbor: give --scale or --fullscreen, not both" + hint},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + (row.args.size() > 1 ? " " + row.args[1] : ""));
        Launch launch(MOONLIT_DEMO_PROGRAM, row.args);
        launch.env.push_back("-DISPLAY");
        Outcome o = RunToEnd(launch);
        EXPECT_EQ(o.status, row.status);
        EXPECT_EQ(o.out.substr(0, row.out_start.size()), row.out_start);
        EXPECT_EQ(o.out.empty(), row.out_start.empty());
        EXPECT_EQ(o.err, row.err);
    }
    // A program that takes an argument of its own names it in its usage.
    Outcome frames = RunToEnd(Launch(MOONLIT_DEMO_FRAMES_PROGRAM, {"--help"}));
    EXPECT_EQ(frames.out.rfind("Usage: demo_frames [--scale N | --fullscreen] [FRAMES]\n", 0), 0u);
}

TEST(Examples, RunUntilAskedToCloseAndSayWhatTheyDid) {
    ASSERT_TRUE(xsession::StartServer());
    const struct {
        std::string program;
        std::string out_start;
    } rows[] = {
        {SPINE_EXAMPLE, "spine-example: created 1 updated "},
        {SOUND_EXAMPLE, "Playing Low Tide Lanterns (8 chn)\nsound-example: wave playing, ogg playing\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.program);
        // Each finds its data beside it.
        RunningProgram program(Launch(row.program, {}, std::filesystem::path(row.program).parent_path()));
        const std::string window = program.WaitForWindow();
        ASSERT_FALSE(window.empty()) << program.Wait().err;
        ASSERT_TRUE(program.KeepsRunning(std::chrono::milliseconds(800))) << program.Wait().err;
        const Outcome o = program.Close(window);
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.out.rfind(row.out_start, 0), 0u) << o.out;
        EXPECT_EQ(o.err, "");
    }
}

}  // namespace
