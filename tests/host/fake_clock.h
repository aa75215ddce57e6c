// A clock for the host that only moves when told to: by the test, or by the
// host's own sleep, which advances it by the time asked for.
#pragma once

#include <vector>

#include "host/glfw_game.h"

struct FakeClock {
    static double now;
    static std::vector<int> sleeps;

    static double Now() { return now; }
    static void Sleep(int ms) {
        sleeps.push_back(ms);
        now += ms / 1000.0;
    }
    static HostClock Install(RtGlfwGame& game, double start = 0) {
        now = start;
        sleeps.clear();
        HostClock previous = game.GetClock();
        game.SetClock({Now, Sleep});
        return previous;
    }
};
