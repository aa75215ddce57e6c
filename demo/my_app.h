// c_MyApp: the demo application. Set-up loads the font, prepares the
// scroller and starts the music; each update moves the scroller and pumps
// the player; each render draws the show; closing stops the music and ends
// the process.
#pragma once

#include "app/framework.h"

struct c_MyApp : c_App {
    int OnCreate() override;
    int OnUpdate() override;
    int OnRender() override;
    int OnClose() override;
};
