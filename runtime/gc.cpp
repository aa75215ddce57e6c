// The incremental mark-and-sweep collector: lists, allocation with small-cell
// recycling, marking, the end of a cycle and the paced step the host runs
// after every call into the program.
#include "runtime/gc.h"

#include <cxxabi.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <typeinfo>

#include "runtime/string.h"

int gc_current_mark_bit = 1;

namespace {

// Sizes below this go through the small-cell free lists.
constexpr unsigned kSmallLimit = 64;
constexpr int kMaxRoots = 32;
constexpr int kMaxStatics = 64;

// Debug, sanitizer and stress builds check that every object comes from gc_new.
#ifdef MOONLIT_CHECKED
constexpr bool kChecked = true;
#else
constexpr bool kChecked = false;
#endif

#ifdef MOONLIT_GC_CHECK
constexpr bool kHeapCheckByDefault = true;
#else
constexpr bool kHeapCheckByDefault = false;
#endif

// A list head; only succ and pred are used.
struct Sentinel : gc_object {
    constexpr Sentinel() : gc_object(static_tag{}, this) {}
};

struct SmallCell {
    SmallCell* next;
};

struct Collector {
    Sentinel queue, marked, unmarked, garbage;
    int fresh_bytes = 0;
    int tracked_bytes = 0;
    int peak_tracked_bytes = 0;
    int marked_bytes = 0;
    int garbage_bytes = 0;
    std::atomic<int> external_bytes{0};
    unsigned pending_size = 0;  // reserved by gc_allocate for the next object
    void* pending_memory = nullptr;  // where that object must be constructed
    SmallCell* small_cells[kSmallLimit / 8] = {};
    gc_root_reader roots[kMaxRoots] = {};
    int root_count = 0;
    gc_object* statics[kMaxStatics] = {};
    int static_count = 0;
    bool heap_check = kHeapCheckByDefault;
    // While the heap check runs, the object whose references it walks: the
    // barrier's slow paths then report instead of marking.
    gc_object* checking = nullptr;
};

// Constant-initialised (every constructor involved is constexpr), so it is
// ready before any other static object runs code, and reaching it costs no
// initialisation guard on the allocation path.
Collector g_collector;

Collector& TheCollector() { return g_collector; }

// Misuse that would otherwise lose objects silently ends the program here.
[[noreturn]] void Fatal(const char* message) {
    std::fprintf(stderr, "%s\n", message);
    std::fflush(stderr);
    std::abort();
}

void MakeEmpty(gc_object* head) {
    head->succ = head;
    head->pred = head;
}

void Unlink(gc_object* obj) {
    obj->pred->succ = obj->succ;
    obj->succ->pred = obj->pred;
}

void Append(gc_object* head, gc_object* obj) {
    gc_object* last = head->pred;
    obj->pred = last;
    obj->succ = head;
    last->succ = obj;
    head->pred = obj;
}

// Moves every object of `from` to the tail of `to` in constant time.
void SpliceAll(gc_object* from, gc_object* to) {
    if (from->succ == from) return;
    gc_object* first = from->succ;
    gc_object* last = from->pred;
    first->pred = to->pred;
    to->pred->succ = first;
    last->succ = to;
    to->pred = last;
    MakeEmpty(from);
}

void ReclaimGarbage(Collector& c, int size) {
    int target = c.garbage_bytes - size;
    if (target < 0) target = 0;
    while (c.garbage_bytes > target && c.garbage.succ != &c.garbage) {
        gc_object* obj = c.garbage.succ;
        Unlink(obj);
        gc_destroy(obj);
    }
}

void* TakeMemory(Collector& c, unsigned size) {
    if (size < kSmallLimit) {
        SmallCell*& head = c.small_cells[size / 8];
        if (head) {
            SmallCell* cell = head;
            head = cell->next;
            return cell;
        }
    }
    void* memory = std::malloc(size);
    if (!memory) {
        std::fprintf(stderr, "Out of memory: could not allocate %u bytes for an object\n", size);
        std::abort();
    }
    return memory;
}

}  // namespace

// ---- objects --------------------------------------------------------------

gc_object::gc_object() {
    Collector& c = TheCollector();
    if (kChecked && (c.pending_size == 0 || c.pending_memory != this))
        Fatal("Collected object not made by gc_new: it would be freed as if gc_allocate had reserved it");
    flags = static_cast<unsigned>(gc_current_mark_bit) | c.pending_size;
    c.pending_size = 0;
    Append(&c.unmarked, this);
}

bool Object::Equals(Object* other) { return other == this; }

