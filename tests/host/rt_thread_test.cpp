// RtThread: state changes, restarts, the result, and a dropped running
// thread that must survive collections until its Run returns.
#include "host/rt_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace {

// Run blocks until the test opens the gate, so "running" can be observed.
struct GatedThread : RtThread {
    std::atomic<bool>* gate;
    std::atomic<int>* runs;
    GatedThread(std::atomic<bool>* g, std::atomic<int>* r) : gate(g), runs(r) {}
    void Run() override {
        runs->fetch_add(1);
        while (!gate->load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

bool WaitUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 5000; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST(RtThread, StartsRunsFinishesAndRestarts) {
    std::atomic<bool> gate{false};
    std::atomic<int> runs{0};
    GatedThread* t = gc_new<GatedThread>(&gate, &runs);
    EXPECT_FALSE(t->IsRunning());
    EXPECT_EQ(t->state.load(), RtThread::kNotStarted);

    t->Start();
    EXPECT_TRUE(t->IsRunning());
    t->Start();  // ignored while running
    gate = true;
    ASSERT_TRUE(WaitUntil([&] { return t->state.load() == RtThread::kFinished; }));
    EXPECT_FALSE(t->IsRunning());
    EXPECT_EQ(runs.load(), 1);

    gate = false;
    t->SetResult(t);
    t->Start();
    EXPECT_EQ(t->GetResult(), nullptr);  // a new start clears the result
    EXPECT_TRUE(t->IsRunning());
    gate = true;
    ASSERT_TRUE(WaitUntil([&] { return !t->IsRunning(); }));
    EXPECT_EQ(runs.load(), 2);
}

TEST(RtThread, PlainRtThreadFinishesAtOnce) {
    RtThread* t = gc_new<RtThread>();
    t->Start();
    ASSERT_TRUE(WaitUntil([&] { return t->state.load() == RtThread::kFinished; }));
}

// A thread that checks, after the collections, that it was not destroyed.
struct WatchedThread : GatedThread {
    std::atomic<bool>* destroyed;
    WatchedThread(std::atomic<bool>* g, std::atomic<int>* r, std::atomic<bool>* d)
        : GatedThread(g, r), destroyed(d) {}
    ~WatchedThread() override { destroyed->store(true); }
};

TEST(RtThread, ADroppedRunningThreadSurvivesFullCollectionsUntilItEnds) {
    std::atomic<bool> gate{false}, destroyed{false};
    std::atomic<int> runs{0};
    int before = RunningThreadCount();
    gc_new<WatchedThread>(&gate, &runs, &destroyed)->Start();  // no reference kept
    EXPECT_EQ(RunningThreadCount(), before + 1);
    for (int i = 0; i < 4; ++i) {
        gc_collect_full();
        for (int j = 0; j < 100; ++j) gc_new<Object>();  // allocation reclaims garbage
    }
    EXPECT_FALSE(destroyed.load());
    EXPECT_STREQ(gc_check_heap(), "");

    gate = true;
    ASSERT_TRUE(WaitUntil([&] { return RunningThreadCount() == before; }));
    for (int i = 0; i < 4 && !destroyed.load(); ++i) {
        gc_collect_full();
        for (int j = 0; j < 100; ++j) gc_new<Object>();
    }
    EXPECT_TRUE(destroyed.load());  // unreachable once finished
}

}  // namespace
