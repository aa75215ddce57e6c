// The collector: reachable graphs surviving many cycles, lazy destruction
// and cell reuse, every barrier path and the heap check that catches a
// store without one, draining, pacing and the 8 MiB trigger, object sizes.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

#include "runtime/array.h"
#include "runtime/gc.h"

namespace {

int g_destroyed = 0;

struct Node : Object {
    Node* next = nullptr;
    Node* other = nullptr;
    Array<Node*> nodes;  // makes the object 56 bytes: the largest small cell
    ~Node() override { ++g_destroyed; }
    void mark() override {
        gc_shade(next);
        gc_shade(other);
        gc_shade(nodes.Body());
    }
};
constexpr int kNodeBytes = 56;
constexpr int kEightMegabytes = 8 << 20;  // the trigger of a full collection

Node* g_root = nullptr;

// Two cycles: nodes shaded by the barrier while garbage was built float
// through the first; the second finds them unreachable.
void CollectTwice() {
    gc_collect_full();
    gc_collect_full();
}

Node* Chain(int n) {
    Node* head = nullptr;
    for (int i = 0; i < n; ++i) {
        Node* node = gc_new<Node>();
        gc_assign(node->next, head);
        head = node;
    }
    return head;
}

int Length(const Node* n) { return n ? 1 + Length(n->next) : 0; }

int ListLength(int list) {  // 0 queue, 1 marked, 2 unmarked, 3 garbage
    int lengths[4];
    gc_list_lengths(lengths);
    return lengths[list];
}

class Collector : public ::testing::Test {
protected:
    void SetUp() override {
        gc_clear_roots();
        gc_add_root(+[]() -> gc_object* { return g_root; });
        TearDown();
        g_destroyed = 0;
    }
    void TearDown() override {
        g_root = nullptr;
        CollectTwice();
        gc_reclaim_all();
        EXPECT_STREQ(gc_check_heap(), "");
    }
};

TEST_F(Collector, ReachableGraphSurvivesManyCyclesAndGarbageIsDestroyed) {
    gc_assign(g_root, Chain(100));
    for (int cycle = 0; cycle < 20; ++cycle) {
        Chain(50);  // unreachable at once
        CollectTwice();
        gc_reclaim_all();
        ASSERT_EQ(Length(g_root), 100);
        ASSERT_STREQ(gc_check_heap(), "");
    }
    EXPECT_EQ(g_destroyed, 20 * 50);
    gc_counters c = gc_read_counters();
    EXPECT_EQ(c.tracked_bytes, 100 * kNodeBytes);
    EXPECT_EQ(c.marked_bytes, 0);
    EXPECT_EQ(ListLength(1), 0);  // every survivor is unmarked again
}

TEST_F(Collector, GarbageIsDestroyedByLaterAllocationsWhichReuseItsCells) {
    void* first = Chain(10);
    CollectTwice();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(gc_read_counters().garbage_bytes, 10 * kNodeBytes);
    // One allocation destroys as much garbage as it takes, and the cell
    // freed last is the one handed out.
    Node* next = gc_new<Node>();
    EXPECT_EQ(g_destroyed, 1);
    EXPECT_EQ(static_cast<void*>(next), first);
    gc_reclaim_all();
    EXPECT_EQ(g_destroyed, 10);
}

TEST_F(Collector, EveryBarrierPathKeepsObjectsAlive) {
    gc_assign(g_root, gc_new<Node>());
    gc_collect_full();
    // Mid-cycle: the root is marked already, then new objects are hung
    // off it through each barrier.
    gc_drain(INT_MAX);
    gc_assign(g_root->next, gc_new<Node>());  // field store, shade
    Node* now = gc_new<Node>();
    gc_mark_now(now);  // mark-now store
    g_root->other = now;
    g_root->nodes = Array<Node*>(3);
    gc_mark_now(g_root->nodes.Body());     // fresh array into a field
    g_root->nodes.Set(1, gc_new<Node>());  // element store
    CollectTwice();
    gc_reclaim_all();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_TRUE(g_root->next && g_root->other && g_root->nodes[1]);
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
    gc_reclaim_all();
    EXPECT_EQ(g_destroyed, 1);
    g_root->next = nullptr;
    gc_set_heap_check(true);  // a clean check leaves the barrier working
    gc_collect_full();
    gc_assign(g_root->next, gc_new<Node>());
    gc_set_heap_check(was);
}

// Every node's mark() shades a null and a static empty body as well: both
// are skipped, or the heap checks after each test would fail.
TEST_F(Collector, ObjectsQueueOnceAndDrainStopsAtItsTarget) {
    Node* twice = gc_new<Node>();
    gc_shade(twice);
    gc_shade(twice);
    gc_shade(gc_new<Node>());
    int marked = gc_read_counters().marked_bytes;
    gc_drain(marked);  // target not above: nothing happens
    EXPECT_EQ(ListLength(0), 2);
    gc_drain(marked + 1);  // one object reaches the target
    EXPECT_EQ(ListLength(0), 1);
    EXPECT_EQ(gc_read_counters().marked_bytes, marked + kNodeBytes);
}

// The step marks in proportion to what was allocated, so the old heap is
// marked by the time allocations and loaded bytes pass the trigger, which
// (and only past it) ends the cycle.
TEST_F(Collector, StepsPaceMarkingAndCollectInFullPastEightMegabytes) {
    if (kGcStress) GTEST_SKIP() << "stress builds end a cycle at every step";
    gc_assign(g_root, Chain(2000));
    CollectTwice();
    gc_add_external_bytes(kEightMegabytes + 1);
    gc_collect_step();  // a full collection: fresh and external bytes back to 0
    ASSERT_EQ(gc_read_counters().fresh_bytes, 0);
    while (gc_read_counters().fresh_bytes < kEightMegabytes / 2) {
        for (int i = 0; i < 100; ++i) gc_new<Object>();
        gc_collect_step();
    }
    EXPECT_GT(gc_read_counters().marked_bytes, 2000 * kNodeBytes / 2 - kNodeBytes);
    const int bit = gc_read_counters().current_mark_bit;
    gc_add_external_bytes(kEightMegabytes - gc_read_counters().fresh_bytes);  // at the trigger: not yet
    gc_collect_step();
    EXPECT_EQ(gc_read_counters().current_mark_bit, bit);
    gc_add_external_bytes(1);
    gc_collect_step();
    gc_counters c = gc_read_counters();
    EXPECT_NE(c.current_mark_bit, bit);
    EXPECT_EQ(c.fresh_bytes, 0);
    EXPECT_EQ(c.external_bytes, 0);
}

// Array<bool> bodies: a 32-byte header and one byte per element.
TEST_F(Collector, SizesRoundUpToMultiplesOfEight) {
    const int before = gc_read_counters().tracked_bytes;
    for (auto [length, size] : {std::pair{25, 64u}, {17, 56u}, {24, 56u}})
        EXPECT_EQ(Array<bool>(length).Body()->size(), size) << length;
    EXPECT_EQ(gc_read_counters().tracked_bytes - before, 64 + 56 + 56);
}

}  // namespace
