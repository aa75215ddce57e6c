// The child-process harness (program_run.h): fork and exec with the run's
// own output files, polling for the window, the close request and the end.
#include "support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "support/x_session.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kPoll = std::chrono::milliseconds(50);

// In the child: the environment changes, then the program.
[[noreturn]] void Exec(const Launch& launch, const fs::path& files) {
    if (!launch.folder.empty() && chdir(launch.folder.c_str()) != 0) _exit(126);
    int in = open((files / "in").c_str(), O_RDONLY);
    int out = open((files / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open((files / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    for (const std::string& entry : launch.env) {
        if (entry.empty()) continue;
        if (entry[0] == '-') {
            unsetenv(entry.c_str() + 1);
        } else if (size_t equals = entry.find('='); equals != std::string::npos) {
            setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
        }
    }
    std::vector<char*> argv{const_cast<char*>(launch.program.c_str())};
    for (const std::string& arg : launch.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

}  // namespace

bool Outcome::Crashed() const {
    if (signal != 0 && signal != SIGABRT) return true;
    for (const char* report : {"Memory access violation", "Illegal instruction", "Floating point exception"})
        if (out.find(report) != std::string::npos) return true;
    return false;
}

std::vector<std::string> QuietAudio() { return {"SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=null"}; }

RunningProgram::RunningProgram(const Launch& launch) {
    WriteFileBytes(files_ / "in", launch.input);
    pid_ = fork();
    if (pid_ == 0) Exec(launch, files_.Path());
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && outcome_.status == -1) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool RunningProgram::Reaped() {
    if (outcome_.status != -1) return true;
    int raw = 0;
    if (pid_ <= 0 || waitpid(pid_, &raw, WNOHANG) != pid_) return false;
    if (WIFEXITED(raw)) outcome_.status = WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) {
        outcome_.signal = WTERMSIG(raw);
        outcome_.status = 128 + outcome_.signal;
    }
    outcome_.out = ReadFileBytes(files_ / "out");
    outcome_.err = ReadFileBytes(files_ / "err");
    return true;
}

std::string RunningProgram::OutputSoFar() const { return ReadFileBytes(files_ / "out"); }

std::string RunningProgram::WaitForWindow(std::chrono::seconds limit, bool by_pid) {
    std::string search = "xdotool search --all" + (by_pid ? " --pid " + std::to_string(pid_) : std::string()) +
                         " --name '^" + kShowTitle + "$' 2>/dev/null | head -n 1";
    for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(kPoll)) {
        if (Reaped()) return "";
        std::string window = Shell(search).out;
        if (!window.empty()) {
            window.pop_back();  // the newline
            outcome_.window_seen = true;
            return window;
        }
    }
    return "";
}

bool RunningProgram::WaitForOutput(const std::string& text, std::chrono::seconds limit) {
    for (auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(kPoll)) {
        if (OutputSoFar().find(text) != std::string::npos) return true;
        if (Reaped()) return false;
    }
    return false;
}

bool RunningProgram::KeepsRunning(std::chrono::milliseconds span) {
    for (auto end = Clock::now() + span; Clock::now() < end; std::this_thread::sleep_for(kPoll))
        if (Reaped()) return false;
    return !Reaped();
}

Outcome RunningProgram::Close(const std::string& window) {
    // Asked again every second, as a user clicks again when nothing
    // happens: the program keeps a request that comes while it starts,
    // and a request is now and then lost on a loaded X server. How long
    // the close takes is never judged; the limit only ends a hung run.
    for (auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
        xsession::SendDeleteWindow(window);
        if (!KeepsRunning(std::chrono::seconds(1))) return outcome_;
    }
    return Signal(SIGKILL);
}

Outcome RunningProgram::Signal(int sig) {
    if (!Reaped()) kill(pid_, sig);
    return Wait();
}

Outcome RunningProgram::Wait(std::chrono::seconds limit) {
    if (KeepsRunning(limit)) {
        kill(pid_, SIGKILL);
        while (!Reaped()) std::this_thread::sleep_for(kPoll);
    }
    return outcome_;
}

Outcome RunToEnd(const Launch& launch, std::chrono::seconds limit) { return RunningProgram(launch).Wait(limit); }

Outcome RunUntilClosed(const Launch& launch, std::chrono::milliseconds run_for) {
    RunningProgram program(launch);
    std::string window = program.WaitForWindow();
    if (window.empty()) return program.Wait(std::chrono::seconds(10));
    if (!program.KeepsRunning(run_for)) return program.Wait();
    return program.Close(window);
}

void LayOutShow(const fs::path& folder, const std::string& program) {
    const fs::path data = fs::path(MOONLIT_SOURCE_DIR) / "data";
    fs::copy_file(program, folder / fs::path(program).filename(), fs::copy_options::overwrite_existing);
    fs::create_directories(folder / "data");
    for (const char* font : {"fonti.png", "kova_font.png"}) fs::copy_file(data / font, folder / "data" / font);
    fs::copy(data / "icons", folder / "data" / "icons", fs::copy_options::recursive);
    fs::copy_file(data / "spartanic.xm", folder / "spartanic.xm");
}
