// Feeds lines to the debugger prompt's line handler as the prompt reads
// them: at most 255 characters, up to and including the first newline.
//
// A line "@*" followed by a digit names one of a few objects this process
// holds (a plain object, an array body, a static empty body, an object
// already freed), so the address queries reach live and dead objects too.
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "runtime/array.h"
#include "runtime/error.h"

namespace {

char addresses[4][32];

gc_object* kept_object = nullptr;
gc_object* kept_array = nullptr;
gc_object* ReadKeptObject() { return kept_object; }
gc_object* ReadKeptArray() { return kept_array; }

void PrepareObjects() {
    gc_init();
    kept_object = gc_new<Object>();
    kept_array = Array<int>(3).Body();
    gc_add_root(ReadKeptObject);
    gc_add_root(ReadKeptArray);
    Object* freed = gc_new<Object>();
    std::snprintf(addresses[3], sizeof addresses[3], "%p", static_cast<void*>(freed));
    CollectAll();  // frees `freed`; the two kept ones are roots
    std::snprintf(addresses[0], sizeof addresses[0], "%p", static_cast<void*>(kept_object));
    std::snprintf(addresses[1], sizeof addresses[1], "%p", static_cast<void*>(kept_array));
    std::snprintf(addresses[2], sizeof addresses[2], "%p", static_cast<void*>(Array<float>().Body()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size) {
        char line[256];
        size_t n = 0;
        while (n < 255 && at < size) {
            char c = static_cast<char>(data[at++]);
            line[n++] = c;
            if (c == '\n') break;
        }
        line[n] = 0;
        if (n >= 4 && line[0] == '@' && line[1] == '*' && line[2] >= '0' && line[2] <= '3') {
            // Keeps the rest of the line (its newline, if any) after the address.
            char rest[256];
            std::snprintf(rest, sizeof rest, "%s", line + 3);
            std::snprintf(line, sizeof line, "@%s%s", addresses[line[2] - '0'], rest);
        }
        char copy[256];
        std::memcpy(copy, line, sizeof line);
        DebuggerAction action = DebuggerLine(line);
        bool had_newline = std::strchr(copy, '\n') != nullptr;
        FUZZ_CHECK((action == DebuggerAction::kFail) == !had_newline);
        FUZZ_CHECK(std::strchr(line, '\n') == nullptr || !had_newline);
        if (action == DebuggerAction::kQuit) FUZZ_CHECK(copy[0] == 'q');
        if (action == DebuggerAction::kResume) FUZZ_CHECK(std::strchr("elrs", copy[0]) && copy[0]);
    }
    return 0;
}
