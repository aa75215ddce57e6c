// Checks of the Windows platform file (host/win32_platform.cpp), run under
// Wine from a folder whose name the 8-bit code page cannot spell, so that
// only the UTF-16 calls find anything. Prints one line per failure and
// "N passed, M failed"; exits 0 when nothing failed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/platform.h"

namespace {

int passed = 0, failed = 0;
std::atomic<bool> thread_ran{false};
std::thread::id thread_id;

void Check(bool ok, const char* what) {
    ++(ok ? passed : failed);
    if (!ok) std::printf("FAILED: %s\n", what);
}

void ThreadProc(void*) {
    thread_id = std::this_thread::get_id();
    thread_ran = true;
}

bool WriteFile(const String& name, const char* text) {
    std::FILE* file = PlatformOpenFile(name, "wb");
    const bool written = file && std::fputs(text, file) >= 0;
    return file && std::fclose(file) == 0 && written;
}

// The file's first bytes, up to 64; "(missing)" when it does not open.
std::string ReadFile(const String& name) {
    std::FILE* file = PlatformOpenFile(name, "rb");
    if (!file) return "(missing)";
    char bytes[64];
    const size_t n = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    return std::string(bytes, n);
}

}  // namespace

int main() {
    const String self = PlatformExecutablePath();
    Check(self.EndsWith(String("\\win32-platform-check.exe")), "the executable path names this program");
    const String folder = self.Slice(0, self.FindLast(String("\\")) + 1);
    // "Ü港.txt": one unit beyond ASCII, one beyond the 8-bit code pages.
    const uint16_t odd_name[] = {0x00DC, 0x6E2F, '.', 't', 'x', 't', 0};
    Check(WriteFile(folder + String(odd_name), "harbour\n") && ReadFile(folder + String(odd_name)) == "harbour\n",
          "a file with a UTF-16 name is written and read back");
    const String from = folder + String("state.tmp"), to = folder + String("state.txt");
    Check(WriteFile(to, "old") && WriteFile(from, "new") && PlatformReplaceFile(from, to), "a file is replaced");
    Check(ReadFile(to) == "new" && ReadFile(from) == "(missing)", "the new text took the old one's place");

    Check(PlatformStartThread(ThreadProc, nullptr), "a thread starts");
    // Zero and negative times return at once (the run's limit catches a hang).
    PlatformSleepMillis(0);
    PlatformSleepMillis(-5);
    while (!thread_ran) PlatformSleepMillis(10);
    Check(thread_id != std::this_thread::get_id(), "the procedure runs on a thread of its own");
    const auto start = std::chrono::steady_clock::now();
    PlatformSleepMillis(200);
    Check(std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(190), "a sleep waits its time");

    std::tm local = {};
    // 2001-07-15 12:00:00 UTC: the same day in every time zone.
    Check(PlatformLocalTime(995198400, &local) && local.tm_year == 101 && local.tm_mon == 6 && local.tm_mday == 15,
          "the local time's date is right");
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
