// The file services of systems that name files in UTF-8 bytes: POSIX
// systems and the browser's file system. Part of the platform interface
// (host/platform.h), shared by posix_platform.cpp and web_platform.cpp.
#include <cstdio>
#include <vector>

#include "host/platform.h"

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

std::FILE* PlatformOpenFile(const String& path, const String& mode) {
    return std::fopen(Terminated(path).data(), Terminated(mode).data());
}

// rename(2) replaces the target in one step.
bool PlatformReplaceFile(const String& from, const String& to) {
    return std::rename(Terminated(from).data(), Terminated(to).data()) == 0;
}
