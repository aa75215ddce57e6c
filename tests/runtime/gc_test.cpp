// The collector: survival of reachable graphs across many cycles, reuse of
// memory, every barrier path, pacing and the 8 MiB trigger.
#include <gtest/gtest.h>

#include <climits>

#include "runtime/array.h"
#include "runtime/gc.h"

namespace {

int g_destroyed = 0;

struct Node : Object {
    Node* next = nullptr;
    Node* other = nullptr;
    int payload[2] = {};  // makes the object 56 bytes: the largest small cell
    ~Node() override { ++g_destroyed; }
    void mark() override {
        gc_shade(next);
        gc_shade(other);
    }
};

struct Holder : Object {
    Array<Node*> nodes;
    void mark() override { gc_shade(nodes.Body()); }
};

Node* g_root = nullptr;
Holder* g_holder = nullptr;

class Collector : public ::testing::Test {
protected:
    void SetUp() override {
        g_root = nullptr;
        g_holder = nullptr;
        gc_clear_roots();
        gc_add_root(+[]() -> gc_object* { return g_root; });
        gc_add_root(+[]() -> gc_object* { return g_holder; });
        Settle();
        g_destroyed = 0;
    }
    void TearDown() override {
        g_root = nullptr;
        g_holder = nullptr;
        Settle();
        EXPECT_STREQ(gc_check_heap(), "");
    }
    // Two full collections and enough allocation to destroy all garbage.
    static void Settle() {
        gc_collect_full();
        gc_collect_full();
        FlushGarbage();
    }
    static void FlushGarbage() { gc_reclaim_all(); }
    static Node* Chain(int n) {
        Node* head = nullptr;
        for (int i = 0; i < n; ++i) {
            Node* node = gc_new<Node>();
            gc_assign(node->next, head);
            head = node;
        }
        return head;
    }
    static int Length(Node* n) {
        int k = 0;
        for (; n; n = n->next) ++k;
        return k;
    }
};

TEST_F(Collector, ReachableGraphSurvivesManyCyclesAndGarbageIsDestroyed) {
    gc_assign(g_root, Chain(100));
    for (int cycle = 0; cycle < 20; ++cycle) {
        Chain(50);  // unreachable at once
        // Nodes shaded by the barrier while the chain was built float
        // through one cycle; the second one finds them unreachable.
        gc_collect_full();
        gc_collect_full();
        FlushGarbage();
        ASSERT_EQ(Length(g_root), 100);
        ASSERT_STREQ(gc_check_heap(), "");
    }
    EXPECT_EQ(g_destroyed, 20 * 50);
}

TEST_F(Collector, DestructionWaitsForLaterAllocation) {
    Chain(10);
    gc_collect_full();
    gc_collect_full();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(gc_read_counters().garbage_bytes, 10 * 56);
    FlushGarbage();
    EXPECT_EQ(g_destroyed, 10);
}

TEST_F(Collector, SmallCellsAreReused) {
    Node* a = Chain(1);
    void* address = a;
    gc_collect_full();
    Node* b = gc_new<Node>();  // destroys `a` first and takes its cell
    EXPECT_EQ(static_cast<void*>(b), address);
}

TEST_F(Collector, EveryBarrierPathKeepsObjectsAlive) {
    gc_assign(g_root, gc_new<Node>());
    gc_assign(g_holder, gc_new<Holder>());
    gc_collect_full();
    // Mid-cycle: the root is marked already, then new objects are hung
    // off it through each barrier.
    gc_drain(2147483647);
    gc_assign(g_root->next, gc_new<Node>());           // field store, shade
    Node* now = gc_new<Node>();
    gc_mark_now(now);                                   // mark-now store
    g_root->other = now;
    g_holder->nodes = Array<Node*>(3);
    gc_mark_now(g_holder->nodes.Body());                // fresh array into a field
    g_holder->nodes.Set(1, gc_new<Node>());             // element store
    gc_collect_full();
    gc_collect_full();
    FlushGarbage();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_NE(g_root->next, nullptr);
    EXPECT_NE(g_holder->nodes[1], nullptr);
}

// A reference stored after its holder was marked, without the barrier: the
// heap check names it at the end of marking; without the check the object
// is lost at the full collection.
TEST_F(Collector, StoreThatSkipsTheBarrierIsReportedOrLosesTheObject) {
    auto store_without_barrier = [] {
        gc_assign(g_root, gc_new<Node>());
        gc_collect_full();
        gc_drain(INT_MAX);
        g_root->next = gc_new<Node>();
        gc_collect_full();
    };
    bool was = gc_set_heap_check(true);
    EXPECT_DEATH(store_without_barrier(), "Heap check: a marked .*Node refers to an unmarked .*Node");
    gc_set_heap_check(false);
    store_without_barrier();
    FlushGarbage();
    EXPECT_EQ(g_destroyed, 1);
    g_root->next = nullptr;
    gc_set_heap_check(was);
}

TEST_F(Collector, ShadeAndMarkIgnoreNullMarkedAndStatic) {
    gc_shade(nullptr);
    gc_mark_now(nullptr);
    gc_mark_now(Array<int>().Body());
    gc_shade(Array<int>().Body());
    Node* n = gc_new<Node>();
    int before = gc_read_counters().marked_bytes;
    gc_mark_now(n);
    gc_mark_now(n);
    EXPECT_EQ(gc_read_counters().marked_bytes, before + 56);
    int lists[4];
    gc_list_lengths(lists);
    EXPECT_EQ(lists[0], 0);
}

TEST_F(Collector, DrainStopsAtTargetAndIsBreadthFirst) {
    Node* a = gc_new<Node>();
    Node* b = gc_new<Node>();
    gc_shade(a);
    gc_shade(b);
    int marked = gc_read_counters().marked_bytes;
    gc_drain(marked);  // target not above: nothing happens
    int lists[4];
    gc_list_lengths(lists);
    EXPECT_EQ(lists[0], 2);
    gc_drain(marked + 1);  // one object reaches the target
    gc_list_lengths(lists);
    EXPECT_EQ(lists[0], 1);
}

TEST_F(Collector, FullCollectionResetsCounters) {
    gc_assign(g_root, Chain(10));
    Chain(5);
    gc_collect_full();
    gc_collect_full();
    gc_counters c = gc_read_counters();
    EXPECT_EQ(c.tracked_bytes, 10 * 56 + 0);
    EXPECT_EQ(c.marked_bytes, 0);
    EXPECT_GE(c.garbage_bytes, 5 * 56);
    // Every survivor is unmarked again: shading the root queues it.
    int lists[4];
    gc_list_lengths(lists);
    EXPECT_EQ(lists[1], 0);
}

TEST_F(Collector, StepTriggersFullCollectionPastEightMegabytes) {
    if (kGcStress) GTEST_SKIP() << "stress builds end a cycle at every step";
    gc_add_external_bytes(kGcTriggerBytes + 1);
    gc_collect_step();  // starts from fresh_bytes == 0 and no external bytes
    ASSERT_EQ(gc_read_counters().fresh_bytes, 0);
    int cycles_bit = gc_read_counters().current_mark_bit;
    gc_add_external_bytes(kGcTriggerBytes);  // at the limit: not yet
    gc_collect_step();
    EXPECT_EQ(gc_read_counters().current_mark_bit, cycles_bit);
    gc_add_external_bytes(1);
    Chain(3);
    gc_collect_step();
    gc_counters c = gc_read_counters();
    EXPECT_NE(c.current_mark_bit, cycles_bit);
    EXPECT_EQ(c.fresh_bytes, 0);
    EXPECT_EQ(c.external_bytes, 0);
}

TEST_F(Collector, PacingMarksTheOldHeapByTheTimeTheTriggerIsReached) {
    if (kGcStress) GTEST_SKIP() << "stress builds end a cycle at every step";
    gc_assign(g_root, Chain(2000));
    gc_collect_full();
    gc_collect_full();
    // Allocate about half the trigger in garbage; half the old heap must
    // be marked by then.
    int lists[4];
    gc_add_external_bytes(kGcTriggerBytes + 1);
    gc_collect_step();  // fresh_bytes back to 0
    while (gc_read_counters().fresh_bytes < kGcTriggerBytes / 2) {
        for (int i = 0; i < 100; ++i) gc_new<Object>();
        gc_collect_step();
    }
    gc_list_lengths(lists);
    gc_counters c = gc_read_counters();
    EXPECT_GT(c.marked_bytes, 2000 * 56 / 2 - 56);
    EXPECT_STREQ(gc_check_heap(), "");
}

TEST_F(Collector, SizesRoundUpToMultiplesOfEight) {
    EXPECT_EQ(sizeof(Node), 56u);
    int before = gc_read_counters().tracked_bytes;
    Array<bool> a(25);  // 32-byte header + 25 bytes = 57, rounded to 64
    EXPECT_EQ(a.Body()->size(), 64u);
    EXPECT_EQ(gc_read_counters().tracked_bytes - before, 64);
    Array<bool> b(17);  // 49 bytes, rounded to 56
    EXPECT_EQ(b.Body()->size(), 56u);
}

}  // namespace
