// The file and clock services every host shares: opening files through
// ResolvePath, whole-file loaders, the state file and the local date.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "host/platform.h"
#include "host/rt_game.h"

const char* const kStateFileName = "./.vantorixstate";

namespace {

constexpr int kBlockSize = 4096;
const char* const kStateTempName = "./.vantorixstate.tmp";

// Writes all bytes and pushes them out of the stream's buffer, so that a
// full disk shows up here and not silently at close.
bool WriteAll(std::FILE* file, const std::vector<unsigned char>& bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) return false;
    return std::fflush(file) == 0;
}

}  // namespace

std::FILE* RtGame::OpenFile(const String& path, const String& mode) {
    String name = ResolvePath(path);
    if (name.Length() == 0) return nullptr;
    return PlatformOpenFile(name, mode);
}

String RtGame::LoadTextFile(const String& path) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return String();
    String text = String::LoadText(file);
    std::fclose(file);
    return text;
}

// Reads blocks of 4096 bytes until a short read, then joins them into one
// buffer of the exact size.
unsigned char* RtGame::LoadBytes(const String& path, int* length) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return nullptr;
    std::vector<std::vector<unsigned char>> blocks;
    size_t total = 0;
    for (;;) {
        blocks.emplace_back(kBlockSize);
        size_t n = std::fread(blocks.back().data(), 1, kBlockSize, file);
        blocks.back().resize(n);
        total += n;
        if (n < static_cast<size_t>(kBlockSize)) break;
    }
    std::fclose(file);
    if (total > 0x7fffffff) return nullptr;  // beyond what the int length can say
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(total ? total : 1));
    if (!bytes) return nullptr;
    size_t at = 0;
    for (const std::vector<unsigned char>& block : blocks) {
        if (!block.empty()) std::memcpy(bytes + at, block.data(), block.size());
        at += block.size();
    }
    *length = static_cast<int>(total);
    gc_add_external_bytes(static_cast<int>(total));
    return bytes;
}

// The new state goes to a file beside the old one and replaces it only when
// it is complete: a failed write leaves the previous state intact.
int RtGame::SaveState(const String& state) {
    std::FILE* file = PlatformOpenFile(kStateTempName, "wb");
    if (!file) return -1;
    std::vector<unsigned char> bytes;
    state.ToUtf8(bytes);
    bool written = WriteAll(file, bytes);
    bool closed = std::fclose(file) == 0;
    if (!written || !closed || !PlatformReplaceFile(kStateTempName, kStateFileName)) {
        std::remove(kStateTempName);
        return -2;
    }
    return 0;
}

String RtGame::LoadState() {
    std::FILE* file = PlatformOpenFile(kStateFileName, "rb");
    if (!file) return String();
    String text = String::LoadText(file);
    std::fclose(file);
    return text;
}

void RtGame::GetLocalDate(Array<int> date) {
    int n = date.Length();
    if (n < 1) return;
    std::tm local{};
    if (!PlatformLocalTime(std::time(nullptr), &local)) return;
    const int fields[7] = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                           local.tm_min,         local.tm_sec,     0};
    for (int i = 0; i < n && i < 7; ++i) date.Set(i, fields[i]);
}
