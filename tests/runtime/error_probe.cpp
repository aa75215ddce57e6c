// A small program the error tests run as a child process: each mode takes
// one real path that ends the process (Error, a signal, the prompt).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/array.h"
#include "runtime/error.h"

namespace {

// Replaces standard input with `text`, so the prompt reads a line that
// names an address only this process knows.
void FeedStdin(const std::string& text) {
    char path[] = "/tmp/moonlit-probe-XXXXXX";
    std::FILE* f = fdopen(mkstemp(path), "w");
    std::fputs(text.c_str(), f);
    std::fclose(f);
    if (!std::freopen(path, "r", stdin)) std::exit(3);
    std::remove(path);
}

template <int N>
gc_object* NoRoot() {
    return nullptr;
}

// One reader registered many times, then distinct readers until the table
// (32) is full; the next one must stop the program.
template <int... N>
void FillRoots(std::integer_sequence<int, N...>) {
    gc_clear_roots();
    for (int i = 0; i < 100; ++i) gc_add_root(NoRoot<0>);
    (gc_add_root(NoRoot<N + 1>), ...);
    std::printf("32 roots\n");
    std::fflush(stdout);
    gc_add_root(NoRoot<-1>);
}

std::string AddressOf(const void* p) {
    char text[64];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    gc_init();
    InstallSignalHandlers();
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "error-empty") Error(String());
    if (mode == "error") Error(String("boom"));
    if (mode == "uncaught") HandleUncaught();
    if (mode == "print") {
        const uint16_t text[] = {'c', 'a', 'f', 0xe9, 0};
        Print(String(text));
        DebugLog(String(text));
        return 0;
    }
    if (mode == "segv") {
        // An unmapped, non-null address: a real fault, not a null check.
        volatile int* p = reinterpret_cast<volatile int*>(static_cast<uintptr_t>(std::atoi("8")));
        *p = 1;
    }
    if (mode == "at-object") {
        Object* o = gc_new<Object>();
        FeedStdin("@" + AddressOf(o) + "\nq\n");
        RuntimeError("probe");
    }
    if (mode == "at-array") {
        Array<int> a(4);
        FeedStdin("@" + AddressOf(a.Body()) + "\n@" + AddressOf(Array<int>().Body()) + "\nq\n");
        RuntimeError("probe");
    }
    if (mode == "at-stack") {
        int local = 0;
        FeedStdin("@" + AddressOf(&local) + "\nq\n");
        RuntimeError("probe");
    }
    if (mode == "prompt") RuntimeError("probe");
    if (mode == "root-overflow") FillRoots(std::make_integer_sequence<int, 31>());
    if (mode == "object-on-stack") {
        Object local;
        std::printf("accepted\n");
    }
    return 2;
}
