// The fatal paths, run for real in a child process with real standard
// streams and exit statuses, and the prompt's line handler in process.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "runtime/error.h"
#include "support/program_run.h"

namespace {

const std::string kBanner = "{{~~~~}}\n\n";
const std::string kProbe = "Vantorix Runtime Error : probe\n\n";

TEST(Errors, EachFatalPathEndsWithItsStatusAndTexts) {
    const struct {
        const char* mode;
        std::string input;
        int status;
        std::string out, err;  // an abort's err is a prefix: sanitizers may add their report
    } rows[] = {
        {"error-empty", "", 0, "", ""},
        {"error", "", 255, "Vantorix Runtime Error : boom\n\n", kBanner},
        {"segv", "", 255, "Vantorix Runtime Error : Memory access violation\n\n", kBanner},
        {"fpe", "", 255, "Vantorix Runtime Error : Floating point exception\n\n", kBanner},
        {"ill", "", 255, "Vantorix Runtime Error : Illegal instruction\n\n", kBanner},
        {"uncaught", "", 255, "Vantorix Runtime Error : Uncaught Vantorix Exception\n", ""},
        {"print", "", 0, "caf\xc3\xa9\n", "caf\xe9\n"},
        {"prompt", "?\nq\n", 0, kProbe, kBanner},
        {"prompt", "x\n", 255, kProbe + "????? x ?????", kBanner},
        {"prompt", "r\nq\n", 0, kProbe + kProbe, kBanner + kBanner},
        {"prompt", "q", 255, kProbe, kBanner},
        {"prompt", "@0\n@deadbeef\n@zz\nq\n", 0, kProbe, kBanner + "\n\n\n"},
        {"at", "", 0, kProbe, kBanner + "+Object\n\n" + "\n\n\n"},
        {"root-overflow", "", 128 + SIGABRT, "32 roots\n", "gc_add_root: more than 32 global roots"},
#ifdef MOONLIT_CHECKED
        {"object-on-stack", "", 128 + SIGABRT, "", "Collected object not made by gc_new"},
#endif
    };
    for (const auto& row : rows) {
        Launch probe(ERROR_PROBE, {row.mode});
        // Our own handlers see the faults, not the sanitizer's.
        probe.env.push_back("ASAN_OPTIONS=handle_segv=0:handle_sigfpe=0:handle_sigill=0:detect_leaks=0");
        probe.input = row.input;
        Outcome r = RunToEnd(probe);
        const std::string what = std::string(row.mode) + " < \"" + row.input + "\"";
        EXPECT_EQ(r.status, row.status) << what;
        EXPECT_EQ(r.out, row.out) << what;
        EXPECT_EQ(row.status == 128 + SIGABRT ? r.err.substr(0, row.err.size()) : r.err, row.err) << what;
    }
}

}  // namespace

// The prompt's line handler on its own: it never ends the process, so every
// command can be seen in this one.
TEST(Prompt, LineHandlerActsOnTheFirstCharacter) {
    const struct {
        const char* line;
        DebuggerAction action;
    } rows[] = {
        {"?anything\n", DebuggerAction::kNextLine}, {"@0\n", DebuggerAction::kNextLine},
        {"@zz\n", DebuggerAction::kNextLine},       {"e\n", DebuggerAction::kResume},
        {"l\n", DebuggerAction::kResume},           {"r\n", DebuggerAction::kResume},
        {"step\n", DebuggerAction::kResume},        {"q\n", DebuggerAction::kQuit},
        {"x\n", DebuggerAction::kUnknown},          {"\n", DebuggerAction::kUnknown},
        {"q", DebuggerAction::kFail},               {"", DebuggerAction::kFail},
    };
    for (const auto& row : rows) {
        char line[256];
        std::snprintf(line, sizeof line, "%s", row.line);
        EXPECT_EQ(DebuggerLine(line), row.action) << row.line;
        if (row.action != DebuggerAction::kFail) {
            EXPECT_EQ(std::strchr(line, '\n'), nullptr) << row.line;
        }
    }
}
