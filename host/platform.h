// The few operating-system services the host needs, behind one small
// interface. Each platform has one file that implements exactly this list:
// posix_platform.cpp (Linux and other POSIX systems) and win32_platform.cpp
// (Windows). Nothing else in the tree includes a platform header.
#pragma once

#include <cstdio>
#include <ctime>

#include "runtime/string.h"

// The running executable's full file name ("" if the system will not say).
String PlatformExecutablePath();

// Opens a file by its UTF-16 name with standard mode letters ("rb", "wb").
std::FILE* PlatformOpenFile(const String& path, const String& mode);

// Replaces `to` with `from` in one step, so that readers see either the old
// file or the complete new one. False if the system refused.
bool PlatformReplaceFile(const String& from, const String& to);

// Hands a URL to the desktop's opener as one argument, never through a
// command interpreter. Returns at once; the result is not reported.
void PlatformOpenUrl(const char* url);

// Starts a detached native thread with the default stack size that runs
// proc(arg). False if the thread could not be created.
bool PlatformStartThread(void (*proc)(void* arg), void* arg);

// Blocks the calling thread for about `millis` milliseconds (none if <= 0).
void PlatformSleepMillis(int millis);

// The local calendar time of `when`, by the thread-safe call of the system.
bool PlatformLocalTime(std::time_t when, std::tm* out);

// Keeps the default handling of interrupt and termination signals: audio
// back ends started later (the module player may open its output through a
// media library that installs its own handlers) must not take them over, so
// that Ctrl+C in a terminal and a plain kill still end the program.
void PlatformKeepTerminationSignals();

// True when the stream is an interactive terminal (a progress line can then
// be redrawn in place).
bool PlatformIsTerminal(std::FILE* stream);
