// An application that makes sound: it loops a WAVE and an Ogg Vorbis sample
// on two channels of the sample device, plays the demo's module on the
// module player, shows the channel states and the module's row, and on the
// window's close request prints what was sounding and ends with status 0.
// Its sounds and the module sit in data/ beside the executable.
#include "app/framework.h"
#include "audio/gxtk_audio.h"
#include "audio/module_music.h"
#include "graphics/font.h"
#include "graphics/graphics_context.h"

namespace {

const char* StateName(int state) {
    return state == kChannelPlaying ? "playing" : (state == kChannelPaused ? "paused" : "stopped");
}

struct c_SoundApp : c_App {
    gxtkSample* wave = nullptr;
    gxtkSample* ogg = nullptr;

    void mark() override {
        gc_shade(wave);
        gc_shade(ogg);
    }

    int OnCreate() override {
        SetUpdateRate(50);
        gc_assign(wave, audioDevice->LoadSample(String("vantorix://data/chime.wav")));
        gc_assign(ogg, audioDevice->LoadSample(String("vantorix://data/chime.ogg")));
        if (wave) audioDevice->PlaySample(wave, 0, 1);
        if (ogg) audioDevice->PlaySample(ogg, 1, 1);
        audioDevice->SetPan(0, -0.5f);
        audioDevice->SetPan(1, 0.5f);
        InitModulePlayer();
        PlayModule(game->ResolvePath(String("vantorix://data/spartanic.xm")));
        return 0;
    }

    int OnUpdate() override {
        UpdateModulePlayer();
        return 0;
    }

    String Report() {
        return String("wave ") + String(StateName(audioDevice->ChannelState(0))) + ", ogg " +
               String(StateName(audioDevice->ChannelState(1)));
    }

    int OnRender() override {
        Clear(10, 20, 40);
        SetColor(255, 255, 255);
        DrawText(String("Moonlit Harbor: samples and module music"), 320, 180, 0.5f, 0);
        DrawText(Report(), 320, 220, 0.5f, 0);
        DrawText(String("module row ") + String(GetModuleRow()), 320, 260, 0.5f, 0);
        return 0;
    }

    int OnClose() override {
        Print(String("sound-example: ") + Report());
        StopModule();
        return c_App::OnClose();
    }
};

}  // namespace

ProgramEntry MoonlitProgram() {
    return {nullptr, [] { gc_new<c_SoundApp>(); }};
}
