// An X server of the test's own: a test process that opens windows starts a
// private Xvfb and points DISPLAY at it, so synthetic input never lands in
// another test's window. Also helpers to run the X tools.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/temp_folder.h"

namespace xsession {

inline pid_t server_pid = 0;
// The process that started it: a forked child (a death test's) runs the exit
// handlers too, and must leave its parent's server alone.
inline pid_t server_owner = 0;

inline void StopServer() {
    if (server_pid <= 0 || server_owner != getpid()) return;
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
    server_pid = 0;
}

// Starts Xvfb with a screen of `screen` (WIDTHxHEIGHTxDEPTH) and waits until
// it reports its display number. False if it could not be started.
inline bool StartServer(const char* screen = "1024x768x24") {
    if (server_pid > 0) return true;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const std::string fd = std::to_string(fds[1]);
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // A test that crashes must not leave its server behind, holding the
        // output pipe the test runner waits on until its timeout.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        // -noreset: the server would otherwise reset when its last client
        // leaves and refuse connections meanwhile.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    for (char c; pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    close(fds[0]);
    if (number.empty()) return false;
    server_pid = pid;
    server_owner = getpid();
    setenv("DISPLAY", (":" + number).c_str(), 1);
    std::atexit(StopServer);
    return true;
}

// A shell command's standard output without its trailing blanks.
inline std::string Capture(const std::string& command) {
    std::string out = Shell(command).out;
    return out.erase(out.find_last_not_of("\n ") + 1);
}

inline int Run(const std::string& command) { return std::system(command.c_str()); }

// Asks the window to close the way a window manager's close button does.
inline int SendDeleteWindow(const std::string& window_id) {
    return Run(std::string(MOONLIT_SOURCE_DIR) + "/scripts/close-window " + window_id);
}

}  // namespace xsession
