// Parsing of the capture tool's options. Both "--name value" and
// "--name=value" are taken; numbers must be whole and in range.
#include "capture/capture_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxFrames = 10 * 60 * 60 * kMaxCaptureFps;  // ten hours at the highest rate

bool ParseNumber(const std::string& text, double min, double max, double* out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value)) return false;
    if (value < min || value > max) return false;
    *out = value;
    return true;
}

bool ParseWhole(const std::string& text, int min, int max, int* out) {
    double value = 0;
    if (!ParseNumber(text, min, max, &value) || value != std::floor(value)) return false;
    *out = static_cast<int>(value);
    return true;
}

// What the command line said, before defaults are filled in.
struct Given {
    bool fps = false, seconds = false, frames = false;
    double seconds_value = 0;
};

// One option that takes a value; false with a reason when it is bad.
bool TakeValue(const std::string& name, const std::string& value, CaptureOptions* o, Given* g,
               std::string* error) {
    bool ok = true;
    if (name == "--fps") {
        ok = ParseWhole(value, kMinCaptureFps, kMaxCaptureFps, &o->fps);
        g->fps = true;
        if (!ok) *error = "--fps wants a whole number from 13 to 240";
    } else if (name == "--seconds") {
        ok = ParseNumber(value, 0.001, kMaxFrames / double(kMaxCaptureFps), &g->seconds_value);
        g->seconds = true;
        if (!ok) *error = "--seconds wants a positive number (at most ten hours)";
    } else if (name == "--frames") {
        ok = ParseWhole(value, 1, kMaxFrames, &o->frames);
        g->frames = true;
        if (!ok) *error = "--frames wants a whole number from 1 up";
    } else if (name == "--start") {
        ok = ParseWhole(value, 0, kMaxFrames, &o->start_frame);
        if (!ok) *error = "--start wants a whole number from 0 up";
    } else {  // --out
        o->out_dir = value;
        ok = !value.empty();
        if (!ok) *error = "--out wants a folder";
    }
    return ok;
}

bool TakesValue(const std::string& name) {
    return name == "--fps" || name == "--seconds" || name == "--frames" || name == "--start" || name == "--out";
}

}  // namespace

bool ParseCaptureOptions(int argc, char** argv, CaptureOptions* options, std::string* error) {
    CaptureOptions o;
    Given given;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (arg == "--png") {
            o.png_only = true;
            continue;
        }
        std::string name = arg, value;
        size_t eq = arg.find('=');
        bool inline_value = arg.rfind("--", 0) == 0 && eq != std::string::npos;
        if (inline_value) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        if (!TakesValue(name)) {
            *error = arg.rfind("-", 0) == 0 ? "unknown option " + name : "unexpected argument " + arg;
            return false;
        }
        if (!inline_value) {
            if (i + 1 >= argc) {
                *error = name + " wants a value";
                return false;
            }
            value = argv[++i];
        }
        if (!TakeValue(name, value, &o, &given, error)) return false;
    }
    if (given.seconds && given.frames) {
        *error = "give --seconds or --frames, not both";
        return false;
    }
    if (!given.frames) {
        double seconds = given.seconds ? given.seconds_value : kDefaultCaptureSeconds;
        o.frames = static_cast<int>(std::lround(seconds * o.fps));
        if (o.frames < 1) o.frames = 1;
    }
    *options = o;
    return true;
}

std::string CaptureUsage() {
    return "Usage: moonlit-capture [options]\n"
           "Records the show at a fixed frame rate: every frame as an image, the music\n"
           "sample-exact as a WAVE file, and with ffmpeg installed both in one video.\n"
           "\n"
           "  --fps N        frames per second, 13 to 240 (default 60)\n"
           "  --seconds S    length in seconds (default 20: one scroll cycle and a bit)\n"
           "  --frames N     length in frames, instead of --seconds\n"
           "  --start N      first frame to keep; the frames before it are drawn and\n"
           "                 heard but not written (default 0)\n"
           "  --out DIR      output folder (default out)\n"
           "  --png          write PNG frames and the WAVE only, no video\n"
           "  -h, --help     this text\n"
           "\n"
           "Output: DIR/moonlit-harbor.mp4 (H.264 and AAC) and DIR/moonlit-harbor.wav;\n"
           "with --png or without ffmpeg, DIR/frames/frame_NNNNNN.png and the WAVE.\n";
}