int Object::Compare(Object* other) {
    return static_cast<int>(reinterpret_cast<std::ptrdiff_t>(this) -
                            reinterpret_cast<std::ptrdiff_t>(other));
}

String Object::debug() { return String("+Object\n"); }

// ---- allocation -----------------------------------------------------------

void gc_init() {
    Collector& c = TheCollector();
    MakeEmpty(&c.queue);
    MakeEmpty(&c.marked);
    MakeEmpty(&c.unmarked);
    MakeEmpty(&c.garbage);
}

void* gc_allocate(int request) {
    Collector& c = TheCollector();
    // Marking may run at any time; only ending a cycle needs a safe point.
    if (kGcStress) gc_drain(INT_MAX);
    unsigned size = (static_cast<unsigned>(request) + 7u) & ~7u;
    int fresh = c.fresh_bytes + static_cast<int>(size);
    c.fresh_bytes = fresh;
    ReclaimGarbage(c, static_cast<int>(size));
    c.fresh_bytes = fresh;  // frees made by destructors above do not count
    void* memory = TakeMemory(c, size);
    c.tracked_bytes += static_cast<int>(size);
    if (c.tracked_bytes > c.peak_tracked_bytes) c.peak_tracked_bytes = c.tracked_bytes;
    c.pending_size = size;
    c.pending_memory = memory;
    return memory;
}

void gc_release_memory(void* memory, unsigned size) {
    Collector& c = TheCollector();
    c.garbage_bytes -= static_cast<int>(size);
    if (size >= kSmallLimit) {
        std::free(memory);
        return;
    }
    SmallCell* cell = static_cast<SmallCell*>(memory);
    cell->next = c.small_cells[size / 8];
    c.small_cells[size / 8] = cell;
}

void gc_destroy(gc_object* obj) {
    unsigned size = obj->size();
    obj->~gc_object();
    gc_release_memory(obj, size);
}

// ---- marking --------------------------------------------------------------

namespace {

std::string TypeName(const gc_object* obj) {
    const char* mangled = typeid(*obj).name();
    int status = 0;
    char* readable = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 ? readable : mangled;
    std::free(readable);
    return name;
}

[[noreturn]] void ReportUnmarkedReference(const gc_object* from, const gc_object* to) {
    std::fprintf(stderr, "Heap check: a marked %s refers to an unmarked %s (a store without the write barrier)\n",
                 TypeName(from).c_str(), TypeName(to).c_str());
    std::abort();
}

// At the end of marking, walks every marked object's references through its
// own mark(): a reference to an object still unmarked reaches the barrier's
// slow path, which reports it.
void CheckMarkedClosure(Collector& c) {
    for (gc_object* obj = c.marked.succ; obj != &c.marked; obj = obj->succ) {
        c.checking = obj;
        obj->mark();
    }
    c.checking = nullptr;
}

}  // namespace

void gc_shade_slow(gc_object* obj) {
    if (TheCollector().checking) ReportUnmarkedReference(TheCollector().checking, obj);
    obj->flags ^= 1u;
    Unlink(obj);
    Append(&TheCollector().queue, obj);
}

void gc_mark_now_slow(gc_object* obj) {
    Collector& c = TheCollector();
    if (c.checking) ReportUnmarkedReference(c.checking, obj);
    obj->flags ^= 1u;
    c.marked_bytes += static_cast<int>(obj->size());
    Unlink(obj);
    Append(&c.marked, obj);
    obj->mark();
}

void gc_drain(int target) {
    Collector& c = TheCollector();
    if (c.marked_bytes >= target) return;
    while (c.queue.succ != &c.queue) {
        gc_object* obj = c.queue.succ;
        Unlink(obj);
        Append(&c.marked, obj);
        c.marked_bytes += static_cast<int>(obj->size());
        obj->mark();
        if (c.marked_bytes >= target) return;
    }
}

// ---- cycles ---------------------------------------------------------------

void gc_finish_cycle() {
    Collector& c = TheCollector();
    if (c.heap_check && c.queue.succ == &c.queue) CheckMarkedClosure(c);
    if (c.tracked_bytes != c.marked_bytes) {
        c.garbage_bytes += c.tracked_bytes - c.marked_bytes;
        SpliceAll(&c.unmarked, &c.garbage);
    }
    SpliceAll(&c.marked, &c.unmarked);
    c.tracked_bytes = c.marked_bytes;
    c.marked_bytes = 0;
    gc_current_mark_bit ^= 1;
}

void gc_mark_globals() {
    Collector& c = TheCollector();
    for (int i = 0; i < c.root_count; ++i) gc_shade(c.roots[i]());
}

