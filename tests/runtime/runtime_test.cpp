// The runtime's memory and text: the collector (reachable graphs surviving
// many cycles, lazy destruction and cell reuse, every barrier path and the
// heap check that catches a store without one, pacing and the 8 MiB
// trigger), strings (formatting, slicing, searching, splitting, replacing,
// decoding the bytes of text files, bodies counted in fresh_bytes) and the
// collected containers (arrays, maps checked against std::map, the stack).
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/map.h"
#include "runtime/stack.h"
#include "runtime/string.h"

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

void DestroyGarbage() {
    CollectTwice();
    gc_reclaim_all();
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
        DestroyGarbage();
        EXPECT_STREQ(gc_check_heap(), "");
    }
};

TEST_F(Collector, ReachableGraphSurvivesManyCyclesAndGarbageIsDestroyed) {
    gc_assign(g_root, Chain(100));
    for (int cycle = 0; cycle < 20; ++cycle) {
        Chain(50);  // unreachable at once
        DestroyGarbage();
        ASSERT_EQ(Length(g_root), 100);
    }
    EXPECT_EQ(g_destroyed, 20 * 50);
    gc_counters c = gc_read_counters();
    EXPECT_EQ(c.tracked_bytes, 100 * kNodeBytes);
    EXPECT_EQ(c.marked_bytes, 0);
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
    DestroyGarbage();
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
    gc_set_heap_check(was);
}

