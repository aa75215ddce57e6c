// Forwarding to the one host object.
#include "graphics/host_link.h"

#include "host/glfw_game.h"

GLFWwindow* HostWindow() {
    RtGlfwGame* game = CurrentGlfwGame();
    return game ? game->GetWindow() : nullptr;
}

unsigned HostContextGeneration() { return static_cast<unsigned>(CurrentContextGeneration()); }

unsigned char* HostLoadImageData(const String& path, int* width, int* height, int* depth) {
    RtGame* game = CurrentGame();
    return game ? game->LoadImageData(path, width, height, depth) : nullptr;
}

String HostLoadText(const String& path) {
    RtGame* game = CurrentGame();
    return game ? game->LoadTextFile(path) : String();
}
