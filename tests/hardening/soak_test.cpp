// The real program left running: its resident memory, sampled at a fixed
// interval, must stay flat once the first collection cycles have run. Two
// minutes here; MOONLIT_SOAK_SECONDS and MOONLIT_SOAK_INTERVAL make the
// same test the long run (scripts/soak-run: 30 minutes, a sample a minute).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "support/program_run.h"
#include "support/x_session.h"

namespace {

int EnvSeconds(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Resident set size in kilobytes, 0 when the process is gone.
long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string key; status >> key; status.ignore(1 << 20, '\n')) {
        long kb = 0;
        if (key == "VmRSS:" && status >> kb) return kb;
    }
    return 0;
}

}  // namespace

TEST(Soak, ResidentMemoryStaysFlat) {
#ifdef MOONLIT_SANITIZED
    // The address sanitizer keeps freed blocks in quarantine (up to 256 MB),
    // so resident memory says nothing about leaks here; its leak checker does.
    GTEST_SKIP() << "resident memory is not a measure under the sanitizers";
#endif
    ASSERT_TRUE(xsession::StartServer());
    const int total = EnvSeconds("MOONLIT_SOAK_SECONDS", 120), interval = EnvSeconds("MOONLIT_SOAK_INTERVAL", 10);
    // The collector's first full cycles, the music player's buffers and the
    // GL driver's caches settle within the first quarter (at least 30 s).
    const int warm_up = std::max(30, total / 4);
    TempFolder folder("soak");
    LayOutShow(folder.Path(), MOONLIT_DEMO_PROGRAM);
    RunningProgram program({folder / "moonlit-harbor", {}, folder.Path()});
    std::string window = program.WaitForWindow();
    ASSERT_FALSE(window.empty()) << program.Wait().err;

    long settled = 0, highest = 0;
    for (int t = 0; t <= total; t += interval) {
        ASSERT_TRUE(t == 0 || program.KeepsRunning(std::chrono::seconds(interval))) << program.Wait().err;
        long kb = ResidentKb(program.Pid());
        long& peak = t <= warm_up ? settled : highest;
        peak = std::max(peak, kb);
        std::printf("soak: %5d s  %7ld kB resident\n", t, kb);
        std::fflush(stdout);
    }
    EXPECT_EQ(program.Close(window).status, 0);
    // Flat: after the warm-up the program grows by less than 4 MB, however
    // long it runs (a leak of one string per frame would be 20 MB an hour).
    EXPECT_LT(highest - settled, 4096) << "settled at " << settled << " kB, rose to " << highest << " kB";
}
