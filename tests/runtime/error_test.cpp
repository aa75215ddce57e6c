// The fatal paths and the debugger prompt, run for real in a child process
// with real standard streams and exit statuses.
#include <gtest/gtest.h>

#include <csignal>

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
        // Each resume reports again; an unknown or unfinished line ends it.
        {"prompt", "?\n@0\n@deadbeef\n@zz\nq\n", 0, kProbe, kBanner + "\n\n\n"},
        {"prompt", "r\ne\nl\nstep\n\n", 255, kProbe + kProbe + kProbe + kProbe + kProbe + "?????  ?????",
         kBanner + kBanner + kBanner + kBanner + kBanner},
        {"prompt", "x\n", 255, kProbe + "????? x ?????", kBanner},
        {"prompt", "q", 255, kProbe, kBanner},
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
