// The platform services on POSIX systems: /proc for the executable,
// xdg-open started with an argument vector, detached pthreads and
// nanosleep. Files by UTF-8 name, with rename(2) for the atomic replace,
// are in utf8_file_names.cpp.
#include "host/platform.h"

#include <errno.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

// Waits for a started opener on a thread of its own, so that it leaves no
// zombie behind and the caller does not block.
void* ReapChild(void* pid) {
    pid_t child = static_cast<pid_t>(reinterpret_cast<intptr_t>(pid));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return nullptr;
}

// posix_spawnp searches PATH and execs the program directly: the argument
// vector reaches it as it is, with no shell to interpret quotes or `$(...)`.
void SpawnDetached(char* const argv[]) {
    pid_t child;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv, environ) != 0) return;
    pthread_t reaper;
    if (pthread_create(&reaper, nullptr, ReapChild, reinterpret_cast<void*>(static_cast<intptr_t>(child))) == 0)
        pthread_detach(reaper);
}

}  // namespace

String PlatformExecutablePath() {
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return String();
    return String::FromBytes(reinterpret_cast<const unsigned char*>(buffer.data()), static_cast<int>(n));
}

void PlatformOpenUrl(const char* url) {
    char opener[] = "xdg-open";
    std::vector<char> argument(url, url + std::strlen(url) + 1);
    char* argv[] = {opener, argument.data(), nullptr};
    SpawnDetached(argv);
}

namespace {

struct ThreadStart {
    void (*proc)(void*);
    void* arg;
};

void* ThreadMain(void* start) {
    ThreadStart s = *static_cast<ThreadStart*>(start);
    delete static_cast<ThreadStart*>(start);
    s.proc(s.arg);
    return nullptr;
}

}  // namespace

bool PlatformStartThread(void (*proc)(void* arg), void* arg) {
    ThreadStart* start = new ThreadStart{proc, arg};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, ThreadMain, start) != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}

void PlatformSleepMillis(int millis) {
    if (millis <= 0) return;
    timespec wait{millis / 1000, static_cast<long>(millis % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

bool PlatformLocalTime(std::time_t when, std::tm* out) { return localtime_r(&when, out) != nullptr; }

bool PlatformIsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

void PlatformKeepTerminationSignals() {
    // Read by the media library when it starts; a value the user set wins.
    setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
}
