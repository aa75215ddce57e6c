// The harness for tests that run a program as a child process (the demo,
// examples, tools, Wine): output to files of its own, the window found by
// process and title, closed as a close button asks, killed and reaped if the
// test lets go early. Waits are on conditions; limits are a safety net.
#pragma once

#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

struct Outcome {
    int status = -1;  // exit status 0..255; 128 + signal when killed; -1 still running
    int signal = 0;   // the fatal signal, 0 if none
    bool window_seen = false;
    std::string out, err;
};

struct Launch {
    Launch(std::string program, std::vector<std::string> args = {}, std::filesystem::path folder = {})
        : program(std::move(program)), args(std::move(args)), folder(std::move(folder)) {}

    std::string program;  // a path, or a name looked up on PATH ("wine")
    std::vector<std::string> args;
    std::filesystem::path folder;  // working directory; empty: the test's
    // "VAR=value" sets, "-VAR" unsets; by default sound plays into nothing.
    std::vector<std::string> env = {"SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=null"};
    std::string input;  // standard input
};

class RunningProgram {
public:
    explicit RunningProgram(const Launch& launch);
    ~RunningProgram();  // kills and reaps it if it still runs
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Its window's id, by process and title (GLFW's hidden helper window
    // shares the process); "" when it ended first or the limit passed.
    // by_pid=false when the window belongs to another process (Wine).
    std::string WaitForWindow(std::chrono::seconds limit = std::chrono::seconds(20), bool by_pid = true);
    // Waits `span` unless it ends sooner; true if it still runs.
    bool KeepsRunning(std::chrono::milliseconds span);
    // Asks the window to close, again each second, until the program ends.
    Outcome Close(const std::string& window);
    // Waits for its own end; killed at the limit.
    Outcome Wait(std::chrono::seconds limit = std::chrono::seconds(60));

private:
    // True once it has ended; `options` 0 waits for that.
    bool Reaped(int options = WNOHANG);

    TempFolder files_{"run"};
    pid_t pid_ = -1;
    Outcome outcome_;
};

// Runs a program that opens no window (answers, probes, tools) to its end.
Outcome RunToEnd(const Launch& launch, std::chrono::seconds limit = std::chrono::seconds(60));

// A run folder as a user has it: a copy of `program` (it finds data/ beside
// its own executable, so a link would not do), data/ with both fonts and
// the icons, and the music module. Returns the launch of that copy there.
Launch LayOutShow(const std::filesystem::path& folder, const std::string& program);
