// The example application, run as its own process on a private X server:
// it opens the game window, runs its loop, and a window-manager close
// request ends it with status 0.
#include <gtest/gtest.h>

#include <string>

#include "support/x_session.h"

TEST(SpineExample, OpensItsWindowAndEndsWithStatusZeroOnACloseRequest) {
    ASSERT_TRUE(xsession::StartServer());
    std::string out = "/tmp/moonlit-spine-" + std::to_string(getpid()) + ".out";
    pid_t pid = fork();
    if (pid == 0) {
        if (!std::freopen(out.c_str(), "w", stdout)) _exit(120);
        setenv("ALSOFT_DRIVERS", "null", 0);  // no sound card needed
        execl(SPINE_EXAMPLE, SPINE_EXAMPLE, static_cast<char*>(nullptr));
        _exit(121);
    }
    ASSERT_GT(pid, 0);
    std::string window =
        xsession::Capture("timeout 20 xdotool search --sync --onlyvisible --name '^Moonlit Harbor by torvin/brinecrew$'");
    ASSERT_FALSE(window.empty());
    EXPECT_NE(xsession::Capture("xdotool getwindowgeometry " + window).find("Geometry: 640x480"), std::string::npos);
    usleep(300000);  // let it run a few passes
    ASSERT_EQ(xsession::SendDeleteWindow(window), 0);

    int status = -1;
    for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
    ASSERT_TRUE(WIFEXITED(status)) << "still running or killed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string printed = xsession::Capture("cat " + out);
    EXPECT_NE(printed.find("spine-example: created 1 updated "), std::string::npos) << printed;
    std::remove(out.c_str());
}
