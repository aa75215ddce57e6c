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
gc_object* kept[2];

void PrepareObjects() {
    gc_init();
    kept[0] = gc_new<Object>();
    kept[1] = Array<int>(3).Body();
    gc_add_root(+[] { return kept[0]; });
    gc_add_root(+[] { return kept[1]; });
    for (gc_object* o : kept) gc_shade(o);  // stored as the write barrier would
    const void* objects[4] = {kept[0], kept[1], Array<float>().Body(), gc_new<Object>()};
    CollectAll();  // frees the last one; the two kept ones are roots
    for (int i = 0; i < 4; ++i) std::snprintf(addresses[i], sizeof addresses[i], "%p", objects[i]);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    PrepareObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (size_t at = 0, n = 0; at < size; n = 0) {
        char line[256];
        while (n < 255 && at < size && (n == 0 || line[n - 1] != '\n')) line[n++] = static_cast<char>(data[at++]);
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
        if (action == DebuggerAction::kResume) FUZZ_CHECK(copy[0] && std::strchr("elrs", copy[0]));
    }
    return 0;
}
