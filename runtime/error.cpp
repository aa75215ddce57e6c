// Runtime errors, text output and the debugger prompt.
#include "runtime/error.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

const char* debug_info = nullptr;

namespace {

// The line Print and DebugLog assemble, reused from call to call; released
// at exit by its destructor.
std::vector<unsigned char>& LineBuffer() {
    static std::vector<unsigned char> buffer;
    return buffer;
}

// Writes the line and a newline in one call, then flushes.
void WriteLine(std::vector<unsigned char>& line, std::FILE* stream) {
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

// Parses a "%p" address; null when the text is not one.
const void* ParseAddress(const char* text) {
    void* address = nullptr;
    if (std::sscanf(text, "%p", &address) != 1) return nullptr;
    return address;
}

// The at-sign command. Only addresses of objects the collector holds are
// answered: a typed address is never dereferenced on trust.
void AnswerAddress(const char* text) {
    const void* address = ParseAddress(text);
    if (!gc_is_known_object(address)) {
        DebugLog(String());
        return;
    }
    gc_object* obj = static_cast<gc_object*>(const_cast<void*>(address));
    Object* object = dynamic_cast<Object*>(obj);
    DebugLog(object ? object->debug() : String());
}

}  // namespace

void Print(const String& text) {
    std::vector<unsigned char>& line = LineBuffer();
    line.clear();
    text.ToUtf8(line);
    WriteLine(line, stdout);
}

void DebugLog(const String& text) {
    std::vector<unsigned char>& line = LineBuffer();
    line.clear();
    for (int i = 0; i < text.Length(); ++i) line.push_back(static_cast<unsigned char>(text[i] & 0xff));
    WriteLine(line, stderr);
}

String StackTrace() {
    if (debug_info && *debug_info) return String(debug_info) + "\n";
    return String();
}

DebuggerAction DebuggerLine(char* line) {
    char* newline = std::strchr(line, '\n');
    if (!newline) return DebuggerAction::kFail;
    *newline = 0;
    switch (line[0]) {
        case '?':
            return DebuggerAction::kNextLine;
        case '@':
            AnswerAddress(line + 1);
            return DebuggerAction::kNextLine;
        case 'e':
        case 'l':
        case 'r':
        case 's':
            return DebuggerAction::kResume;
        case 'q':
            return DebuggerAction::kQuit;
        default:
            return DebuggerAction::kUnknown;
    }
}

void DebugStop() {
    std::fprintf(stderr, "{{~~%s~~}}\n", debug_info ? debug_info : "");
    std::fflush(stderr);
    DebugLog(String());
    char line[256];
    for (;;) {
        if (!std::fgets(line, sizeof line, stdin)) std::exit(-1);
        switch (DebuggerLine(line)) {
            case DebuggerAction::kNextLine:
                continue;
            case DebuggerAction::kResume:
                return;
            case DebuggerAction::kQuit:
                std::exit(0);
            case DebuggerAction::kFail:
                std::exit(-1);
            case DebuggerAction::kUnknown:
                std::fprintf(stdout, "????? %s ?????", line);
                std::fflush(stdout);
                std::exit(-1);
        }
    }
}

void RuntimeError(const char* message) {
    for (;;) {
        Print(String("Vantorix Runtime Error : ") + String(message));
        Print(StackTrace());
        DebugStop();
    }
}

void Error(const String& message) {
    if (message.Length() == 0) std::exit(0);
    std::vector<char> text;
    message.ToLatin1(text);
    RuntimeError(text.data());
}

void SignalHandler(int signal) {
    switch (signal) {
        case SIGSEGV: RuntimeError("Memory access violation");
        case SIGILL: RuntimeError("Illegal instruction");
        case SIGFPE: RuntimeError("Floating point exception");
        default: RuntimeError("Unknown signal");
    }
}

void InstallSignalHandlers() {
    std::signal(SIGSEGV, SignalHandler);
    std::signal(SIGILL, SignalHandler);
    std::signal(SIGFPE, SignalHandler);
}

void HandleUncaught() {
    Print(String("Vantorix Runtime Error : Uncaught Vantorix Exception"));
    std::exit(-1);
}
