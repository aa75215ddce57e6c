// RtGlfwGame's desktop services: "vantorix://" path resolution, image and
// sound loading, the URL opener, the clipboard, the window title and icon,
// and the display modes.
#include <GLFW/glfw3.h>
#include <stb_image.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "host/glfw_game.h"
#include "host/image_file_check.h"
#include "host/platform.h"

namespace {

AudioDecoder audio_decoder = nullptr;

// The executable's folder: separators turned to "/", cut before the last.
String FolderOf(const String& executable) {
    String path = executable.Replace("\\", "/");
    int slash = path.FindLast("/");
    return slash < 0 ? String() : path.Slice(0, slash);
}

std::vector<char> Narrow(const String& text) {
    std::vector<char> bytes;
    text.ToLatin1(bytes);
    return bytes;
}

// Widens grey, grey-alpha or RGB pixels to RGBA, in place of the original.
unsigned char* ToRgba(unsigned char* pixels, int count, int components) {
    if (components == 4) return pixels;
    unsigned char* rgba = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(count) * 4));
    if (rgba) {
        for (int i = 0; i < count; ++i) {
            const unsigned char* p = pixels + static_cast<size_t>(i) * components;
            unsigned char* q = rgba + static_cast<size_t>(i) * 4;
            bool grey = components < 3;
            q[0] = p[0];
            q[1] = grey ? p[0] : p[1];
            q[2] = grey ? p[0] : p[2];
            q[3] = components == 2 ? p[1] : (components == 4 ? p[3] : 255);
        }
    }
    std::free(pixels);
    return rgba;
}

}  // namespace

void SetAudioDecoder(AudioDecoder decoder) { audio_decoder = decoder; }

void RtGlfwGame::ComputeAppDir() { appDir = FolderOf(PlatformExecutablePath()); }

String RtGlfwGame::ResolvePath(const String& path) {
    if (appDir.Length() == 0) ComputeAppDir();
    if (!path.StartsWith("vantorix:")) return path;
    if (path.StartsWith("vantorix://data/")) return appDir + "/data/" + path.Slice(16);
    if (path.StartsWith("vantorix://internal/")) {
        if (internalDir.Length() == 0) internalDir = appDir + "/internal";
        return internalDir + "/" + path.Slice(20);
    }
    if (path.StartsWith("vantorix://external/")) return appDir + "/external/" + path.Slice(20);
    return String();
}

unsigned char* RtGlfwGame::LoadImageData(const String& path, int* w, int* h, int* components) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return nullptr;
    std::vector<unsigned char> bytes;
    bool readable = ReadImageFile(file, bytes);
    std::fclose(file);
    if (!readable || bytes.empty() || !ImageBytesAreSafeToDecode(bytes)) return nullptr;
    unsigned char* pixels =
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), w, h, components, 0);
    if (!pixels) return nullptr;
    // stb_image accepts a BMP of height 0; an image without pixels is no image.
    if (*w <= 0 || *h <= 0) {
        stbi_image_free(pixels);
        return nullptr;
    }
    gc_add_external_bytes(*w * *h * *components);
    return pixels;
}

unsigned char* RtGlfwGame::LoadAudioData(const String& path, int* length, int* channels, int* bytes_per_sample,
                                         int* rate) {
    if (!audio_decoder) return nullptr;
    std::FILE* file = OpenFile(path, "rb");
    if (!file) return nullptr;
    unsigned char* samples = audio_decoder(file, path, length, channels, bytes_per_sample, rate);
    std::fclose(file);
    // The decoded block's bytes, not its frame count.
    if (samples) gc_add_external_bytes(*length * *channels * *bytes_per_sample);
    return samples;
}

void RtGlfwGame::OpenUrl(const String& url) { PlatformOpenUrl(Narrow(url).data()); }

void RtGlfwGame::SetClipboardText(const String& text) {
    if (window) glfwSetClipboardString(window, Narrow(text).data());
}

String RtGlfwGame::GetClipboardText() {
    const char* text = glfwGetClipboardString(window);
    if (!text) return String();
    return String::FromLatin1(reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
}

void RtGlfwGame::SetWindowTitle(const String& title) {
    if (window) glfwSetWindowTitle(window, Narrow(title).data());
}

// GLFW wants 8-bit RGBA of exactly width x height; other images are widened
// first, and one that does not load leaves the icon as it was.
void RtGlfwGame::SetWindowIcon(const String& path) {
    if (!window) return;
    int w = 0, h = 0, components = 0;
    unsigned char* pixels = LoadImageData(path, &w, &h, &components);
    if (!pixels) return;
    pixels = ToRgba(pixels, w * h, components);
    if (!pixels) return;
    GLFWimage image = {w, h, pixels};
    glfwSetWindowIcon(window, 1, &image);
    std::free(pixels);
}

Array<RtDisplayMode*> RtGlfwGame::GetDisplayModes() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    int count = 0;
    const GLFWvidmode* modes = monitor ? glfwGetVideoModes(monitor, &count) : nullptr;
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (modes[i].refreshRate == 0 || modes[i].refreshRate == 60) ++kept;
    Array<RtDisplayMode*> out(kept);
    int at = 0;
    for (int i = 0; i < count; ++i)
        if (modes[i].refreshRate == 0 || modes[i].refreshRate == 60)
            out.Set(at++, gc_new<RtDisplayMode>(modes[i].width, modes[i].height));
    return out;
}

RtDisplayMode* RtGlfwGame::GetDesktopMode() {
    return gc_new<RtDisplayMode>(desktopVideoMode.width, desktopVideoMode.height);
}