void gc_collect_full() {
    gc_drain(INT_MAX);
    gc_finish_cycle();
    gc_mark_globals();
}

void gc_collect_step() {
    Collector& c = TheCollector();
    int external = c.external_bytes.load();
    // 32-bit signed sum, wrapping like the counters themselves.
    int total = static_cast<int>(static_cast<unsigned>(c.fresh_bytes) + static_cast<unsigned>(external));
    if (kGcStress || total > kGcTriggerBytes) {
        c.external_bytes.fetch_sub(external);
        gc_collect_full();
        c.fresh_bytes = 0;
        return;
    }
    long long fresh = c.fresh_bytes;
    long long older = static_cast<long long>(c.tracked_bytes) - fresh;
    gc_drain(static_cast<int>(fresh + (older * fresh) / kGcTriggerBytes));
}

void gc_add_external_bytes(int n) { TheCollector().external_bytes.fetch_add(n); }

gc_counters gc_read_counters() {
    Collector& c = TheCollector();
    return {c.fresh_bytes, c.tracked_bytes, c.peak_tracked_bytes, c.marked_bytes,
            c.garbage_bytes, c.external_bytes.load(), gc_current_mark_bit};
}

// Strings count their bodies in fresh_bytes; see string.cpp.
void gc_count_fresh(int delta) { TheCollector().fresh_bytes += delta; }

// ---- roots and statics ----------------------------------------------------

void gc_add_root(gc_root_reader reader) {
    Collector& c = TheCollector();
    for (int i = 0; i < c.root_count; ++i)
        if (c.roots[i] == reader) return;
    if (c.root_count == kMaxRoots) Fatal("gc_add_root: more than 32 global roots; raise kMaxRoots in runtime/gc.cpp");
    c.roots[c.root_count++] = reader;
}

void gc_clear_roots() { TheCollector().root_count = 0; }

bool gc_set_heap_check(bool on) {
    bool was = TheCollector().heap_check;
    TheCollector().heap_check = on;
    return was;
}

void gc_register_static(gc_object* obj) {
    Collector& c = TheCollector();
    if (c.static_count < kMaxStatics) c.statics[c.static_count++] = obj;
}

// ---- diagnostics ----------------------------------------------------------

namespace {

bool ListContains(const gc_object* head, const void* address) {
    for (const gc_object* o = head->succ; o != head; o = o->succ)
        if (o == address) return true;
    return false;
}

// Checks one list's links and colours; adds its byte total to `bytes`.
const char* CheckList(const gc_object* head, bool want_marked, bool colour_matters, long long& bytes) {
    const gc_object* prev = head;
    for (const gc_object* o = head->succ; o != head; o = o->succ) {
        if (o->pred != prev) return "broken pred link";
        if (o->flags & gc_object::kStaticBit) return "static object in a list";
        if (colour_matters && gc_is_unmarked(o) == want_marked) return "object of the wrong colour for its list";
        bytes += o->size();
        prev = o;
    }
    if (head->pred != prev) return "broken tail link";
    return "";
}

}  // namespace

bool gc_is_known_object(const void* address) {
    if (!address) return false;
    Collector& c = TheCollector();
    for (int i = 0; i < c.static_count; ++i)
        if (c.statics[i] == address) return true;
    return ListContains(&c.queue, address) || ListContains(&c.marked, address) ||
           ListContains(&c.unmarked, address);
}

const char* gc_check_heap() {
    Collector& c = TheCollector();
    long long live = 0, garbage = 0;
    const char* problem = CheckList(&c.queue, true, true, live);
    if (!*problem) problem = CheckList(&c.marked, true, true, live);
    if (!*problem) problem = CheckList(&c.unmarked, false, true, live);
    if (!*problem) problem = CheckList(&c.garbage, false, false, garbage);
    if (*problem) return problem;
    if (live != c.tracked_bytes) return "tracked_bytes differs from the live lists";
    if (garbage != c.garbage_bytes) return "garbage_bytes differs from the garbage list";
    return "";
}

void gc_reclaim_all() {
    Collector& c = TheCollector();
    while (c.garbage.succ != &c.garbage) {
        gc_object* obj = c.garbage.succ;
        Unlink(obj);
        gc_destroy(obj);
    }
}

void gc_list_lengths(int out[4]) {
    Collector& c = TheCollector();
    const gc_object* heads[4] = {&c.queue, &c.marked, &c.unmarked, &c.garbage};
    for (int i = 0; i < 4; ++i) {
        out[i] = 0;
        for (const gc_object* o = heads[i]->succ; o != heads[i]; o = o->succ) ++out[i];
    }
}
