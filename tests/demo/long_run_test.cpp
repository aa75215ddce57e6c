// A long run of the show through the real framework and renderer (the
// do-nothing GL table, no window): 20,000 frames with their updates and a
// collector step after every call, as the host makes them. Memory must stay
// flat once the first collection cycles are behind it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "demo/show_harness.h"

namespace {

// The address sanitizer's quarantine holds freed memory back, and so does
// valgrind's allocator (its tools are preloaded), so resident memory is no
// measure of leaks there; their leak checkers are.
bool ResidentMemoryMeaningful() {
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    const char* preload = std::getenv("LD_PRELOAD");
    return !preload || !std::strstr(preload, "vgpreload");
#endif
}

long ResidentKib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

TEST(LongRun, MemoryStaysFlatOver20000Frames) {
    c_MyApp* show = StartShowWithoutWindow(NullGl());

    auto step = [] {
        gc_mark_now(gameDelegate);
        gc_collect_step();
    };
    long after_warm_up = 0;
    int tracked_after_warm_up = 0;
    for (int frame = 1; frame <= 20000; ++frame) {
        show->OnUpdate();
        step();
        RenderShowFrame(show);
        step();
        if (frame == 2000) {
            after_warm_up = ResidentKib();
            tracked_after_warm_up = gc_read_counters().peak_tracked_bytes;
        }
    }
    if (ResidentMemoryMeaningful()) {
        EXPECT_LT(ResidentKib() - after_warm_up, 1024);
    }
    EXPECT_EQ(gc_read_counters().peak_tracked_bytes, tracked_after_warm_up);
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
