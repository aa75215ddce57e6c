// The game loop in a web browser. The browser calls one pass per animation
// frame and shows the frame when the pass returns; input arrives between
// passes. A pass renders, then runs the updates that have fallen due on the
// browser's clock: the same schedule as the desktop's (0 to 4 updates a
// pass, the backlog dropped after 4), with "render again" in place of the
// desktop's sleep, so the show keeps its pace at any display rate.
//
// With ?frames=N in the page's address the loop stops after drawing its Nth
// frame, leaves that frame on the page and says so on the console: the test
// mode of the automated checks.
#include <GLFW/glfw3.h>
#include <emscripten.h>

#include <cstdio>

#include "host/glfw_game.h"

namespace {

struct WebLoop {
    RtGlfwGame* game = nullptr;
    int frames = 0;      // drawn so far
    int stop_after = 0;  // 0: never
};
WebLoop web_loop;

// N of ?frames=N, or 0.
EM_JS(int, PageStopAfterFrames, (), {
    var n = parseInt(new URLSearchParams(location.search).get("frames"), 10);
    return n > 0 ? n : 0;
});

void Pass() {
    RtGlfwGame* game = web_loop.game;
    game->RenderGame();
    if (++web_loop.frames == web_loop.stop_after) {
        std::printf("stopped after %d frames\n", web_loop.frames);
        std::fflush(stdout);
        emscripten_cancel_main_loop();
        return;
    }
    if (game->suspended && glfwGetWindowAttrib(game->window, GLFW_FOCUSED)) {
        game->ResumeGame();
        game->nextUpdate = 0;
    }
    if (!game->suspended && game->UpdateDue()) game->RunUpdates();
}

}  // namespace

void RtGlfwGame::Run() {
    OpenGameWindow(windowChoice);
    StartGame();
    web_loop = {this, 0, PageStopAfterFrames()};
    emscripten_set_main_loop(Pass, 0, 1);
}
