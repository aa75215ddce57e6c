// The sound example as its own process on a private X server, with openal-
// soft's null output and SDL's dummy output: it announces the module, keeps
// its WAVE and Ogg samples playing, and ends with status 0 on a close
// request.
#include <gtest/gtest.h>

#include <string>

#include "support/x_session.h"
#include "tests/support/child_process.h"

TEST(SoundExample, PlaysBothSamplesAndTheModuleUntilClosed) {
    ASSERT_TRUE(xsession::StartServer());
    std::string out = "/tmp/moonlit-sound-example-" + std::to_string(getpid()) + ".out";
    pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen(out.c_str(), "w", stdout)) _exit(120);
        setenv("ALSOFT_DRIVERS", "null", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(SOUND_EXAMPLE, SOUND_EXAMPLE, static_cast<char*>(nullptr));
        _exit(121);
    }
    ASSERT_GT(pid, 0);
    std::string window = xsession::Capture(
        "timeout 20 xdotool search --sync --onlyvisible --name '^Moonlit Harbor by torvin/brinecrew$'");
    ASSERT_FALSE(window.empty());
    usleep(500000);  // let it play for a moment
    ASSERT_EQ(xsession::SendDeleteWindow(window), 0);

    int status = -1;
    for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (!WIFEXITED(status)) kill(pid, SIGKILL);
    ASSERT_TRUE(WIFEXITED(status)) << "still running or killed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string printed = ReadWholeFile(out);
    std::remove(out.c_str());
    EXPECT_EQ(printed, "Playing Low Tide Lanterns (8 chn)\nsound-example: wave playing, ogg playing\n");
}
