// The platform services in a web browser (emscripten): the program stands at
// the root of the page's preloaded file system (whose files open by UTF-8
// name: utf8_file_names.cpp), URLs open in a new tab, and there are no
// threads and no sleeping (the browser's main thread must never block; the
// web game loop never asks).
#include "host/platform.h"

#include <emscripten.h>
#include <time.h>

// Its folder is the root: "vantorix://data/x" is "/data/x".
String PlatformExecutablePath() { return String("/moonlit-harbor"); }

void PlatformOpenUrl(const char* url) {
    EM_ASM({ window.open(UTF8ToString($0), "_blank", "noopener"); }, url);
}

bool PlatformStartThread(void (*)(void*), void*) { return false; }

void PlatformSleepMillis(int) {}

bool PlatformLocalTime(std::time_t when, std::tm* out) { return localtime_r(&when, out) != nullptr; }

void PlatformKeepTerminationSignals() {}

bool PlatformIsTerminal(std::FILE*) { return false; }
