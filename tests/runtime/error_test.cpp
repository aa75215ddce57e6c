// The fatal paths and the debugger prompt, each taken for real in a forked
// child with standard streams of its own: its exit status and both texts are
// what a user of the program sees.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "runtime/array.h"
#include "runtime/error.h"
#include "support/program_run.h"

namespace {

const std::string kBanner = "{{~~~~}}\n\n";
const std::string kProbe = "Vantorix Runtime Error : probe\n\n";
const uint16_t kCafe[] = {'c', 'a', 'f', 0xe9, 0};

// Runs `body` in a child reading `input`; what it writes is read back from
// files after its end.
Outcome RunInChild(void (*body)(), const std::string& input) {
    TempFolder folder("error");
    WriteFileBytes(folder / "in", input);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const std::pair<const char*, std::FILE*> streams[] = {{"in", stdin}, {"out", stdout}, {"err", stderr}};
        for (const auto& [name, stream] : streams)
            if (!std::freopen((folder / name).c_str(), stream == stdin ? "r" : "w", stream)) _exit(3);
        InstallSignalHandlers();
        body();
        _exit(2);  // the body returned
    }
    int raw = 0;
    waitpid(pid, &raw, 0);
    const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return {status, 0, false, ReadFileBytes(folder / "out"), ReadFileBytes(folder / "err")};
}

std::string At(const void* p) {
    char text[64];
    std::snprintf(text, sizeof text, "@%p\n", p);
    return text;
}

template <int N>
gc_object* NoRoot() { return nullptr; }

// One reader registered many times, then distinct ones until the table (32)
// is full; the next one must stop the program.
template <int... N>
void FillRoots(std::integer_sequence<int, N...>) {
    gc_clear_roots();
    for (int i = 0; i < 100; ++i) gc_add_root(NoRoot<0>);
    (gc_add_root(NoRoot<N + 1>), ...);
    Print(String("32 roots"));
    gc_add_root(NoRoot<-1>);
}

void Prompt() { RuntimeError("probe"); }

TEST(Errors, EachFatalPathEndsWithItsStatusAndTexts) {
    // A live object, an array body, a static empty body, a local: only the
    // first has a text; none of the others is ever dereferenced.
    int local = 0;
    Array<int> array(4);
    const std::string addresses = At(gc_new<Object>()) + At(array.Body()) + At(Array<int>().Body()) + At(&local);
    const struct {
        const char* what;
        void (*body)();
        std::string input;
        int status;
        std::string out, err;  // an abort's err is a prefix: sanitizers may add their report
    } rows[] = {
        {"empty error", [] { Error(String()); }, "", 0, "", ""},
        {"error", [] { Error(String("boom")); }, "", 255, "Vantorix Runtime Error : boom\n\n", kBanner},
        // An unmapped, non-null address: a real fault, not a null check.
        {"segv", [] { *reinterpret_cast<volatile int*>(static_cast<uintptr_t>(std::atoi("8"))) = 1; }, "", 255,
         "Vantorix Runtime Error : Memory access violation\n\n", kBanner},
        {"fpe", [] { std::raise(SIGFPE); }, "", 255, "Vantorix Runtime Error : Floating point exception\n\n", kBanner},
        {"ill", [] { std::raise(SIGILL); }, "", 255, "Vantorix Runtime Error : Illegal instruction\n\n", kBanner},
        {"uncaught", HandleUncaught, "", 255, "Vantorix Runtime Error : Uncaught Vantorix Exception\n", ""},
        {"print", [] { Print(String(kCafe)); }, "", 2, "caf\xc3\xa9\n", ""},
        {"debug log", [] { DebugLog(String(kCafe)); }, "", 2, "", "caf\xe9\n"},
        // Each resume reports again; an unknown or unfinished line ends it.
        {"prompt", Prompt, "?\n@0\n@deadbeef\n@zz\nq\n", 0, kProbe, kBanner + "\n\n\n"},
        {"prompt", Prompt, "r\ne\nl\nstep\n\n", 255, kProbe + kProbe + kProbe + kProbe + kProbe + "?????  ?????",
         kBanner + kBanner + kBanner + kBanner + kBanner},
        {"prompt", Prompt, "q", 255, kProbe, kBanner},
        {"prompt on addresses", Prompt, addresses + "q\n", 0, kProbe, kBanner + "+Object\n\n" + "\n\n\n"},
        {"root overflow", [] { FillRoots(std::make_integer_sequence<int, 31>()); }, "", 128 + SIGABRT, "32 roots\n",
         "gc_add_root: more than 32 global roots"},
#ifdef MOONLIT_CHECKED
        {"object on the stack", [] { Object local; }, "", 128 + SIGABRT, "", "Collected object not made by gc_new"},
#endif
    };
    for (const auto& row : rows) {
        Outcome r = RunInChild(row.body, row.input);
        const std::string what = std::string(row.what) + " < \"" + row.input + "\"";
        EXPECT_EQ(r.status, row.status) << what;
        EXPECT_EQ(r.out, row.out) << what;
        EXPECT_EQ(row.status == 128 + SIGABRT ? r.err.substr(0, row.err.size()) : r.err, row.err) << what;
    }
}

}  // namespace
