// Where captured frames go: PNG files (stb_image_write) or a pipe into
// ffmpeg that encodes them as H.264 on the fly; and the helpers that find
// ffmpeg and run it for the final mux.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Receives the kept frames in order: RGB, 8 bits a channel, rows top-down.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // `index` is the frame's number in the show.
    virtual bool WriteFrame(int index, const uint8_t* rgb, int width, int height) = 0;
    // Ends the output; false if it did not complete.
    virtual bool Finish() = 0;
};

// Writes folder/frame_NNNNNN.png (the show's frame number, six digits).
// Frames of an earlier capture in the folder are removed first, so that a
// numbered sequence never mixes two captures.
std::unique_ptr<FrameSink> MakePngSink(const std::string& folder);
std::string PngFrameName(int index);

// Streams raw frames into ffmpeg, which encodes them to `videoPath`
// (H.264, yuv420p) at `fps`. Started on the first frame.
std::unique_ptr<FrameSink> MakeFfmpegSink(const std::string& video_path, int fps);

// True when an ffmpeg program can be run.
bool FfmpegAvailable();

// Runs ffmpeg with the arguments (each passed as one word; no shell
// expansion reaches them). True on exit status 0.
bool RunFfmpeg(const std::vector<std::string>& args);

// The word as the POSIX shell reads it back unchanged: in single quotes.
std::string ShellQuote(const std::string& word);
