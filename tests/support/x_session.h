// An X server of the test's own: every test process that opens windows
// starts a private Xvfb (1024 x 768, 24 bits, unless the test asks for
// another screen) and points DISPLAY at it, so that synthetic input never
// lands in another test's window. Also small
// helpers to run the X tools (xdotool, xdpyinfo, python3-xlib).
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace xsession {

inline pid_t& ServerPid() {
    static pid_t pid = 0;
    return pid;
}

// The process that started the server: a forked child (a death test's)
// runs the exit handlers too, and must leave its parent's server alone.
inline pid_t& ServerOwner() {
    static pid_t pid = 0;
    return pid;
}

inline void StopServer() {
    if (ServerPid() > 0 && ServerOwner() == getpid()) {
        kill(ServerPid(), SIGTERM);
        waitpid(ServerPid(), nullptr, 0);
        ServerPid() = 0;
    }
}

// Starts Xvfb with a screen of `screen` (WIDTHxHEIGHTxDEPTH) and waits
// until it reports its display number. False if it could not be started.
inline bool StartServer(const char* screen = "1024x768x24") {
    if (ServerPid() > 0) return true;
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        // -noreset: an X server otherwise resets when its last client leaves
        // and refuses connections meanwhile, so a program started just after
        // another one ended (or after a tool's query) found no display.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid < 0) return false;
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    ServerPid() = pid;
    ServerOwner() = getpid();
    setenv("DISPLAY", (":" + number).c_str(), 1);
    std::atexit(StopServer);
    return true;
}

// Runs a shell command and returns its standard output.
inline std::string Capture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

inline int Run(const std::string& command) { return std::system(command.c_str()); }

// Asks the window to close the way a window manager's close button does.
inline int SendDeleteWindow(const std::string& window_id) {
    return Run(std::string(MOONLIT_SOURCE_DIR) + "/scripts/close-window " + window_id);
}

}  // namespace xsession
