// Forwarding to the one host object.
#include "graphics/host_link.h"

#include "host/glfw_game.h"

GLFWwindow* HostWindow() {
    RtGlfwGame* game = CurrentGlfwGame();
    return game ? game->GetWindow() : nullptr;
}

bool HostWindowSizes(int* width, int* height, int* fb_width, int* fb_height) {
    RtGlfwGame* game = CurrentGlfwGame();
    bool known = game && game->GetWindow();
    bool magnified = known && game->pictureWidth > 0;
    *width = !known ? 0 : magnified ? game->pictureWidth : game->windowWidth;
    *height = !known ? 0 : magnified ? game->pictureHeight : game->windowHeight;
    *fb_width = !known ? 0 : magnified ? game->pictureWidth : game->framebufferWidth;
    *fb_height = !known ? 0 : magnified ? game->pictureHeight : game->framebufferHeight;
    return known;
}

bool HostMagnifiedPicture(int* width, int* height, int* fb_width, int* fb_height) {
    RtGlfwGame* game = CurrentGlfwGame();
    if (!game || !game->GetWindow() || game->pictureWidth == 0) return false;
    *width = game->pictureWidth;
    *height = game->pictureHeight;
    *fb_width = game->framebufferWidth;
    *fb_height = game->framebufferHeight;
    return true;
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
