// The game loop on the desktop: passes of render, swap, wait, events and
// updates until the window's close flag is seen.
#include "host/glfw_game.h"

void RtGlfwGame::Run() {
    OpenGameWindow(windowChoice);
    StartGame();
    while (!CloseRequested()) {
        if (!RenderAndPoll()) return;
        RunUpdates();
    }
}
