// One real 640 x 480 window with its GL context (Mesa on a private Xvfb) for
// the whole program; per test a fresh context and device, pixels read back
// through it, and PNG files from a real encoder.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "graphics/font.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/glfw_game.h"
#include "support/images.h"
#include "support/temp_folder.h"
#include "support/x_session.h"

constexpr uint32_t kWhite = 0xFFFFFF;

template <class T, class V>
Array<T> ArrayOf(std::initializer_list<V> values) {
    Array<T> out(static_cast<int>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) out.Set(static_cast<int>(i), static_cast<T>(values.begin()[i]));
    return out;
}

class WindowDevice : public ::testing::Test {
protected:
    void SetUp() override {
        InitGraphicsContextGlobals();
        device = gc_new<gxtkGraphics>();
        SetGraphicsDevice(device);
        if (!CurrentGlfwGame()) {
            ASSERT_TRUE(xsession::StartServer()) << "Xvfb could not be started";
            ASSERT_TRUE(glfwInit()) << "no X display";
            (new RtVantorixGame())->OpenWindow(640, 480, kWindowDecorated);
        }
        deviceWidth = CurrentGlfwGame()->GetDeviceWidth();
        deviceHeight = CurrentGlfwGame()->GetDeviceHeight();
    }

    // The device's and the framework's begin, a black screen, the drawing, both ends.
    void Frame(const std::function<void()>& draw) {
        device->BeginRender();
        BeginRender();
        Clear(0, 0, 0);
        draw();
        EndRender();
        device->EndRender();
    }

    // The pixel at (x, y) without alpha (the window may have none).
    uint32_t Rgb(int x, int y) {
        Array<int> one(1);
        device->ReadPixels(one, x, y, 1, 1, 0, 1);
        return static_cast<uint32_t>(one[0]) & 0xFFFFFF;
    }
    void ExpectPixels(const std::vector<std::tuple<int, int, uint32_t>>& pixels) {  // x, y from top left, 0xRRGGBB
        for (auto [x, y, rgb] : pixels) EXPECT_EQ(Rgb(x, y), rgb) << x << "," << y;
    }

    // A PNG of the given colour type, and a transparent one named "<w>x<h>.png".
    String Png(const std::string& name, int w, int h, int colour_type, const std::vector<int>& bytes) {
        return String(MakePng(folder.Path(), name, w, h, colour_type, bytes).c_str());
    }
    String Blank(int w, int h) {
        return Png(std::to_string(w) + "x" + std::to_string(h) + ".png", w, h, 6, std::vector<int>(w * h * 4));
    }

    gxtkGraphics* device = nullptr;
    TempFolder folder{"graphics"};
};
