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
    explicit PngSink(const std::string& folder) : folder_(folder) {}
    bool WriteFrame(int index, const uint8_t* rgb, int width, int height) override {
        std::string path = (fs::path(folder_) / PngFrameName(index)).string();
        return stbi_write_png(path.c_str(), width, height, 3, rgb, width * 3) != 0;
    }
    bool Finish() override { return true; }

private:
    std::string folder_;
};

class FfmpegSink : public FrameSink {
public:
    FfmpegSink(const std::string& videoPath, int fps) : videoPath_(videoPath), fps_(fps) {}
    ~FfmpegSink() override { Finish(); }
    bool WriteFrame(int, const uint8_t* rgb, int width, int height) override {
        if (!pipe_ && !Start(width, height)) return false;
        if (width != width_ || height != height_) return false;
        size_t bytes = static_cast<size_t>(width) * height * 3;
        return std::fwrite(rgb, 1, bytes, pipe_) == bytes;
    }
    bool Finish() override {
        if (!pipe_) return started_ ? ok_ : true;
        ok_ = pclose(pipe_) == 0;
        pipe_ = nullptr;
        return ok_;
    }

private:
    bool Start(int width, int height) {
        started_ = true;
        width_ = width;
        height_ = height;
        std::string size = std::to_string(width) + "x" + std::to_string(height);
        std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                              size + " -framerate " + std::to_string(fps_) +
                              " -i - -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p " +
                              ShellQuote(videoPath_);
#ifdef SIGPIPE
        // A dying encoder must show up as a failed write, not end the capture.
        std::signal(SIGPIPE, SIG_IGN);
#endif
        pipe_ = popen(command.c_str(), "w");
        ok_ = pipe_ != nullptr;
        return ok_;
    }

    std::string videoPath_;
    int fps_;
    std::FILE* pipe_ = nullptr;
    int width_ = 0, height_ = 0;
    bool started_ = false;
    bool ok_ = true;
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

std::unique_ptr<FrameSink> MakeFfmpegSink(const std::string& videoPath, int fps) {
    return std::make_unique<FfmpegSink>(videoPath, fps);
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
