// Runs the real demo program in a run folder of its own, the way a user
// starts it: the executable with data/ beside it and the music module in
// the working directory. Tests break one file at a time, watch for the
// window, let the show run, and close it as a window manager's close
// button does (WM_DELETE_WINDOW), or wait for the program's own exit.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/x_session.h"
#include "support/child_process.h"

namespace demorun {

namespace fs = std::filesystem;

struct Outcome {
    bool exited = false;     // ended by itself or after the close request
    int status = -1;         // exit status when exited
    int signal = 0;          // the signal that killed it, 0 if none
    bool window_seen = false;
    bool closed_by_request = false;
    std::string out, err;
};

// What a run folder starts with: the show (the program, data/ and the
// module) or nothing, for a program that lives elsewhere and must find its
// files without help from its working directory.
enum class FolderContents { kShow, kNothing };

class RunFolder {
public:
    explicit RunFolder(FolderContents contents = FolderContents::kShow) {
        char tmpl[] = "/tmp/moonlit-run-XXXXXX";
        dir = mkdtemp(tmpl);
        // Readable by anyone: an unprivileged user may run it (see Run).
        chmod(dir.c_str(), 0755);
        if (contents == FolderContents::kNothing) return;
        fs::copy_file(MOONLIT_DEMO_PROGRAM, dir / "moonlit-harbor");
        fs::create_directory(dir / "data");
        const fs::path src = fs::path(MOONLIT_SOURCE_DIR) / "data";
        fs::copy_file(src / "fonti.png", Data() / "fonti.png");
        fs::copy_file(src / "kova_font.png", Data() / "kova_font.png");
        fs::copy_file(src / "spartanic.xm", dir / "spartanic.xm");
    }
    ~RunFolder() {
        chmod(Data().c_str(), 0755);
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }

    fs::path Dir() const { return dir; }
    fs::path Data() const { return dir / "data"; }

    // Starts the program with `env` (VAR=value words; "-u VAR" unsets) as
    // `user` (empty: as ourselves); returns its process id.
    pid_t Start(const std::string& env, const std::string& user = "",
                const std::string& program = "./moonlit-harbor", const std::string& args = "") const {
        std::string command = "cd " + dir.string() + " && exec env " + env + " " +
                              (user.empty() ? "" : "setpriv --reuid=" + user + " --regid=" + user +
                                                       " --clear-groups ") +
                              program + " " + args + " >" + OutPath() + " 2>" + ErrPath();
        pid_t pid = fork();
        if (pid == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }

    // Waits up to `limit` for the program's window; empty when it ended (its
    // outcome is then in `o`) or showed none.
    std::string WaitForWindow(pid_t pid, Outcome& o, std::chrono::seconds limit = std::chrono::seconds(20)) const {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Reaped(pid, o)) return "";
            // By process and title together: GLFW also makes a hidden helper
            // window under the same process, which ignores a close request.
            std::string window = xsession::Capture("xdotool search --all --pid " + std::to_string(pid) +
                                                   " --name 'Moonlit Harbor by torvin/brinecrew' 2>/dev/null | head -1");
            if (!window.empty()) {
                o.window_seen = true;
                return window;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return "";
    }

    // True (with `o` filled) once the program has ended.
    bool Reaped(pid_t pid, Outcome& o) const {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) != pid) return false;
        Finish(o, raw, OutPath(), ErrPath());
        return true;
    }

    // Sleeps `span` or until the program ends; true if it still runs.
    bool KeepsRunning(pid_t pid, Outcome& o, std::chrono::milliseconds span) const {
        auto until = std::chrono::steady_clock::now() + span;
        while (std::chrono::steady_clock::now() < until) {
            if (Reaped(pid, o)) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // Closes the window as a window manager does and waits for the end;
    // kills the program if it has not ended within `limit`.
    void Close(pid_t pid, const std::string& window, Outcome& o,
               std::chrono::seconds limit = std::chrono::seconds(15)) const {
        // Asked again every second, as a user clicks again when nothing
        // happens. The program keeps a request that comes while it starts
        // (program_test checks that one request is enough); the repeats
        // only make a broken run end sooner.
        auto deadline = std::chrono::steady_clock::now() + limit;
        do {
            if (!window.empty()) {
                xsession::SendDeleteWindow(window);
                o.closed_by_request = true;
            }
            if (!KeepsRunning(pid, o, std::chrono::milliseconds(1000))) return;
        } while (std::chrono::steady_clock::now() < deadline);
        kill(pid, SIGKILL);
        int raw = 0;
        waitpid(pid, &raw, 0);
        Finish(o, raw, OutPath(), ErrPath());
        o.exited = false;  // it had to be killed
    }

    // Start, wait for the window, let the show run for `runFor`, close.
    Outcome Run(const std::string& env, std::chrono::seconds run_for = std::chrono::seconds(3),
                const std::string& user = "") const {
        Outcome o;
        pid_t pid = Start(env, user);
        std::string window = WaitForWindow(pid, o);
        if (window.empty()) {
            if (o.signal == 0 && !o.exited) Close(pid, "", o, std::chrono::seconds(10));
            return o;
        }
        if (!KeepsRunning(pid, o, run_for)) return o;
        Close(pid, window, o);
        return o;
    }

private:
    std::string OutPath() const { return (dir / "stdout.txt").string(); }
    std::string ErrPath() const { return (dir / "stderr.txt").string(); }

    static void Finish(Outcome& o, int raw, const std::string& out, const std::string& err) {
        o.exited = WIFEXITED(raw);
        if (o.exited) o.status = WEXITSTATUS(raw);
        if (WIFSIGNALED(raw)) o.signal = WTERMSIG(raw);
        o.out = ReadWholeFile(out);
        o.err = ReadWholeFile(err);
    }

    fs::path dir;
};

// Never a crash: no fatal signal, and never our own handler's report of one.
inline bool Crashed(const Outcome& o) {
    return (o.signal != 0 && o.signal != SIGABRT) || o.out.find("Memory access violation") != std::string::npos ||
           o.out.find("Illegal instruction") != std::string::npos ||
           o.out.find("Floating point exception") != std::string::npos;
}

}  // namespace demorun
