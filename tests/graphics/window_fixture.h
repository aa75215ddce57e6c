// A real 640 x 480 window from the host with its GL context (Mesa under
// Xvfb in the test run), a device drawing into it, and helpers that read
// pixels back through the device and make image files with ImageMagick.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "graphics/font.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/glfw_game.h"
#include "support/x_session.h"

class WindowDevice : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CurrentGlfwGame()) {
            // An X server of this test process's own, so that tests run
            // side by side never draw into each other's windows.
            ASSERT_TRUE(xsession::StartServer()) << "Xvfb could not be started";
            ASSERT_TRUE(glfwInit()) << "no X display";
            RtGlfwGame* host = new RtVantorixGame();
            host->OpenWindow(640, 480, kWindowDecorated);
        }
        host = CurrentGlfwGame();
        InitGraphicsContextGlobals();
        device = gc_new<gxtkGraphics>();
        SetGraphicsDevice(device);
        deviceWidth = host->GetDeviceWidth();
        deviceHeight = host->GetDeviceHeight();
        std::random_device seed;
        dir = std::filesystem::temp_directory_path() / ("moonlit-gfx-" + std::to_string(seed()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // One frame: the device's and the framework's begin, the drawing, both ends.
    void Frame(const std::function<void()>& draw) {
        device->BeginRender();
        BeginRender();
        draw();
        EndRender();
        device->EndRender();
    }

    // The framework's ARGB integer of the pixel at (x, y), top-left origin.
    uint32_t Pixel(int x, int y) {
        Array<int> one(1);
        device->ReadPixels(one, x, y, 1, 1, 0, 1);
        return static_cast<uint32_t>(one[0]);
    }
    // Red, green and blue of a pixel as 0xRRGGBB (the window may lack alpha).
    uint32_t Rgb(int x, int y) { return Pixel(x, y) & 0xFFFFFF; }

    // Writes the raw bytes as a PNG of the given colour type (0 grey, 2 RGB,
    // 4 grey-alpha, 6 RGBA) and returns its absolute path.
    std::string Png(const std::string& name, int w, int h, int colour_type, const std::vector<int>& bytes) {
        static const char* raw[] = {"gray", "", "rgb", "", "graya", "", "rgba"};
        std::string raw_path = (dir / (name + ".raw")).string();
        std::string out = (dir / name).string();
        std::ofstream f(raw_path, std::ios::binary);
        for (int b : bytes) f.put(static_cast<char>(b));
        f.close();
        std::string cmd = "convert -size " + std::to_string(w) + "x" + std::to_string(h) + " -depth 8 " +
                          raw[colour_type] + ":" + raw_path + " -define png:color-type=" +
                          std::to_string(colour_type) + " -define png:bit-depth=8 " + out;
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return out;
    }
    // Writes a text file and returns its absolute path.
    std::string Text(const std::string& name, const std::string& text) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    gxtkGraphics* device = nullptr;

private:
    RtGlfwGame* host = nullptr;
    std::filesystem::path dir;
};
