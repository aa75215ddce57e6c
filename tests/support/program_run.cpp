// The child-process harness (program_run.h): fork and exec with the run's own
// output files, polling for the window, the close request and the end.
#include "support/program_run.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "support/x_session.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kPoll = std::chrono::milliseconds(50);
// The title of every window this project's programs open.
constexpr const char* kShowTitle = "Moonlit Harbor by torvin/brinecrew";

// The environment with `changes` made: "VAR=value" sets, "-VAR" unsets.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) env.emplace_back(*entry);
    for (const std::string& change : changes) {
        const bool unset = !change.empty() && change[0] == '-';
        const std::string prefix = (unset ? change.substr(1) : change.substr(0, change.find('='))) + "=";
        auto named = [&](const std::string& entry) { return entry.compare(0, prefix.size(), prefix) == 0; };
        env.erase(std::remove_if(env.begin(), env.end(), named), env.end());
        if (!unset) env.push_back(change);
    }
    return env;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

RunningProgram::RunningProgram(const Launch& launch) {
    WriteFileBytes(files_ / "in", launch.input);
    // Everything the child needs is made here: after a fork only system
    // calls are safe (another thread of the test may hold the heap's lock).
    std::vector<std::string> args{launch.program}, env = EnvironmentWith(launch.env);
    args.insert(args.end(), launch.args.begin(), launch.args.end());
    std::vector<char*> argv = Pointers(args), envp = Pointers(env);
    const std::string in = files_ / "in", out = files_ / "out", err = files_ / "err";
    pid_ = fork();
    if (pid_ != 0) return;
    if (!launch.folder.empty() && chdir(launch.folder.c_str()) != 0) _exit(126);
    int fds[] = {open(in.c_str(), O_RDONLY), open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                 open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    for (int target = 0; target < 3; ++target)
        if (fds[target] < 0 || dup2(fds[target], target) < 0) _exit(126);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0 && outcome_.status == -1) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool RunningProgram::Reaped(int options) {
    if (outcome_.status != -1) return true;
    int raw = 0;
    if (pid_ <= 0 || waitpid(pid_, &raw, options) != pid_) return false;
    outcome_.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    outcome_.status = WIFSIGNALED(raw) ? 128 + outcome_.signal : WEXITSTATUS(raw);
    outcome_.out = ReadFileBytes(files_ / "out");
    outcome_.err = ReadFileBytes(files_ / "err");
    return true;
}

std::string RunningProgram::WaitForWindow(std::chrono::seconds limit, bool by_pid) {
    const std::string search = "xdotool search --all" + (by_pid ? " --pid " + std::to_string(pid_) : "") +
                               " --name '^" + kShowTitle + "$' 2>/dev/null | head -n 1";
    for (auto end = Clock::now() + limit; Clock::now() < end && !Reaped(); std::this_thread::sleep_for(kPoll)) {
        if (const std::string window = xsession::Capture(search); !window.empty()) {
            outcome_.window_seen = true;
            return window;
        }
    }
    return "";
}

bool RunningProgram::KeepsRunning(std::chrono::milliseconds span) {
    for (auto end = Clock::now() + span; Clock::now() < end && !Reaped();) std::this_thread::sleep_for(kPoll);
    return !Reaped();
}

Outcome RunningProgram::Close(const std::string& window) {
    // Asked again every second, as a user clicks again: a request is now and
    // then lost on a loaded X server. The limit only ends a hung run.
    for (auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
        xsession::SendDeleteWindow(window);
        if (!KeepsRunning(std::chrono::seconds(1))) return outcome_;
    }
    return Wait(std::chrono::seconds(0));
}

Outcome RunningProgram::Wait(std::chrono::seconds limit) {
    if (KeepsRunning(limit) && kill(pid_, SIGKILL) == 0) Reaped(0);
    return outcome_;
}

Outcome RunToEnd(const Launch& launch, std::chrono::seconds limit) { return RunningProgram(launch).Wait(limit); }

Launch LayOutShow(const fs::path& folder, const std::string& program) {
    const fs::path data = fs::path(MOONLIT_SOURCE_DIR) / "data", copy = folder / fs::path(program).filename();
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    fs::create_directories(folder / "data");
    for (const char* font : {"fonti.png", "kova_font.png"}) fs::copy_file(data / font, folder / "data" / font);
    fs::copy(data / "icons", folder / "data" / "icons", fs::copy_options::recursive);
    fs::copy_file(data / "spartanic.xm", folder / "spartanic.xm");
    return Launch(copy, {}, folder);
}
