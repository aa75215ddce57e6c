// A small program the error tests run as a child process: each mode takes
// one real path that ends the process (Error, a signal, the prompt, a
// misused collector).
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "runtime/array.h"
#include "runtime/error.h"

namespace {

// Standard input replaced by lines naming addresses only this process knows.
void FeedStdin(const std::string& text) {
    int ends[2];
    if (pipe(ends) != 0 || write(ends[1], text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::exit(3);
    close(ends[1]);
    dup2(ends[0], STDIN_FILENO);
}

std::string At(const void* p) {
    char text[64];
    std::snprintf(text, sizeof text, "@%p\n", p);
    return text;
}

template <int N>
gc_object* NoRoot() {
    return nullptr;
}

// One reader registered many times, then distinct ones until the table (32)
// is full; the next one must stop the program.
template <int... N>
void FillRoots(std::integer_sequence<int, N...>) {
    for (int i = 0; i < 100; ++i) gc_add_root(NoRoot<0>);
    (gc_add_root(NoRoot<N + 1>), ...);
    std::printf("32 roots\n");
    std::fflush(stdout);
    gc_add_root(NoRoot<-1>);
}

const struct {
    const char* mode;
    void (*run)();
} kModes[] = {
    {"error-empty", [] { Error(String()); }},
    {"error", [] { Error(String("boom")); }},
    {"uncaught", [] { HandleUncaught(); }},
    {"prompt", [] { RuntimeError("probe"); }},
    {"print",
     [] {
         const uint16_t text[] = {'c', 'a', 'f', 0xe9, 0};
         Print(String(text));
         DebugLog(String(text));
         std::exit(0);
     }},
    {"fpe", [] { std::raise(SIGFPE); }},
    {"ill", [] { std::raise(SIGILL); }},
    // An unmapped, non-null address: a real fault, not a null check.
    {"segv", [] { *reinterpret_cast<volatile int*>(static_cast<uintptr_t>(std::atoi("8"))) = 1; }},
    // A live object, an array body, a static empty body, a local: only the
    // first has a text; none of the others is ever dereferenced.
    {"at",
     [] {
         int local = 0;
         FeedStdin(At(gc_new<Object>()) + At(Array<int>(4).Body()) + At(Array<int>().Body()) + At(&local) +
                   "q\n");
         RuntimeError("probe");
     }},
    {"root-overflow", [] { FillRoots(std::make_integer_sequence<int, 31>()); }},
    {"object-on-stack", [] { Object local; }},
};

}  // namespace

int main(int argc, char** argv) {
    gc_init();
    InstallSignalHandlers();
    for (const auto& m : kModes)
        if (argc > 1 && std::strcmp(argv[1], m.mode) == 0) m.run();
    return 2;
}
