// The runtime's memory and text: the collector (lazy destruction, barriers,
// the heap check, pacing and the 8 MiB trigger), strings (operations, the
// bytes of text files, bodies counted in fresh_bytes) and the collected
// containers (arrays, maps checked against std::map, the stack).
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
void DestroyGarbage() {
    gc_collect_full();
    gc_collect_full();
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

TEST_F(Collector, GarbageIsDestroyedLazilyIntoReusedCellsAndTheGraphSurvives) {
    gc_assign(g_root, Chain(100));
    void* first = Chain(10);  // unreachable at once
    gc_collect_full();
    gc_collect_full();
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(gc_read_counters().garbage_bytes, 10 * kNodeBytes);
    // One allocation destroys as much garbage as it takes, and the cell
    // freed last is the one handed out.
    EXPECT_EQ(static_cast<void*>(gc_new<Node>()), first);
    EXPECT_EQ(g_destroyed, 1);
    for (int cycle = 0; cycle < 20; ++cycle) {
        Chain(50);
        DestroyGarbage();
        ASSERT_EQ(Length(g_root), 100);
    }
    EXPECT_EQ(g_destroyed, 10 + 1 + 20 * 50);
    EXPECT_EQ(gc_read_counters().tracked_bytes, 100 * kNodeBytes);
    EXPECT_EQ(gc_read_counters().marked_bytes, 0);
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
    gc_collect_full();  // fresh bytes back to 0
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
    EXPECT_NE(gc_read_counters().current_mark_bit, bit);
    EXPECT_EQ(gc_read_counters().fresh_bytes, 0);
    EXPECT_EQ(gc_read_counters().external_bytes, 0);
}

std::u16string Units(const String& s) { return {reinterpret_cast<const char16_t*>(s.Data()), size_t(s.Length())}; }

String Pieces(const Array<String>& pieces) {
    String out;
    for (int i = 0; i < pieces.Length(); ++i) out += "[" + pieces[i] + "]";
    return out;
}

String Decoded(const std::vector<unsigned char>& b) { return String::FromBytes(b.data(), int(b.size())); }

TEST(Strings, OperationsGiveTheirTexts) {
    const String s("abcdef"), t("abcabc"), ab("ab"), one("one two one");
    auto n = [](int v) { return String(v); };  // numbers and truths as text
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
        {"find", n(t.Find("bc")), u"1"},                {"find from 2", n(t.Find("bc", 2)), u"4"},
        {"find from -5", n(t.Find("bc", -5)), u"1"},    {"find missing", n(t.Find("x")), u"-1"},
        {"find empty at end", n(t.Find("", 6)), u"6"},  {"find empty past end", n(t.Find("", 7)), u"-1"},
        {"find last", n(t.FindLast("abc")), u"3"},      {"find last longer", n(ab.FindLast("abc")), u"-1"},
        {"starts", n(t.StartsWith("abc")), u"1"},       {"starts longer", n(ab.StartsWith("abc")), u"0"},
        {"ends", n(t.EndsWith("cabc")), u"1"},          {"ends not", n(t.EndsWith("b")), u"0"},
        {"int", n(String(" -42abc").ToInt()), u"-42"},
    };
    for (const auto& row : rows) EXPECT_EQ(Units(row.got), row.want) << row.what;
}

// Each length's ends, a lone surrogate last, written after 8190 bytes: the
// file is read in three chunks, the first split inside a sequence.
TEST(Strings, Utf8EncodesEachLengthsEndsAndLoadsBackAcrossChunks) {
    const uint16_t ends[] = {0x80, 0x7f, 0x7ff, 0x800, 0xffff, 0xD83D, 0};
    std::vector<unsigned char> bytes(8190, 'x');
    String(ends).ToUtf8(bytes);
    EXPECT_EQ(std::string(bytes.begin() + 8190, bytes.end()),
              "\xc2\x80\x7f\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xed\xa0\xbd");
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    EXPECT_EQ(String::LoadText(f), String(std::string(8190, 'x').c_str()) + String(ends));
    std::fclose(f);
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

TEST_F(Collector, StringElementsHoldCountedReferences) {
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
TEST_F(Collector, MapAddsAndSetsMatchStdMapAcrossCollections) {
    static IntMap* m;
    gc_add_root(+[]() -> gc_object* { return m; });
    gc_assign(m, gc_new<IntMap>());
    std::map<int, int> expected;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        int key = static_cast<int>(rng() % 20000) - 10000;
        const bool fresh = expected.count(key) == 0, set = i % 2;
        ASSERT_EQ(m->Contains(key), !fresh);
        ASSERT_EQ(set ? m->Set(key, gc_new<Value>(i)) : m->Add(key, gc_new<Value>(i)), fresh);
        if (set || fresh) expected[key] = i;
        if (i % 500 == 0) gc_collect_full();  // the tree must survive collections
    }
    DestroyGarbage();
    for (auto& [key, value] : expected) ASSERT_EQ(m->Get(key)->n, value);
    EXPECT_EQ(m->Get(20001), nullptr);
}

// Pushes of ranges, onto an empty stack and onto a copy of an array; a range
// is cut at the end and empty past it.
TEST(Stacks, PushesGrowTheStackInOrder) {
    Array<Value*> values(11);
    for (int i = 0; i < 11; ++i) values.Set(i, gc_new<Value>(i));
    auto* s = gc_new<c_StackOf<Value>>();
    s->Push(values, 0);  // one at a time, past the first capacities
    auto* t = gc_new<c_StackOf<Value>>(s->ToArray());
    t->Push(values, 9);     // 9, 10
    t->Push(values, 20);    // nothing
    t->Push(values, 1, 2);  // 1, 2
    Array<Value*> all = t->ToArray();
    std::vector<int> got;
    for (int i = 0; i < all.Length(); ++i) got.push_back(all[i]->n);
    EXPECT_EQ(got, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 9, 10, 1, 2}));
}

}  // namespace
