// The bench host and the demo's frames through the real framework.
#include "bench/demo/ours.h"

#include <GLFW/glfw3.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/framework.h"
#include "graphics/gl_functions.h"
#include "host/glfw_game.h"

namespace {

// The desktop host with vertical sync pinned off: the window opens with
// swap interval 0 and later requests are ignored.
class BenchHost : public RtVantorixGame {
public:
    BenchHost() { swapInterval = 0; }
    void SetSwapInterval(int) override {}
};

BenchHost* host = nullptr;

void NoSleep(int) {}

}  // namespace

long PeakResidentKiB() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0) kib = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kib;
}

double ThreadCpuNs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

double WallNs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e9 + t.tv_nsec;
}

namespace ours {

void Start(int argc, char** argv, bool null_gl) {
    if (null_gl) gl = NullGl();
    if (!glfwInit()) {
        std::fputs("bench: glfwInit failed (no display?)\n", stderr);
        std::exit(2);
    }
    host = new BenchHost();
    StartFramework(argc, argv, MoonlitProgram());
    host->SetClock({glfwGetTime, NoSleep});
    host->OpenWindow(kGameWindowWidth, kGameWindowHeight, kGameWindowFlags);
    host->StartGame();
}

void RenderFrames(int n) {
    for (int i = 0; i < n; ++i) host->RenderGame();
}

LoopResult RunLoop(int warm, int frames, int hwm_at) {
    for (int i = 0; i < warm; ++i) {
        host->RenderAndPoll();
        host->RunUpdates();
    }
    LoopResult r = {0, 0, -1, -1};
    double cpu0 = ThreadCpuNs(), wall0 = WallNs();
    for (int i = 1; i <= frames; ++i) {
        host->RenderAndPoll();
        host->RunUpdates();
        if (i == hwm_at) r.hwm_ki_b_at = PeakResidentKiB();
    }
    double cpu = ThreadCpuNs() - cpu0, wall = WallNs() - wall0;
    r.cpu_ns_per_frame = cpu / frames;
    r.frames_per_second = frames / (wall * 1e-9);
    r.hwm_ki_b_end = PeakResidentKiB();
    return r;
}

std::vector<uint8_t> RenderAndRead(int frames) {
    std::vector<uint8_t> pixels(640 * 480 * 4);
    for (int f = 0; f < frames; ++f) {
        host->RenderGame();
        if (f == frames - 1) glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glfwSwapBuffers(host->GetWindow());
        glfwPollEvents();
        host->UpdateGame();
    }
    // GL rows run bottom-up.
    std::vector<uint8_t> flipped(pixels.size());
    for (int y = 0; y < 480; ++y) std::memcpy(&flipped[y * 640 * 4], &pixels[(479 - y) * 640 * 4], 640 * 4);
    return flipped;
}

}  // namespace ours
