// The game loop's update schedule on a controlled clock, and the guards of
// the host's calls into the delegate.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "tests/host/fake_clock.h"

double FakeClock::now = 0;
std::vector<int> FakeClock::sleeps;

namespace {

// Each render takes `frameSeconds` of the fake clock; updates are counted.
struct TimedDelegate : RtGameDelegate {
    double frame_seconds = 0;
    int updates = 0;
    int renders = 0;
    int rate_on_update = -1;  // when >= 0, the first update sets this rate
    void RenderGame() override {
        ++renders;
        FakeClock::now += frame_seconds;
    }
    void UpdateGame() override {
        ++updates;
        if (rate_on_update >= 0) {
            CurrentGame()->SetUpdateRate(rate_on_update);
            rate_on_update = -1;
        }
    }
};

// A host that counts its collector steps instead of running them.
struct CountingHost : RtGlfwGame {
    int collections = 0;
    void CollectGarbage() override {
        ++collections;
        RtGlfwGame::CollectGarbage();
    }
};

class LoopSchedule : public ::testing::Test {
protected:
    void SetUp() override {
        delegate = gc_new<TimedDelegate>();
        host.SetDelegate(delegate);
        FakeClock::Install(host, 1.0);
        host.StartGame();
    }
    // One pass of the loop without the window: render, wait, update.
    int Pass() {
        int before = delegate->updates;
        host.RenderGame();
        host.WaitForUpdate();
        host.RunUpdates();
        return delegate->updates - before;
    }
    std::vector<int> Passes(int n) {
        std::vector<int> counts;
        for (int i = 0; i < n; ++i) counts.push_back(Pass());
        return counts;
    }

