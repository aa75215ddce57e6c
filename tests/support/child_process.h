// Runs a program as a child process with the given standard input, and
// returns its exit status and what it wrote to standard output and error.
// Tests use it for paths that end the process (errors, signals, prompts).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct ChildResult {
    int status = -1;  // exit status 0..255, or 128 + signal when killed
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// `command` is run by /bin/sh; its standard input is `input` (from a file).
inline ChildResult RunChild(const std::string& command, const std::string& input = "",
                             const std::string& env = "") {
    char dir_template[] = "/tmp/moonlit-child-XXXXXX";
    std::string dir = mkdtemp(dir_template);
    std::ofstream(dir + "/in", std::ios::binary) << input;
    std::string full = env + " " + command + " <" + dir + "/in >" + dir + "/out 2>" + dir + "/err";
    int raw = std::system(full.c_str());
    ChildResult r;
    if (WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    else if (WIFSIGNALED(raw)) r.status = 128 + WTERMSIG(raw);
    r.out = ReadWholeFile(dir + "/out");
    r.err = ReadWholeFile(dir + "/err");
    std::system(("rm -rf " + dir).c_str());
    return r;
}
