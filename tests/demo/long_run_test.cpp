// A long run of the show through the real framework and renderer (the
// do-nothing GL table, no window): 20,000 frames with their updates and a
// collector step after every call, as the host makes them. Memory must stay
// flat once the first collection cycles are behind it.
#include <gtest/gtest.h>

#include <fstream>

#include "demo/demo_state.h"
#include "demo/demo_text.h"
#include "demo/my_app.h"
#include "graphics/gl_functions.h"
#include "graphics/graphics_context.h"
#include "host/rt_game.h"

namespace {

long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

TEST(LongRun, MemoryStaysFlatOver20000Frames) {
    gl = NullGl();
    init_graphics_globals();
    register_graphics_roots();
    InitDemoGlobals();
    deviceWidth = 640;
    deviceHeight = 480;
    gc_assign(graphicsDevice, gc_new<gxtkGraphics>());
    static RtGame host;
    game = &host;
    app = nullptr;
    c_MyApp* show = gc_new<c_MyApp>();
    scrollText = ScrollText();
    scrollX = 640;
    scrollBaseY = 400.0f;

    auto step = [] {
        gc_mark_now(gameDelegate);
        gc_collect_step();
    };
    long after_warm_up = 0;
    int tracked_after_warm_up = 0;
    for (int frame = 1; frame <= 20000; ++frame) {
        show->OnUpdate();
        step();
        graphicsDevice->BeginRender();
        BeginRender();
        show->OnRender();
        EndRender();
        graphicsDevice->EndRender();
        step();
        if (frame == 2000) {
            after_warm_up = resident_kib();
            tracked_after_warm_up = gc_read_counters().peak_tracked_bytes;
        }
    }
    EXPECT_LT(resident_kib() - after_warm_up, 1024);
    EXPECT_EQ(gc_read_counters().peak_tracked_bytes, tracked_after_warm_up);
    EXPECT_STREQ(gc_check_heap(), "");
}

}  // namespace