    CountingHost host;
    TimedDelegate* delegate = nullptr;
};

TEST_F(LoopSchedule, RateZeroUpdatesOncePerRenderWithoutSleeping) {
    delegate->frame_seconds = 0.05;
    EXPECT_EQ(Passes(5), std::vector<int>(5, 1));
    EXPECT_TRUE(FakeClock::sleeps.empty());
}

TEST_F(LoopSchedule, FastFramesAt50HzSleepTheRestOfThePeriod) {
    host.SetUpdateRate(50);
    delegate->frame_seconds = 0.010;
    EXPECT_EQ(Passes(10), std::vector<int>(10, 1));
    // The first pass schedules; every later one waits about 10 ms.
    ASSERT_EQ(FakeClock::sleeps.size(), 9u);
    for (int ms : FakeClock::sleeps) {
        EXPECT_GE(ms, 9);
        EXPECT_LE(ms, 10);
    }
}

TEST_F(LoopSchedule, SlowFramesAlternateFourUpdatesAndOne) {
    host.SetUpdateRate(50);
    // Just over 100 ms, so that five periods are always clearly behind.
    delegate->frame_seconds = 0.101;
    EXPECT_EQ(Passes(6), (std::vector<int>{1, 4, 1, 4, 1, 4}));
    EXPECT_TRUE(FakeClock::sleeps.empty());
}

TEST_F(LoopSchedule, SetUpdateRateRestartsTheScheduleFromTheClock) {
    host.SetUpdateRate(50);
    delegate->frame_seconds = 0.101;
    Pass();
    EXPECT_NE(host.nextUpdate, 0);
    host.SetUpdateRate(25);
    EXPECT_EQ(host.nextUpdate, 0);
    EXPECT_DOUBLE_EQ(host.updatePeriod, 0.04);
    Pass();
    EXPECT_DOUBLE_EQ(host.nextUpdate, FakeClock::now + 0.04);
}

TEST_F(LoopSchedule, AnUpdateThatChangesTheRateEndsThePassesUpdates) {
    host.SetUpdateRate(50);
    delegate->frame_seconds = 0.3;
    Pass();
    delegate->rate_on_update = 50;
    EXPECT_EQ(Pass(), 1);
    EXPECT_EQ(host.nextUpdate, 0);
}

TEST_F(LoopSchedule, RateZeroLeavesThePeriodAlone) {
    host.SetUpdateRate(50);
    host.SetUpdateRate(0);
    EXPECT_DOUBLE_EQ(host.updatePeriod, 0.02);
    EXPECT_EQ(host.GetUpdateRate(), 0);
}

TEST_F(LoopSchedule, ElapsedMillisTruncatesTheClock) {
    FakeClock::now = 2.0099;
    EXPECT_EQ(host.ElapsedMillis(), 2009);
}

struct EventDelegate : RtGameDelegate {
    int calls = 0;
    void StartGame() override { ++calls; }
    void SuspendGame() override { ++calls; }
    void ResumeGame() override { ++calls; }
    void UpdateGame() override { ++calls; }
    void RenderGame() override { ++calls; }
    void KeyEvent(int, int) override { ++calls; }
    void MouseEvent(int, int, float, float, float) override { ++calls; }
    void TouchEvent(int, int, float, float) override { ++calls; }
    void MotionEvent(int, int, float, float, float) override { ++calls; }
    void DiscardGraphics() override { ++calls; }
};

void CallEverything(RtGame& host) {
    host.UpdateGame();
    host.RenderGame();
    host.KeyEvent(kEventKeyDown, 65);
    host.MouseEvent(kEventMouseMove, -1, 1, 2, 0);
    host.TouchEvent(kEventTouchDown, 0, 1, 2);
    host.MotionEvent(kEventMotionAccel, 0, 1, 2, 3);
    host.DiscardGraphics();
    host.SuspendGame();
    host.ResumeGame();
}

TEST(HostGuards, NothingReachesTheDelegateBeforeStartGameAndNothingIsCollected) {
    CountingHost host;
    EventDelegate* d = gc_new<EventDelegate>();
    host.SetDelegate(d);
    CallEverything(host);
    EXPECT_EQ(d->calls, 0);
    EXPECT_EQ(host.collections, 0);

    host.StartGame();
    host.StartGame();  // only once
    EXPECT_EQ(d->calls, 1);
    EXPECT_EQ(host.collections, 1);
    CallEverything(host);
    EXPECT_EQ(d->calls, 10);
    EXPECT_EQ(host.collections, 10);
}

TEST(HostGuards, SuspendedHostRendersAndTakesEventsButDoesNotUpdate) {
    CountingHost host;
    EventDelegate* d = gc_new<EventDelegate>();
    host.SetDelegate(d);
    host.StartGame();
    host.SuspendGame();
    host.SuspendGame();  // already suspended: ignored
    EXPECT_TRUE(host.IsSuspended());
    int before = d->calls;
    host.UpdateGame();
    EXPECT_EQ(d->calls, before);
    host.RenderGame();
    host.KeyEvent(kEventKeyDown, 65);
    EXPECT_EQ(d->calls, before + 2);
    host.ResumeGame();
    EXPECT_FALSE(host.IsSuspended());
    host.UpdateGame();
    EXPECT_EQ(d->calls, before + 4);
}

struct Thrown : ThrowableObject {};
struct ThrowingDelegate : RtGameDelegate {
    void UpdateGame() override { throw gc_new<Thrown>(); }
};

TEST(HostGuardsDeathTest, AThrowableFromTheDelegateEndsTheProcessWithItsMessage) {
    EXPECT_EXIT(
        {
            RtGlfwGame host;
            host.SetDelegate(gc_new<ThrowingDelegate>());
            host.StartGame();
            dup2(2, 1);  // the message goes to standard output; let the test see it
            host.UpdateGame();
        },
        ::testing::ExitedWithCode(255), "Vantorix Runtime Error : Uncaught Vantorix Exception");
}

TEST(HostGuards, DelegateIsMarkedByEveryCollection) {
    RtGlfwGame host;
    EventDelegate* d = gc_new<EventDelegate>();
    host.SetDelegate(d);
    host.StartGame();
    for (int i = 0; i < 3; ++i) {
        gc_add_external_bytes(kGcTriggerBytes + 1);  // the step after this call ends a cycle
        host.RenderGame();
    }
    EXPECT_STREQ(gc_check_heap(), "");
    EXPECT_TRUE(gc_is_known_object(d));
}

}  // namespace
