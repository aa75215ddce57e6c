// Forwarding to the one host object.
#include "graphics/host_link.h"

#include "host/glfw_game.h"

GLFWwindow* HostWindow() {
    RtGlfwGame* game = CurrentGlfwGame();
    return game ? game->GetWindow() : nullptr;
}

bool HostWindowSizes(int* width, int* height, int* fbWidth, int* fbHeight) {
    RtGlfwGame* game = CurrentGlfwGame();
    bool known = game && game->GetWindow();
    *width = known ? game->windowWidth : 0;
    *height = known ? game->windowHeight : 0;
    *fbWidth = known ? game->framebufferWidth : 0;
    *fbHeight = known ? game->framebufferHeight : 0;
    return known;
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
