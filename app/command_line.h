// The command line every program on the framework takes: how its window is
// shown (--scale N, --fullscreen), --help and --version. Parsed before
// anything starts, so that the answers need no display.
#pragma once

#include <string>
#include <vector>

#include "host/glfw_game.h"

constexpr int kMaxWindowScale = 8;

struct CommandLine {
    WindowChoice window;
    bool help = false;
    bool version = false;
    // What the program gets as its argument vector: argv[0] and the
    // arguments that are not options, then a null.
    std::vector<char*> program_arguments;
};

// Fills `command_line` from the arguments (argv[0] is the program); other
// arguments than options are the program's when it `takes_arguments`, a
// mistake otherwise. On a bad command line returns false with a one-line
// reason in `error`.
bool ParseCommandLine(int argc, char** argv, bool takes_arguments, CommandLine* command_line, std::string* error);

// The program's name as the user called it: argv[0] without its folder
// (and without ".exe").
std::string ProgramName(const char* argv0);

// The text of --help; `arguments` (may be null) are the program's own.
std::string CommandLineHelp(const std::string& program_name, const char* arguments);
