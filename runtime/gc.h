// Collected objects and the incremental collector.
//
// Every framework and program object derives from gc_object and lives in
// exactly one of four circular lists: the queue (reachable, fields not yet
// scanned), the marked list (reachable, scanned), the unmarked list (not yet
// found this cycle; new objects join here) and the garbage list (found
// unreachable, destroyed lazily by later allocations).
//
// Invariant kept by the write barrier: an object reachable from a global root
// or the game delegate is never left unmarked at the end of a cycle, because
// every store of a reference into a global, a collected object's field or an
// object array element first marks the stored object (gc_shade queues it,
// gc_mark_now marks it at once). The collector never scans the machine stack;
// it runs only at safe points the host chooses, when no program local is live.
//
// Marking flips bit 0 of `flags`. An object is unmarked when
// (flags & 3) == current_mark_bit; static objects (bit 1) never compare
// equal, so they are never marked, moved or freed. Ending a cycle flips
// current_mark_bit, which makes every survivor unmarked again in O(1).
#pragma once

#include <cstddef>
#include <new>
#include <utility>

class String;

struct gc_object {
    gc_object* succ;
    gc_object* pred;
    unsigned flags;  // bits 3..31: size in bytes; bit 1: static; bit 0: mark

    static constexpr unsigned kMarkBit = 1;
    static constexpr unsigned kStaticBit = 2;

    virtual ~gc_object() {}
    virtual void mark() {}

    unsigned size() const { return flags & ~7u; }

    // For bodies in static storage: never in a list, never marked or freed.
    struct static_tag {};

protected:
    // Joins the unmarked list with the size that gc_allocate just reserved.
    gc_object();
    constexpr explicit gc_object(static_tag)
        : succ(nullptr), pred(nullptr), flags(kStaticBit | kMarkBit) {}
    // A list head in static storage, linked to itself (an empty list).
    constexpr gc_object(static_tag, gc_object* self)
        : succ(self), pred(self), flags(kStaticBit | kMarkBit) {}
};

struct Object : gc_object {
    virtual bool Equals(Object* other);
    virtual int Compare(Object* other);
    virtual String debug();
};

// ---- collector interface -------------------------------------------------

// Counters and pacing state, readable by tests and benchmarks.
struct gc_counters {
    int fresh_bytes;
    int tracked_bytes;
    int peak_tracked_bytes;
    int marked_bytes;
    int garbage_bytes;
    int external_bytes;
    int current_mark_bit;
};

// Stress builds collect at every safe point and drain the mark queue at
// every allocation, so a reference stored without the write barrier is lost
// at once instead of hours later; tests of the paced schedule skip there.
#ifdef MOONLIT_GC_STRESS
constexpr bool kGcStress = true;
#else
constexpr bool kGcStress = false;
#endif

// A full collection starts once this many bytes were allocated or loaded
// since the last one; also the divisor that paces incremental marking, so
// the whole older heap is marked by the time it is reached.
constexpr int kGcTriggerBytes = 8388608;

void gc_init();
void* gc_allocate(int size);
void gc_release_memory(void* memory, unsigned size);
void gc_destroy(gc_object* obj);  // the deleting destructor
void gc_shade_slow(gc_object* obj);
void gc_mark_now_slow(gc_object* obj);
void gc_drain(int target);
void gc_finish_cycle();
void gc_mark_globals();
void gc_collect_step();
void gc_collect_full();
void gc_add_external_bytes(int n);
gc_counters gc_read_counters();

// The write barrier's fast test is inline; only unmarked objects take the
// out-of-line path. Null is allowed.
extern int gc_current_mark_bit;
inline bool gc_is_unmarked(const gc_object* obj) {
    return (obj->flags & 3u) == static_cast<unsigned>(gc_current_mark_bit);
}
inline void gc_shade(gc_object* obj) {
    if (obj && gc_is_unmarked(obj)) gc_shade_slow(obj);
}
inline void gc_mark_now(gc_object* obj) {
    if (obj && gc_is_unmarked(obj)) gc_mark_now_slow(obj);
}

// Global roots. Each subsystem registers a reader for each of its global
// object references at start-up; gc_mark_globals shades them in the order
// they were registered. Registering a reader again changes nothing; a reader
// beyond the fixed table ends the program with a message (a lost root would
// free live objects).
using gc_root_reader = gc_object* (*)();
void gc_add_root(gc_root_reader reader);
void gc_clear_roots();

// The heap check at the end of marking: every marked object's references
// are walked, and one to an object still unmarked (a store that skipped the
// barrier) stops the program with both classes named. On in stress and
// sanitizer builds. Returns the previous setting.
bool gc_set_heap_check(bool on);

// Static bodies (the empty arrays) register themselves so that diagnostics
// can recognise their addresses.
void gc_register_static(gc_object* obj);

// True when `address` is an object the collector holds on its queue, marked
// or unmarked list, or a registered static body. Walks the lists: for
// diagnostics only, never on a hot path.
bool gc_is_known_object(const void* address);

// Test support: walks every list and checks links, colours and byte totals.
// Returns an empty string when the heap is consistent, else what is wrong.
const char* gc_check_heap();
// Destroys every object on the garbage list now, instead of lazily inside
// later allocations (tests; a program never needs it).
void gc_reclaim_all();
// Number of objects on each list: queue, marked, unmarked, garbage.
void gc_list_lengths(int out[4]);

// Allocates and constructs a collected object of class T.
template <class T, class... Args>
T* gc_new(Args&&... args) {
    void* memory = gc_allocate(static_cast<int>(sizeof(T)));
    return new (memory) T(std::forward<Args>(args)...);
}

// Stores a reference into a field or global after marking it (the barrier).
template <class T>
inline void gc_assign(T*& slot, T* value) {
    gc_shade(value);
    slot = value;
}
