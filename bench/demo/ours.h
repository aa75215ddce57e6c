// The demo through the real framework, run by a bench host: the program's
// own start-up, window and delegate, with vertical sync held off and the
// loop bounded to a number of frames. Either on the do-nothing GL table (the
// framework's cost alone) or on the system's GL (the whole program's frame).
#pragma once

#include <cstdint>
#include <vector>

namespace ours {

// glfwInit, the bench host, the framework start-up of the demo, the window
// (swap interval 0) and StartGame. With nullGl every GL call goes nowhere.
void Start(int argc, char** argv, bool null_gl);

// n frames as the host renders them: the delegate's render bracket around
// OnRender, then the collector step. No swap, no events, no updates.
void RenderFrames(int n);

struct LoopResult {
    double cpu_ns_per_frame;  // main thread
    double frames_per_second;
    long hwm_ki_b_at;         // peak resident memory after `hwmAt` frames
    long hwm_ki_b_end;        // and at the end
};

// The program's loop as it runs (render, swap, events, updates) with its
// sleep taken out: each pass then runs one update. `warm` frames, then
// `frames` measured ones.
LoopResult RunLoop(int warm, int frames, int hwm_at);

// Renders `frames` frames, one update after each, and reads the last one back
// (before the swap) as RGBA rows top-down.
std::vector<uint8_t> RenderAndRead(int frames);

}  // namespace ours

// Peak resident memory of this process so far, KiB (VmHWM).
long PeakResidentKiB();
// CPU time of the calling thread, nanoseconds.
double ThreadCpuNs();
// Monotonic wall time, nanoseconds.
double WallNs();
