// Scratch folders, whole-file reads and writes, and shell commands for tests.
// A TempFolder is made fresh under $TMPDIR (or /tmp) and removed with all in
// it when it goes out of scope: no test sees another's files.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

class TempFolder {
public:
    explicit TempFolder(const std::string& tag = "test") {
        const char* base = std::getenv("TMPDIR");
        std::string name = std::string(base && *base ? base : "/tmp") + "/moonlit-" + tag + "-XXXXXX";
        if (mkdtemp(name.data())) path_ = name;
        // mkdtemp makes it 0700; a program run as another user must see in.
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms(0755), ignored);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// The file's bytes, or "" when it cannot be read.
inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ShellResult {
    int status = -1;  // exit status 0..255, or 128 + signal when killed
    std::string out;  // standard output as written (trailing newline kept)
};

// Runs `command` with /bin/sh; standard error goes where the test's goes.
inline ShellResult Shell(const std::string& command) {
    ShellResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) result.out.append(buffer, n);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    return result;
}
