// A long run of the show through the real framework and renderer (the
// do-nothing GL table, no window), with a collector step after every call
// as the host makes them: after a first scroll cycle (867 updates) the
// collector tracks no more objects, however long the show runs, and the
// heap stays consistent. Resident memory is the soak's and the memory
// benchmark's measure.
#include <gtest/gtest.h>

#include "demo/show_harness.h"

TEST(LongRun, TheShowKeepsNoMoreObjectsAfterItsFirstScrollCycle) {
    c_MyApp* show = StartShowWithoutWindow(NullGl());
    auto run_frames = [show](int count) {
        for (int frame = 0; frame < count; ++frame) {
            show->OnUpdate();
            gc_mark_now(gameDelegate);
            gc_collect_step();
            RenderShowFrame(show);
            gc_mark_now(gameDelegate);
            gc_collect_step();
        }
    };
    run_frames(900);
    const gc_counters warm = gc_read_counters();
    run_frames(1800);
    EXPECT_EQ(gc_read_counters().peak_tracked_bytes, warm.peak_tracked_bytes);
    EXPECT_EQ(gc_read_counters().tracked_bytes, warm.tracked_bytes);
    EXPECT_STREQ(gc_check_heap(), "");
}
