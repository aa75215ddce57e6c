// The process entry's work, apart from main() so that tests can run it:
// GLFW's error callback and initialisation, the host object, the framework
// start-up and the game loop.
#pragma once

#include "host/glfw_game.h"

// Runs the process: returns when the game loop ends (the application
// normally ends the process itself). start_framework creates the application
// and installs its delegate in the host; `window` is how its window is shown.
int RunHost(int argc, char** argv, void (*start_framework)(int argc, char** argv),
            const WindowChoice& window = WindowChoice());
