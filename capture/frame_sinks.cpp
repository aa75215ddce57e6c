// The PNG and ffmpeg frame sinks. ffmpeg is reached through the shell with
// every argument single-quoted, so names with spaces or quotes in them are
// passed through as they are.
#include "capture/frame_sinks.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace fs = std::filesystem;

namespace {

class PngSink : public FrameSink {
public:
    explicit PngSink(const std::string& folder) : folder(folder) {}
    bool WriteFrame(int index, const uint8_t* rgb, int width, int height) override {
        std::string path = (fs::path(folder) / PngFrameName(index)).string();
        return stbi_write_png(path.c_str(), width, height, 3, rgb, width * 3) != 0;
    }
    bool Finish() override { return true; }

private:
    std::string folder;
};

class FfmpegSink : public FrameSink {
public:
    FfmpegSink(const std::string& video_path, int fps) : video_path(video_path), fps(fps) {}
    ~FfmpegSink() override { Finish(); }
    bool WriteFrame(int, const uint8_t* rgb, int width, int height) override {
        if (!pipe && !Start(width, height)) return false;
        if (width != frame_width || height != frame_height) return false;
        size_t bytes = static_cast<size_t>(width) * height * 3;
        return std::fwrite(rgb, 1, bytes, pipe) == bytes;
    }
    bool Finish() override {
        if (!pipe) return started ? ok : true;
        ok = pclose(pipe) == 0;
        pipe = nullptr;
        return ok;
    }

private:
    bool Start(int width, int height) {
        started = true;
        frame_width = width;
        frame_height = height;
        std::string size = std::to_string(width) + "x" + std::to_string(height);
        std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              size + " -framerate " + std::to_string(fps) +
                              " -i - -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p " +
                              ShellQuote(video_path);
#ifdef SIGPIPE
        // A dying encoder must show up as a failed write, not end the capture.
        std::signal(SIGPIPE, SIG_IGN);
#endif
        pipe = popen(command.c_str(), "w");
        ok = pipe != nullptr;
        return ok;
    }

    std::string video_path;
    int fps;
    std::FILE* pipe = nullptr;
    int frame_width = 0, frame_height = 0;  // of the first frame; every frame must match
    bool started = false;
    bool ok = true;
};

}  // namespace

std::string PngFrameName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", index);
    return name;
}

std::unique_ptr<FrameSink> MakePngSink(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind("frame_", 0) == 0 && e.path().extension() == ".png") fs::remove(e.path(), ec);
    }
    stbi_write_png_compression_level = 6;
    return std::make_unique<PngSink>(folder);
}

std::unique_ptr<FrameSink> MakeFfmpegSink(const std::string& video_path, int fps) {
    return std::make_unique<FfmpegSink>(video_path, fps);
}

std::string ShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

bool FfmpegAvailable() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

bool RunFfmpeg(const std::vector<std::string>& args) {
    std::string command = "ffmpeg -nostdin";
    for (const std::string& a : args) command += " " + ShellQuote(a);
    return std::system(command.c_str()) == 0;
}
