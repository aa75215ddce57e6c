// The platform services on Windows: GetModuleFileNameW for the executable,
// _wfopen for UTF-16 file names, MoveFileExW for the atomic replace,
// ShellExecuteA's "open" verb for URLs, CreateThread for detached threads,
// a timed wait for sleeping and localtime_s for the local date.
#include "host/platform.h"

#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include <cstdio>
#include <ctime>
#include <vector>

static_assert(sizeof(wchar_t) == sizeof(uint16_t), "UTF-16 units are wchar_t on Windows");

namespace {

// The text's UTF-16 units with a terminating 0.
std::vector<wchar_t> Wide(const String& text) {
    std::vector<wchar_t> units(text.Data(), text.Data() + text.Length());
    units.push_back(0);
    return units;
}

struct ThreadStart {
    void (*proc)(void*);
    void* arg;
};

DWORD WINAPI ThreadMain(LPVOID start) {
    ThreadStart s = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    s.proc(s.arg);
    return 0;
}

}  // namespace

String PlatformExecutablePath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return String();
    return String::FromUtf16(reinterpret_cast<const uint16_t*>(path), static_cast<int>(n));
}

std::FILE* PlatformOpenFile(const String& path, const String& mode) {
    return _wfopen(Wide(path).data(), Wide(mode).data());
}

bool PlatformReplaceFile(const String& from, const String& to) {
    return MoveFileExW(Wide(from).data(), Wide(to).data(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// The shell's "open" verb starts the handler for the URL's scheme; the URL
// is one string parameter and is never parsed as a command line.
void PlatformOpenUrl(const char* url) { ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL); }

bool PlatformStartThread(void (*proc)(void* arg), void* arg) {
    ThreadStart* start = new ThreadStart{proc, arg};
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}

// A timed wait on the current thread's own handle, which is never signalled
// while the thread runs.
void PlatformSleepMillis(int millis) {
    if (millis <= 0) return;
    WaitForSingleObject(GetCurrentThread(), static_cast<DWORD>(millis));
}

bool PlatformLocalTime(std::time_t when, std::tm* out) { return localtime_s(out, &when) == 0; }

bool PlatformIsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

void PlatformKeepTerminationSignals() {
    // The Windows audio back ends install no signal handlers.
}
