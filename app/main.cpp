// main(): the process entry of every program on the framework. The program
// itself provides MoonlitProgram() (framework.h) and links this file's
// library, moonlit_main; the host's RunHost runs the steps.
#include "app/framework.h"
#include "host/entry.h"

int main(int argc, char** argv) {
    return RunHost(argc, argv, [](int count, char** args) { StartFramework(count, args, MoonlitProgram()); });
}