// The step marks in proportion to what was allocated, so the old heap is
// marked by the time allocations and loaded bytes pass the trigger, which
// (and only past it) ends the cycle.
TEST_F(Collector, StepsPaceMarkingAndCollectInFullPastEightMegabytes) {
    if (kGcStress) GTEST_SKIP() << "stress builds end a cycle at every step";
    gc_assign(g_root, Chain(2000));
    CollectTwice();  // a full collection: fresh bytes back to 0
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

std::u16string Units(const String& s) { return {reinterpret_cast<const char16_t*>(s.Data()), size_t(s.Length())}; }

String Pieces(const Array<String>& pieces) {
    String out;
    for (int i = 0; i < pieces.Length(); ++i) out += "[" + pieces[i] + "]";
    return out;
}

String Decoded(const std::vector<unsigned char>& b) { return String::FromBytes(b.data(), int(b.size())); }

TEST(Strings, OperationsGiveTheirTexts) {
    const String s("abcdef"), one("one two one");
    const struct {
        const char* what;
        String got;
        std::u16string want;
    } rows[] = {
        {"3.0f", String(3.0f), u"3.0"},
        {"0.1f", String(0.1f), u"0.10000000149011612"},
        {"1e20f", String(1e20f), u"1.0000000200408773e+20"},
        {"8-bit literal", String("a\xe9"), u"a\xFFE9"},
        {"slice 0,3", s.Slice(0, 3), u"abc"},
        {"slice -3,-1", s.Slice(-3, -1), u"de"},
        {"slice 4,2", s.Slice(4, 2), u""},
        {"slice -100,2", s.Slice(-100, 2), u"ab"},
        {"slice 0,-10", s.Slice(0, -10), u""},
        {"slice -5", s.Slice(-5), u"bcdef"},
        {"trim", String("\t !a b! \n").Trim(), u"!a b!"},
        {"split", Pieces(String("a,,b,").Split(",")), u"[a][][b][]"},
        {"split units", Pieces(String("abc").Split("")), u"[a][b][c]"},
        {"split overlapping", Pieces(String("aaaa").Split("aa")), u"[][][]"},
        {"replace", one.Replace("one", "1"), u"1 two 1"},
        {"replace overlapping", String("aaa").Replace("aa", "b"), u"ba"},
        {"replace all", String("ab").Replace("ab", ""), u""},
        {"replace to one unit", String("ab").Replace("b", ""), u"a"},
        {"lower", String("File.PNG").ToLower(), u"file.png"},
        {"UTF-16LE", Decoded({0xff, 0xfe, 0x41, 0x00, 0x42}), u"A"},
        {"UTF-16BE", Decoded({0xfe, 0xff, 0x00, 0x41, 0x20, 0xac}), u"A\x20ac"},
        {"UTF-8 with mark", Decoded({0xef, 0xbb, 0xbf, 'h', 0xc3, 0xa9, 0xe2, 0x82, 0xac}), u"h\xe9\x20ac"},
        {"8-bit", Decoded({'c', 'a', 'f', 0xe9}), u"caf\xe9"},
        {"8-bit after a mark", Decoded({0xef, 0xbb, 0xbf, 0xff}), u"\xef\xbb\xbf\xff"},
        {"stray continuation", Decoded({0x80, 'a'}), u"\x80" u"a"},
        {"four-byte lead", Decoded({0xf0, 0x9f, 0x98, 0x80}), u"\xf0\x9f\x98\x80"},
        {"cut-off sequence", Decoded({'a', 0xe2, 0x82}), u"a\xe2\x82"},
    };
    for (const auto& row : rows) EXPECT_EQ(Units(row.got), row.want) << row.what;
}

TEST(Strings, SearchesAndNumbers) {
    const String s("abcabc");
    const struct {
        const char* what;
        int got, want;
    } rows[] = {
        {"find", s.Find("bc"), 1},          {"find from 2", s.Find("bc", 2), 4},
        {"find from -5", s.Find("bc", -5), 1}, {"find missing", s.Find("x"), -1},
        {"find empty at end", s.Find("", 6), 6}, {"find empty past end", s.Find("", 7), -1},
        {"find last", s.FindLast("abc"), 3}, {"find last longer", String("ab").FindLast("abc"), -1},
        {"starts", s.StartsWith("abc"), 1}, {"starts longer", String("ab").StartsWith("abc"), 0},
        {"ends", s.EndsWith("cabc"), 1},    {"ends not", s.EndsWith("b"), 0},
        {"int", String(" -42abc").ToInt(), -42}, {"int plus", String("+17").ToInt(), 17},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
}

TEST(Strings, Utf8EncodesEachLengthsEndsAndDecodesBack) {
    const uint16_t ends[] = {0x7f, 0x80, 0x7ff, 0x800, 0xffff, 0xD83D, 0};  // a lone surrogate last
    std::vector<unsigned char> bytes;
    String(ends).ToUtf8(bytes);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xed\xa0\xbd");
    EXPECT_EQ(Decoded(bytes), String(ends));
}

TEST(Strings, LoadTextReadsAcrossChunks) {
    std::string text(8191, 'x');
    text += "\xc3\xa9";  // split by the second chunk's end: the last chunk is one byte
    std::FILE* f = fmemopen(text.data(), text.size(), "rb");
    String s = String::LoadText(f);
    std::fclose(f);
    EXPECT_EQ(Units(s), std::u16string(8191, u'x') + u"\xe9");
}

// Only live bodies count in fresh_bytes. Every empty result is the one
// shared empty body, never counted: made, copied, moved, assigned or
// released, its count stays where it started (released uncounted, it once
// drifted down by one each time).
TEST(Strings, FreshBytesCountLiveBodiesButNeverTheSharedEmptyOne) {
    const int start = gc_read_counters().fresh_bytes;
    {
        const String keep("0123456789");  // 8 + 20 bytes
        for (int i = 0; i < 1000; ++i) {
            String joined = keep + String(i) + "," + keep.Slice(2, 5);
            String back = joined.Replace("0", "zero").ToLower().Trim().Copy();
            String made(""), copied(made), sliced = keep.Slice(1, 1), replaced = keep.Replace(keep, "");
            ASSERT_TRUE(sliced.SameBody(made) && replaced.SameBody(made) && String("  ").Trim().SameBody(made));
            sliced = copied;
            replaced = std::move(sliced);
            String moved(std::move(replaced));
        }
        EXPECT_EQ(gc_read_counters().fresh_bytes - start, 28);
    }
    EXPECT_EQ(gc_read_counters().fresh_bytes, start);
    for (int i = 0; i < 1000; ++i) Array<String>(3).Set(1, String("") + String());
    EXPECT_EQ(String::empty_rep()->refs, 1);
}

struct Value : Object {
    int n;
    explicit Value(int v) : n(v) {}
};
using IntMap = c_IntMapOf<Value>;

std::vector<int> Elements(const Array<int>& a) { return {a.Data(), a.Data() + a.Length()}; }

TEST(Arrays, ResizeAndSliceClampAndCopy) {
    Array<int> a(5);
    for (int i = 0; i < 5; ++i) a.Set(i, i + 1);
    const struct {
        const char* what;
        Array<int> got;
        std::vector<int> want;
    } rows[] = {
        {"grow", a.Resize(8), {1, 2, 3, 4, 5, 0, 0, 0}},
        {"shrink", a.Resize(2), {1, 2}},
        {"resize to 0", a.Resize(0), {}},
        {"slice from -3", a.Slice(-3, 3), {1, 2, 3}},
        {"slice past end", a.Slice(3, 99), {4, 5}},
        {"slice backwards", a.Slice(4, 2), {}},
        {"slice to -1", a.Slice(0, -1), {}},
        {"slice 5", a.Slice(5), {}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Elements(row.got), row.want) << row.what;
        EXPECT_NE(row.got.Body(), a.Body()) << row.what;
        EXPECT_EQ(row.got.IsEmptyBody(), row.want.empty()) << row.what;
    }
    EXPECT_EQ(Elements(a), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(Arrays, StringElementsHoldCountedReferences) {
    DestroyGarbage();  // what earlier tests left releases its strings first
    const int fresh = gc_read_counters().fresh_bytes;
    {
        String text("hello");
        Array<String> a(2);
        a.Set(0, text);
        a.Set(1, text);
        Array<String> copy = a.Resize(3);
        EXPECT_TRUE(copy[0].SameBody(text) && copy[1].SameBody(text) && copy[2].SameBody(String()));
    }
    // Destroying the arrays releases the text's body with them; the two
    // array bodies (32 + 2 * 8, 32 + 3 * 8) stay counted.
    DestroyGarbage();
    EXPECT_EQ(gc_read_counters().fresh_bytes - fresh, 48 + 56);

    // Released inside a later allocation instead, the text does not lower
    // the count: there only allocations pace the collector.
    Array<String>(1).Set(0, String("hello"));
    gc_collect_full();
    const int before = gc_read_counters().fresh_bytes;
    Array<int> next(20);  // 112 bytes: destroys the 40-byte array on the way
    EXPECT_EQ(gc_read_counters().fresh_bytes - before, 112);
}

// Add keeps a present key's value, Set replaces it; both say if it was new.
TEST(Maps, RandomAddsAndSetsMatchStdMapAcrossCollections) {
    static IntMap* m;
    gc_clear_roots();
    gc_add_root(+[]() -> gc_object* { return m; });
    gc_assign(m, gc_new<IntMap>());
    std::map<int, int> expected;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        int key = static_cast<int>(rng() % 20000) - 10000;
        const bool fresh = expected.count(key) == 0;
        ASSERT_EQ(m->Contains(key), !fresh);
        if (i % 2) {
            ASSERT_EQ(m->Set(key, gc_new<Value>(i)), fresh);
            expected[key] = i;
        } else {
            ASSERT_EQ(m->Add(key, gc_new<Value>(i)), fresh);
            expected.emplace(key, i);
        }
        if (i % 500 == 0) gc_collect_full();  // the tree must survive collections
    }
    DestroyGarbage();
    for (auto& [key, value] : expected) ASSERT_EQ(m->Get(key)->n, value);
    EXPECT_EQ(m->Get(20001), nullptr);
    EXPECT_STREQ(gc_check_heap(), "");
}

// Pushes of ranges, onto an empty stack and onto a copy of an array; a range
// is cut at the end and empty past it.
TEST(Stacks, PushesGrowTheStackInOrder) {
    Array<Value*> values(11);
    for (int i = 0; i < 11; ++i) values.Set(i, gc_new<Value>(i));
    auto* s = gc_new<c_StackOf<Value>>();
    s->Push(values, 0);  // one at a time, past the first capacities
    auto* t = gc_new<c_StackOf<Value>>(s->ToArray());
    EXPECT_NE(t->data.Body(), s->data.Body());
    t->Push(values, 9);     // 9, 10
    t->Push(values, 20);    // nothing
    t->Push(values, 1, 2);  // 1, 2
    Array<Value*> all = t->ToArray();
    std::vector<int> got;
    for (int i = 0; i < all.Length(); ++i) got.push_back(all[i]->n);
    EXPECT_EQ(got, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 10, 1, 2}));
}

}  // namespace
