// main(): the process entry of every program on the framework. The program
// itself provides MoonlitProgram() (framework.h) and links this file's
// library, moonlit_main. The command line is read first, so that --help,
// --version and mistakes are answered without a display; then the host's
// RunHost runs the steps.
#include <cstdio>
#include <vector>

#include "app/command_line.h"
#include "app/framework.h"
#include "host/entry.h"

int main(int argc, char** argv) {
    std::string name = ProgramName(argc > 0 ? argv[0] : nullptr);
    const char* arguments = MoonlitProgram().arguments;
    CommandLine command_line;
    std::string error;
    if (!ParseCommandLine(argc, argv, arguments != nullptr, &command_line, &error)) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", name.c_str(), error.c_str(), name.c_str());
        return 2;
    }
    if (command_line.help) {
        std::fputs(CommandLineHelp(name, arguments).c_str(), stdout);
        return 0;
    }
    if (command_line.version) {
        std::printf("%s %s\n", name.c_str(), MOONLIT_VERSION);
        return 0;
    }
    // The program sees its own arguments only, not the options.
    std::vector<char*>& own = command_line.program_arguments;
    return RunHost(
        static_cast<int>(own.size()) - 1, own.data(),
        [](int count, char** args) { StartFramework(count, args, MoonlitProgram()); }, command_line.window);
}
