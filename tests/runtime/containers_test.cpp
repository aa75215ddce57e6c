// Arrays (resize and slice, counted string elements),
// maps (red-black trees checked against std::map across collections) and
// the stack.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "runtime/array.h"
#include "runtime/map.h"
#include "runtime/stack.h"

namespace {

struct Value : Object {
    int n;
    explicit Value(int v) : n(v) {}
};
using IntMap = c_IntMapOf<Value>;
using Node = c_NodeOf<Value>;

std::vector<int> Elements(const Array<int>& a) { return {a.Data(), a.Data() + a.Length()}; }

// Two cycles find every unreachable object, even one the barrier shaded.
void DestroyGarbage() {
    gc_collect_full();
    gc_collect_full();
    gc_reclaim_all();
}

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
        {"slice all", a.Slice(0, 5), {1, 2, 3, 4, 5}},
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

// Returns the black height, or -1 when an invariant fails.
int CheckSubtree(Node* node, Node* parent, long long lo, long long hi) {
    if (!node) return 1;
    if (node->parent != parent || node->key <= lo || node->key >= hi) return -1;
    if (node->color == Node::kRed && ((node->left && node->left->color == Node::kRed) ||
                                      (node->right && node->right->color == Node::kRed)))
        return -1;
    int l = CheckSubtree(node->left, node, lo, node->key);
    int r = CheckSubtree(node->right, node, node->key, hi);
    if (l < 0 || l != r) return -1;
    return l + (node->color == Node::kBlack ? 1 : 0);
}

// Add keeps a present key's value, Set replaces it; both say if it was new.
TEST(Maps, RandomAddsAndSetsMatchStdMapAndKeepInvariants) {
    static IntMap* m;
    gc_clear_roots();
    gc_add_root(+[]() -> gc_object* { return m; });
    gc_assign(m, gc_new<IntMap>());
    std::map<int, int> expected;
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        int key = static_cast<int>(rng() % 20000) - 10000;
        int value = static_cast<int>(rng() % 1000);
        const bool fresh = expected.count(key) == 0;
        ASSERT_EQ(m->Contains(key), !fresh);
        if (i % 2) {
            ASSERT_EQ(m->Set(key, gc_new<Value>(value)), fresh);
            expected[key] = value;
        } else {
            ASSERT_EQ(m->Add(key, gc_new<Value>(value)), fresh);
            expected.emplace(key, value);
        }
        if (i % 500 == 0) gc_collect_full();  // the tree must survive collections
    }
    DestroyGarbage();
    ASSERT_GT(CheckSubtree(m->root, nullptr, -(1LL << 40), 1LL << 40), 0);
    EXPECT_EQ(m->root->color, Node::kBlack);
    for (auto& [key, value] : expected) ASSERT_EQ(m->Get(key)->n, value);
    EXPECT_EQ(m->Get(20001), nullptr);
    EXPECT_STREQ(gc_check_heap(), "");
    gc_clear_roots();
}

TEST(Stacks, PushesGrowTheStackInOrder) {
    Array<Value*> values(11);
    for (int i = 0; i < 11; ++i) values.Set(i, gc_new<Value>(i));
    auto* s = gc_new<c_StackOf<Value>>();
    EXPECT_TRUE(s->ToArray().IsEmptyBody());
    for (int i = 0; i < 11; ++i) s->Push(values[i]);  // past the first two capacities
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
