// moonlit-capture: records the show. The same program entry as the demo
// (its globals and c_MyApp) runs on the capture host; the frames go to PNG
// files or through ffmpeg into H.264, the music into a WAVE file, and with
// ffmpeg the two are muxed into one video.
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/framework.h"
#include "capture/capture_game.h"
#include "capture/capture_options.h"
#include "capture/frame_sinks.h"
#include "capture/music_capture.h"
#include "capture/progress.h"
#include "host/platform.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kVideoName = "moonlit-harbor.mp4";
constexpr const char* kWaveName = "moonlit-harbor.wav";
constexpr const char* kStreamName = ".moonlit-harbor-video.mp4";  // video before the sound joins it

void OnGlfwError(int error, const char* description) {
    std::printf("GLFW Error: err=%i, msg=%s\n", error, description ? description : "");
    std::fflush(stdout);
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "moonlit-capture: %s\n", why.c_str());
    return 1;
}

// The demo opens its music by bare name in the working directory and its
// images beside the executable: the run folder the build lays out.
bool EnterRunFolder() {
    std::vector<unsigned char> utf8;
    PlatformExecutablePath().ToUtf8(utf8);
    fs::path exe(std::string(utf8.begin(), utf8.end()));
    std::error_code ec;
    fs::current_path(exe.parent_path(), ec);
    return !ec;
}

bool Mux(const fs::path& out) {
    bool ok = RunFfmpeg({"-hide_banner", "-loglevel", "error", "-y", "-i", (out / kStreamName).string(), "-i",
                         (out / kWaveName).string(), "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "aac",
                         "-b:a", "192k", "-movflags", "+faststart", (out / kVideoName).string()});
    std::error_code ec;
    fs::remove(out / kStreamName, ec);
    return ok;
}

void TellHowToMux(const std::string& shown, const CaptureOptions& o, int kept) {
    std::printf("Frames: %s/frames/frame_NNNNNN.png (%d to %d), sound: %s/%s\n", shown.c_str(), o.start_frame,
                o.start_frame + kept - 1, shown.c_str(), kWaveName);
    std::printf("To make a video of them with ffmpeg (Debian's package ffmpeg):\n"
                "  ffmpeg -framerate %d -start_number %d -i %s -i %s -c:v libx264 -pix_fmt yuv420p "
                "-c:a aac %s\n",
                o.fps, o.start_frame, ShellQuote(shown + "/frames/frame_%06d.png").c_str(),
                ShellQuote(shown + "/" + kWaveName).c_str(), ShellQuote(shown + "/" + kVideoName).c_str());
}

// Starts the framework with the demo's program entry on the capture host.
CaptureGame* StartShow(int argc, char** argv, const CaptureRange& range) {
    glfwSetErrorCallback(OnGlfwError);
    if (!glfwInit()) return nullptr;
    CaptureGame* game = new CaptureGame(range);
    try {
        StartFramework(argc, argv, MoonlitProgram());
    } catch (ThrowableObject* thrown) {
        glfwTerminate();
        game->HandleUncaught(thrown);
    }
    return game;
}

struct Outcome {
    bool complete = false;  // every frame taken
    bool closed = false;    // the window was closed on the way
    int kept = 0;           // frames written
    bool frames_ok = false, sound_ok = false;
};

// Runs the capture into the sinks and completes their files.
Outcome RunCapture(CaptureGame* game, const CaptureOptions& o, FrameSink* frames, MusicRecorder* music) {
    ProgressLine progress(stderr, o.start_frame + o.frames, PlatformIsTerminal(stderr));
    game->SetFrameSink(frames);
    game->SetSoundSink(music);
    game->SetProgress([&progress](int done) { progress.Update(done); });
    Outcome r;
    r.complete = game->Capture();
    r.closed = game->CloseRequestedByUser();
    r.kept = game->FramesPresented() > o.start_frame ? game->FramesPresented() - o.start_frame : 0;
    progress.Finish(game->FramesPresented());
    r.frames_ok = frames->Finish();
    r.sound_ok = music->Finish();
    return r;
}

int Report(const Outcome& r, const CaptureOptions& o, const fs::path& out, bool video, const MusicRecorder& music) {
    if (!music.Error().empty()) return Fail(music.Error());
    if (!r.frames_ok) return Fail(video ? "ffmpeg could not encode the frames" : "cannot write the frames");
    if (!r.sound_ok || (!r.complete && !r.closed)) return Fail("the capture did not complete");
    if (r.kept == 0) return Fail("the window was closed before the first frame to keep");
    if (r.kept < o.frames) std::printf("Stopped early: the window was closed after %d frames.\n", r.kept);
    if (!video) {
        TellHowToMux(o.out_dir, o, r.kept);
        return 0;
    }
    if (!Mux(out)) return Fail("ffmpeg could not join the frames and the sound");
    std::printf("Video: %s/%s (%d frames at %d fps, %lld sample frames of sound)\n", o.out_dir.c_str(), kVideoName,
                r.kept, o.fps, static_cast<long long>(music.SampleFrames()));
    return 0;
}

int Record(int argc, char** argv, const CaptureOptions& o) {
    fs::path out = fs::absolute(o.out_dir);
    std::error_code ec;
    fs::create_directories(out, ec);
    if (ec || !fs::is_directory(out)) return Fail("cannot make the output folder " + o.out_dir);
    if (!EnterRunFolder()) return Fail("cannot enter the folder of the executable");
    bool video = !o.png_only && FfmpegAvailable();

    // The sample-sound device opens nowhere unless the user chose otherwise:
    // the show plays nothing on it, and a capture makes no sound.
    setenv("ALSOFT_DRIVERS", "null", 0);
    InstallCaptureDriver();
    CaptureGame* game = StartShow(argc, argv, {o.fps, o.start_frame, o.frames});
    if (!game) return Fail("no display to draw on (run it under xvfb-run)");
    std::unique_ptr<FrameSink> frames =
        video ? MakeFfmpegSink((out / kStreamName).string(), o.fps) : MakePngSink((out / "frames").string());
    MusicRecorder music((out / kWaveName).string());
    Outcome r = RunCapture(game, o, frames.get(), &music);
    // GLFW stays up until the process ends: terminating it unloads the GL
    // driver, whose own allocations would then count as leaks.
    delete game;
    return Report(r, o, out, video, music);
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!ParseCaptureOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "moonlit-capture: %s\nTry 'moonlit-capture --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(CaptureUsage().c_str(), stdout);
        return 0;
    }
    return Record(argc, argv, options);
}
