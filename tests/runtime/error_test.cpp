// The fatal paths, run for real in a child process with real standard
// streams and exit statuses.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>

#include "runtime/error.h"
#include "support/child_process.h"

namespace {

const std::string kProbe = ERROR_PROBE;
// The sanitizers must let our own SIGSEGV handler see the fault.
const std::string kEnv = "ASAN_OPTIONS=handle_segv=0:detect_leaks=0";

ChildResult Probe(const std::string& mode, const std::string& input = "") {
    return RunChild(kProbe + " " + mode, input, kEnv);
}

const std::string kBanner = "{{~~~~}}\n\n";

TEST(Errors, EmptyErrorExitsZeroSilently) {
    ChildResult r = Probe("error-empty");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

TEST(Errors, MessageReportsThenEndsAtEndOfInput) {
    ChildResult r = Probe("error");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vantorix Runtime Error : boom\n\n");
    EXPECT_EQ(r.err, kBanner);
}

TEST(Errors, RealSegfaultReachesTheHandler) {
    ChildResult r = Probe("segv");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vantorix Runtime Error : Memory access violation\n\n");
    EXPECT_EQ(r.err, kBanner);
}

TEST(Errors, UncaughtThrowableEndsWithoutPrompt) {
    ChildResult r = Probe("uncaught");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vantorix Runtime Error : Uncaught Vantorix Exception\n");
    EXPECT_EQ(r.err, "");
}

TEST(Errors, PrintIsUtf8AndDebugLogIsEightBit) {
    ChildResult r = Probe("print");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "caf\xc3\xa9\n");
    EXPECT_EQ(r.err, "caf\xe9\n");
}

TEST(Prompt, QuestionMarkIsIgnoredAndQuitExitsZero) {
    ChildResult r = Probe("prompt", "?\nq\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner);
}

TEST(Prompt, UnknownCommandIsEchoedAndFails) {
    ChildResult r = Probe("prompt", "x\n");
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.out, "Vantorix Runtime Error : probe\n\n????? x ?????");
}

TEST(Prompt, ResumeReportsTheErrorAgain) {
    ChildResult r = Probe("prompt", "r\nq\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Vantorix Runtime Error : probe\n\nVantorix Runtime Error : probe\n\n");
    EXPECT_EQ(r.err, kBanner + kBanner);
}

TEST(Prompt, LineWithoutNewlineFails) {
    EXPECT_EQ(Probe("prompt", "q").status, 255);
}

TEST(Prompt, AtNullAnswersAnEmptyLine) {
    ChildResult r = Probe("prompt", "@0\nq\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner + "\n");
}

TEST(Prompt, AtLiveObjectAnswersItsDebugText) {
    ChildResult r = Probe("at-object");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner + "+Object\n\n");
}

TEST(Prompt, AtArrayBodyIsKnownButHasNoDebugText) {
    ChildResult r = Probe("at-array");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner + "\n\n");
}

TEST(Prompt, AtUnknownAddressIsNeverDereferenced) {
    ChildResult r = Probe("at-stack");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, kBanner + "\n");
    EXPECT_EQ(Probe("prompt", "@deadbeef\n@zz\nq\n").err, kBanner + "\n\n");
}

// Misuse of the collector that would lose live objects silently stops the
// program with a message instead. Registering a root again is harmless, so
// the overflow comes only with the 33rd distinct reader.
TEST(Errors, CollectorMisuseStopsWithAMessage) {
    struct Case {
        const char* mode;
        bool checked_builds_only;
        const char* out;
        const char* message;
    } cases[] = {
        {"root-overflow", false, "32 roots\n", "gc_add_root: more than 32 global roots"},
        {"object-on-stack", true, "", "Collected object not made by gc_new"},
    };
    for (const Case& c : cases) {
#ifndef MOONLIT_CHECKED
        if (c.checked_builds_only) continue;
#endif
        ChildResult r = Probe(c.mode);
        EXPECT_EQ(r.status, 128 + SIGABRT) << c.mode;
        EXPECT_EQ(r.out, c.out) << c.mode;
        EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << c.mode << ": " << r.err;
    }
}

}  // namespace

// The prompt's line handler on its own: it never ends the process, so every
// command can be seen in this one.
TEST(Prompt, LineHandlerActsOnTheFirstCharacter) {
    struct Case {
        const char* line;
        DebuggerAction action;
    } cases[] = {
        {"?anything\n", DebuggerAction::kNextLine}, {"@0\n", DebuggerAction::kNextLine},
        {"@zz\n", DebuggerAction::kNextLine},       {"e\n", DebuggerAction::kResume},
        {"l\n", DebuggerAction::kResume},           {"r\n", DebuggerAction::kResume},
        {"step\n", DebuggerAction::kResume},        {"q\n", DebuggerAction::kQuit},
        {"x\n", DebuggerAction::kUnknown},          {"\n", DebuggerAction::kUnknown},
        {"q", DebuggerAction::kFail},               {"", DebuggerAction::kFail},
    };
    for (const Case& c : cases) {
        char line[256];
        std::snprintf(line, sizeof line, "%s", c.line);
        EXPECT_EQ(DebuggerLine(line), c.action) << c.line;
        if (c.action != DebuggerAction::kFail) {
            EXPECT_EQ(std::strchr(line, '\n'), nullptr) << c.line;
        }
    }
}
