// Checks of the platform services as the Windows build implements them
// (host/win32_platform.cpp), run under Wine: the executable's own path,
// files by UTF-16 name, the atomic replace, threads, sleeping and the local
// time. Run from a folder whose name the 8-bit code page cannot spell, so
// that only the UTF-16 calls find anything. Prints one line per failure and
// "N passed, M failed"; exits 0 when nothing failed.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "host/platform.h"
#include "runtime/string.h"

namespace {

int passed = 0, failed = 0;

void Check(bool ok, const char* what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what);
    }
}

std::string Utf8(const String& text) {
    std::vector<unsigned char> bytes;
    text.ToUtf8(bytes);
    return std::string(bytes.begin(), bytes.end());
}

// The folder of the executable, with its trailing backslash.
String OwnFolder() {
    String path = PlatformExecutablePath();
    int cut = path.Length();
    while (cut > 0 && path.Data()[cut - 1] != '\\') --cut;
    return path.Slice(0, cut);
}

std::string ReadAll(std::FILE* file) {
    std::string text;
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    return text;
}

bool WriteFile(const String& name, const char* text) {
    std::FILE* file = PlatformOpenFile(name, "wb");
    if (!file) return false;
    bool ok = std::fputs(text, file) >= 0;
    return std::fclose(file) == 0 && ok;
}

std::string ReadFile(const String& name) {
    std::FILE* file = PlatformOpenFile(name, "rb");
    if (!file) return "(cannot open)";
    std::string text = ReadAll(file);
    std::fclose(file);
    return text;
}

void CheckExecutablePath() {
    String path = PlatformExecutablePath();
    std::string text = Utf8(path);
    Check(text.size() > 25 && text.compare(text.size() - 25, 25, "\\win32-platform-check.exe") == 0,
          "the executable path names this program");
    // Opening the program's own file by that path proves the folder's
    // name came through whole.
    std::FILE* self = PlatformOpenFile(path, "rb");
    Check(self != nullptr, "the executable opens by its own UTF-16 path");
    if (self) {
        char magic[2] = {};
        Check(std::fread(magic, 1, 2, self) == 2 && magic[0] == 'M' && magic[1] == 'Z',
              "the executable's own file starts with MZ");
        std::fclose(self);
    }
}

void CheckFilesByUtf16Name() {
    // "Ü港.txt": one unit beyond ASCII, one beyond the 8-bit code pages.
    const uint16_t name[] = {0x00DC, 0x6E2F, '.', 't', 'x', 't', 0};
    String file = OwnFolder() + String(name);
    Check(WriteFile(file, "harbour\n"), "a file with a UTF-16 name is written");
    Check(ReadFile(file) == "harbour\n", "that file reads back the same");
    Check(PlatformOpenFile(OwnFolder() + String("no such file.txt"), "rb") == nullptr,
          "a missing file gives null");
}

void CheckReplace() {
    String from = OwnFolder() + String("state.tmp");
    String to = OwnFolder() + String("state.txt");
    Check(WriteFile(to, "old"), "the old file is written");
    Check(WriteFile(from, "new"), "the new file is written");
    Check(PlatformReplaceFile(from, to), "replacing an existing file succeeds");
    Check(ReadFile(to) == "new", "the replaced file holds the new text");
    Check(PlatformOpenFile(from, "rb") == nullptr, "the temporary file is gone after the replace");
}

void CheckThread() {
    struct Work {
        std::atomic<bool> ran{false};
        std::thread::id id;
    } work;
    bool started = PlatformStartThread(
        [](void* arg) {
            auto* w = static_cast<Work*>(arg);
            w->id = std::this_thread::get_id();
            w->ran.store(true);
        },
        &work);
    Check(started, "a thread starts");
    for (int i = 0; i < 500 && !work.ran.load(); ++i) PlatformSleepMillis(10);
    Check(work.ran.load(), "the thread runs its procedure");
    Check(work.ran.load() && work.id != std::this_thread::get_id(), "on a thread of its own");
}

void CheckSleep() {
    auto start = std::chrono::steady_clock::now();
    PlatformSleepMillis(200);
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    Check(waited.count() >= 190, "sleeping 200 ms waits at least that long");
    start = std::chrono::steady_clock::now();
    PlatformSleepMillis(0);
    PlatformSleepMillis(-5);
    waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    Check(waited.count() < 190, "no wait for zero or negative times");
}

void CheckLocalTime() {
    std::tm local = {};
    // 2001-07-15 12:00:00 UTC: the same day in every time zone.
    Check(PlatformLocalTime(995198400, &local), "the local time is given");
    Check(local.tm_year == 101 && local.tm_mon == 6 && local.tm_mday == 15, "and its date is right");
}

}  // namespace

int main() {
    CheckExecutablePath();
    CheckFilesByUtf16Name();
    CheckReplace();
    CheckThread();
    CheckSleep();
    CheckLocalTime();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
