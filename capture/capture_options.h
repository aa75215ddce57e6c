// The capture tool's command line: frame rate, length, output folder,
// PNG-only output and the first frame to keep, with their defaults.
#pragma once

#include <string>

// 50 updates per second over at most 4 updates per pass: slower rates would
// make the loop drop updates and the show would run slow.
constexpr int kMinCaptureFps = 13;
constexpr int kMaxCaptureFps = 240;
// One scroll cycle is 17.34 s; the default takes it whole and a little more.
constexpr double kDefaultCaptureSeconds = 20.0;

struct CaptureOptions {
    int fps = 60;
    int frames = 0;       // to keep, from startFrame on
    int start_frame = 0;   // frames before it are drawn but not written
    std::string out_dir = "out";
    bool png_only = false;
    bool help = false;
};

// Fills `options` from the arguments (argv[0] is the program). On a bad
// command line returns false with a one-line reason in `error`.
bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error);

// The text of --help.
std::string CaptureUsage();
