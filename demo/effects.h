// The show's layers, drawn in this order every frame: plasma, logo strip,
// info text with its shadow, scroller, bars. Each advances its own counters
// once per rendered frame; only the scroller's position moves with updates.
#pragma once

void DrawPlasma();
void DrawLogoStrip();
void DrawInfoText();
void DrawScroller();
void DrawBars();

// The plasma's value at cell (x, y) for a zoom factor.
float PlasmaValue(float scale, int x, int y);
// The colour band of a plasma value; false when v is exactly 0, where the
// cell keeps the colour of the cell before it.
bool PlasmaBand(float v, float rgb[3]);

// The two blocks the logo strip draws at strip row k and strip column j for
// wave phase `phase` and pattern row offset `rowOffset`: a back block at
// (backX, k) and a front block at (frontX, k - 16), both 8 x 8.
struct LogoBlocks {
    float back_rgb[3];
    float back_x;
    bool lit;
    float front_rgb[3];
    float front_x;
};
LogoBlocks ComputeLogoBlocks(int k, int j, float phase, int row_offset);

// Where scroller character i stands for a wave value carried in from the
// previous character.
void ScrollerPosition(int i, float wave, int* x, int* y);
