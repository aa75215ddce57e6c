// Runtime errors and diagnostics: the fatal-error path shared by Error, the
// signal handler and the host's uncaught-exception handler; the program's
// text output (Print to standard output in UTF-8, DebugLog to standard error
// in 8-bit); and the line-based debugger prompt on the standard streams that
// every runtime error ends in.
#pragma once

#include "runtime/gc.h"
#include "runtime/string.h"

// Base of every object the program may throw; thrown as a pointer.
struct ThrowableObject : Object {};

// Text describing the current position in the program; nothing sets it here.
extern const char* debug_info;

[[noreturn]] void RuntimeError(const char* message);
// Empty message: ends the process at once with status 0. Otherwise reports a
// runtime error with the message's low bytes.
[[noreturn]] void Error(const String& message);
void Print(const String& text);
void DebugLog(const String& text);
String StackTrace();
void DebugStop();

// What the debugger prompt does after one line.
enum class DebuggerAction {
    kNextLine,  // read the next line
    kResume,    // return to the caller of the prompt
    kQuit,      // end the process with status 0
    kFail,      // the line had no newline: end with status -1
    kUnknown,   // echo the line as an unknown command, end with status -1
};
// Acts on one line as read from standard input (at most 255 characters,
// normally ending in its newline): removes the newline, answers '@' queries
// on standard error and says what the prompt does next. Never exits.
DebuggerAction DebuggerLine(char* line);
void SignalHandler(int signal);
// Installs SignalHandler for SIGSEGV, SIGILL and SIGFPE.
void InstallSignalHandlers();
// The host's handler for an uncaught ThrowableObject: one line, status -1.
[[noreturn]] void HandleUncaught();
