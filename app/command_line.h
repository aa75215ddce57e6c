// The command line every program on the framework takes: how its window is
// shown (--scale N, --fullscreen), --help and --version. Parsed before
// anything starts, so that the answers need no display.
#pragma once

#include <string>

#include "host/glfw_game.h"

constexpr int kMaxWindowScale = 8;

struct CommandLine {
    WindowChoice window;
    bool help = false;
    bool version = false;
};

// Fills `command_line` from the arguments (argv[0] is the program). On a bad
// command line returns false with a one-line reason in `error`.
bool ParseCommandLine(int argc, char** argv, CommandLine* command_line, std::string* error);

// The program's name as the user called it: argv[0] without its folder
// (and without ".exe").
std::string ProgramName(const char* argv0);

// The text of --help.
std::string CommandLineHelp(const std::string& program_name);
