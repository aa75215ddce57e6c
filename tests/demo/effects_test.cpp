// The plasma's bands at their thresholds: exact thresholds never occur in a
// frame, so only this table holds each comparison to its side.
#include <gtest/gtest.h>

#include <cmath>

#include "demo/effects.h"

TEST(Plasma, EachValueFallsInItsBand) {
    const struct {
        float v;
        float r, g, b;  // -1: no band, the previous colour stays
    } rows[] = {
        {0.0f, -1, -1, -1},        {NAN, -1, -1, -1},         {0.0001f, 8, 16, 10},      {0.3f, 8, 16, 10},
        {0.30001f, 16, 32, 24},    {0.6f, 16, 32, 24},        {0.60001f, 32, 64, 48},    {0.9f, 32, 64, 48},
        {0.95f, 64, 128, 98},      {-0.0001f, 128, 255, 196}, {-0.3f, 128, 255, 196},    {-0.30001f, 112, 223, 148},
        {-0.6f, 112, 223, 148},    {-0.60001f, 96, 195, 128}, {-0.9f, 96, 195, 128},     {-0.90001f, 64, 128, 98},
    };
    for (const auto& row : rows) {
        float rgb[3] = {-1, -1, -1};
        EXPECT_EQ(PlasmaBand(row.v, rgb), row.r >= 0) << row.v;
        EXPECT_EQ(rgb[0], row.r) << row.v;
        EXPECT_EQ(rgb[1], row.g) << row.v;
        EXPECT_EQ(rgb[2], row.b) << row.v;
    }
}
