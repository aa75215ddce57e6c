// The platform services in a web browser (emscripten): the program stands at
// the root of the page's preloaded file system, files open by UTF-8 name,
// URLs open in a new tab, and there are no threads and no sleeping (the
// browser's main thread must never block; the web game loop never asks).
#include "host/platform.h"

#include <emscripten.h>

#include <cstdio>
#include <vector>

namespace {

// UTF-8 bytes, zero-terminated, for the C library's file calls.
std::vector<char> Terminated(const String& text) {
    std::vector<unsigned char> bytes;
    text.ToUtf8(bytes);
    std::vector<char> name(bytes.begin(), bytes.end());
    name.push_back(0);
    return name;
}

}  // namespace

// Its folder is the root: "vantorix://data/x" is "/data/x".
String PlatformExecutablePath() { return String("/moonlit-harbor"); }

std::FILE* PlatformOpenFile(const String& path, const String& mode) {
    return std::fopen(Terminated(path).data(), Terminated(mode).data());
}

bool PlatformReplaceFile(const String& from, const String& to) {
    return std::rename(Terminated(from).data(), Terminated(to).data()) == 0;
}

void PlatformOpenUrl(const char* url) {
    EM_ASM({ window.open(UTF8ToString($0), "_blank", "noopener"); }, url);
}

bool PlatformStartThread(void (*)(void*), void*) { return false; }

void PlatformSleepMillis(int) {}

bool PlatformLocalTime(std::time_t when, std::tm* out) { return localtime_r(&when, out) != nullptr; }

void PlatformKeepTerminationSignals() {}

bool PlatformIsTerminal(std::FILE*) { return false; }
