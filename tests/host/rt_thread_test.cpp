// RtThread: a running thread the program dropped must survive full
// collections until its Run returns, and is collected after.
#include "host/rt_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<bool> gate{false}, destroyed{false};
std::atomic<int> runs{0};

// Run holds until the test opens the gate, so "running" can be seen.
struct GatedThread : RtThread {
    void Run() override {
        runs.fetch_add(1);
        while (!gate.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~GatedThread() override { destroyed.store(true); }
};

// Whether the thread is freed within `tries` full collections (the
// allocations after each reclaim the garbage).
bool FreedWithin(int tries) {
    for (int i = 0; i < tries && !destroyed.load(); ++i) {
        gc_collect_full();
        for (int j = 0; j < 100; ++j) gc_new<Object>();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return destroyed.load();
}

TEST(RtThread, ADroppedRunningThreadLivesUntilItsRunReturns) {
    GatedThread* t = gc_new<GatedThread>();
    t->SetResult(t);
    t->Start();
    t->Start();  // ignored while running
    EXPECT_TRUE(t->IsRunning());
    EXPECT_EQ(t->GetResult(), nullptr);  // a start clears the result
    t = nullptr;  // dropped

    EXPECT_FALSE(FreedWithin(10));
    EXPECT_STREQ(gc_check_heap(), "");
    gate = true;
    EXPECT_TRUE(FreedWithin(5000));  // unreachable once finished
    EXPECT_EQ(runs.load(), 1);
}

}  // namespace
