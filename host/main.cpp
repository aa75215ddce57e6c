// main(): the process entry of every program on the framework. The program
// itself provides MoonlitProgram() (app/framework.h) and links this file's
// library, moonlit_main.
#include "app/framework.h"
#include "host/entry.h"

int main(int argc, char** argv) {
    return RunHost(argc, argv, [](int count, char** args) { StartFramework(count, args, MoonlitProgram()); });
}
