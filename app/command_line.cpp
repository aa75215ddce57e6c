// Parsing of the options every program on the framework takes. "--scale N"
// and "--scale=N" are both taken; the scale is a whole number from 1 to
// kMaxWindowScale. Other arguments are the program's own, if it reads any.
#include "app/command_line.h"

#include <cstdlib>

namespace {

bool ParseScale(const std::string& text, int* scale) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 2) return false;
    int value = std::atoi(text.c_str());
    if (value < 1 || value > kMaxWindowScale) return false;
    *scale = value;
    return true;
}

}  // namespace

bool ParseCommandLine(int argc, char** argv, bool takes_arguments, CommandLine* command_line, std::string* error) {
    CommandLine c;
    if (argc > 0) c.program_arguments.push_back(argv[0]);
    bool scale_given = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            c.help = true;
        } else if (arg == "--version") {
            c.version = true;
        } else if (arg == "--fullscreen") {
            c.window.fullscreen = true;
        } else if (arg == "--scale" || arg.rfind("--scale=", 0) == 0) {
            std::string value;
            if (arg != "--scale") {
                value = arg.substr(8);
            } else if (i + 1 < argc) {
                value = argv[++i];
            }
            if (!ParseScale(value, &c.window.scale)) {
                *error = "--scale wants a whole number from 1 to " + std::to_string(kMaxWindowScale);
                return false;
            }
            scale_given = true;
        } else if (arg.rfind("-", 0) == 0) {
            *error = "unknown option " + arg;
            return false;
        } else if (takes_arguments) {
            c.program_arguments.push_back(argv[i]);
        } else {
            *error = "unexpected argument " + arg;
            return false;
        }
    }
    c.program_arguments.push_back(nullptr);
    if (scale_given && c.window.fullscreen) {
        *error = "give --scale or --fullscreen, not both";
        return false;
    }
    *command_line = c;
    return true;
}

std::string ProgramName(const char* argv0) {
    std::string name = argv0 && *argv0 ? argv0 : "moonlit-harbor";
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0) name.resize(name.size() - 4);
    return name;
}

std::string CommandLineHelp(const std::string& program_name, const char* arguments) {
    std::string own = arguments ? std::string(" ") + arguments : "";
    return "Usage: " + program_name + " [--scale N | --fullscreen]" + own +
           "\n"
           "Shows the program in a window of 640 x 480 pixels, or larger. It draws at\n"
           "640 x 480 either way; larger windows show that picture magnified.\n"
           "\n"
           "  --scale N      a window N times 640 x 480, N from 1 to " +
           std::to_string(kMaxWindowScale) +
           " (default 1)\n"
           "  --fullscreen   the whole screen at the desktop's resolution, the picture\n"
           "                 as large as fits (by a whole factor from 2x up), centred,\n"
           "                 black around it\n"
           "  -h, --help     this text\n"
           "  --version      the program's version\n"
           "\n"
           "Close the window (Alt+F4 on the whole screen) to end it.\n";
}
