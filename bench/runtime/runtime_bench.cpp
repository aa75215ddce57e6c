// Runtime costs: small-object allocation through the collector (with its
// paced steps running) against malloc/free of the same sizes, and string
// work on lines like the ones the framework handles.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "runtime/array.h"
#include "runtime/gc.h"
#include "runtime/string.h"

namespace {

template <int Bytes>
struct Sized : Object {
    char payload[Bytes - sizeof(Object)];
};

// Sizes 16..56 are not all representable as objects (the header is 32
// bytes), so the sweep uses 32, 40, 48 and 56-byte objects, each dropped at
// once, with a collector step every 64 allocations as a host would run.
template <int Bytes>
void BM_GcAllocateDrop(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        Sized<Bytes>* o = gc_new<Sized<Bytes>>();
        benchmark::DoNotOptimize(o);
        if ((++n & 63) == 0) gc_collect_step();
    }
}
BENCHMARK_TEMPLATE(BM_GcAllocateDrop, 40);
BENCHMARK_TEMPLATE(BM_GcAllocateDrop, 56);

template <int Bytes>
void BM_MallocFree(benchmark::State& state) {
    for (auto _ : state) {
        void* p = std::malloc(Bytes);
        benchmark::DoNotOptimize(p);
        std::free(p);
    }
}
BENCHMARK_TEMPLATE(BM_MallocFree, 40);
BENCHMARK_TEMPLATE(BM_MallocFree, 56);

void BM_GcAllocateArray(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        Array<int> a(4);  // 48 bytes
        benchmark::DoNotOptimize(a.Body());
        if ((++n & 63) == 0) gc_collect_step();
    }
}
BENCHMARK(BM_GcAllocateArray);

const String kLine("info=Moonlit Harbor,page=0,file=\"fonti.png\",chars=91,first=32");

void BM_StringConcat(benchmark::State& state) {
    String tail(" -- and a little more text");
    for (auto _ : state) {
        String s = kLine + tail;
        benchmark::DoNotOptimize(s.Data());
    }
}
BENCHMARK(BM_StringConcat);

void BM_StringSplit(benchmark::State& state) {
    String comma(",");
    int n = 0;
    for (auto _ : state) {
        Array<String> parts = kLine.Split(comma);
        benchmark::DoNotOptimize(parts.Data());
        if ((++n & 63) == 0) gc_collect_step();
    }
}
BENCHMARK(BM_StringSplit);

void BM_StringFind(benchmark::State& state) {
    String needle("chars=");
    for (auto _ : state) benchmark::DoNotOptimize(kLine.Find(needle));
}
BENCHMARK(BM_StringFind);

}  // namespace

BENCHMARK_MAIN();
