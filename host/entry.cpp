// RunHost: the steps of the process entry in their order.
#include "host/entry.h"

#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

#include "host/glfw_game.h"
#include "host/platform.h"

namespace {

void OnGlfwError(int error, const char* description) {
    std::printf("GLFW Error: err=%i, msg=%s\n", error, description ? description : "");
    std::fflush(stdout);
}

}  // namespace

int RunHost(int argc, char** argv, void (*start_framework)(int argc, char** argv), const WindowChoice& window) {
    PlatformKeepTerminationSignals();
    glfwSetErrorCallback(OnGlfwError);
    if (!glfwInit()) {
        std::puts("glfwInit failed");
        std::fflush(stdout);
        std::exit(-1);
    }
    // Lives until the process ends; never destroyed.
    RtVantorixGame* game = new RtVantorixGame();
    game->windowChoice = window;
    try {
        start_framework(argc, argv);
    } catch (ThrowableObject* thrown) {
        glfwTerminate();
        game->HandleUncaught(thrown);
    }
    if (game->GetDelegate()) game->Run();
    glfwTerminate();
    return 0;
}
