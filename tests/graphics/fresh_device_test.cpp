// A device that has drawn nothing yet: valgrind found its colour, alpha and
// matrix read before anything had written them (the frame's first SetColor
// packs the colour with the alpha). They start white, opaque, untransformed.
#include <gtest/gtest.h>

#include "graphics/gl_functions.h"
#include "graphics/gxtk_graphics.h"

TEST(FreshDevice, StartsWhiteOpaqueAndUntransformed) {
    gc_init();
    gl = NullGl();
    gxtkGraphics* device = gc_new<gxtkGraphics>();
    EXPECT_EQ(device->alpha, 1.0f);
    EXPECT_EQ(device->color, 0xffffffffu);
    EXPECT_FALSE(device->tformed);
    // A colour set before any alpha keeps full opacity.
    device->SetColor(255, 0, 0);
    EXPECT_EQ(device->color, 0xff0000ffu);
    // A rectangle before any matrix lands where it was asked.
    device->DrawRect(10, 20, 5, 5);
    EXPECT_EQ(device->vertices[0].x, 10.0f);
    EXPECT_EQ(device->vertices[0].y, 20.0f);
}
