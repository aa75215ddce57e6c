// The driver records on libmikmod's software mixer, and the pull of 16-bit
// samples out of it in whatever sample format the mixer was set to.
#include "audio/mixer_driver.h"

#include <algorithm>
#include <cmath>

namespace {

BOOL AlwaysPresent() { return 1; }

// The mixer's raw output when it is not 16-bit, reused from call to call.
std::vector<unsigned char> raw;

int16_t FromFloat(float v) {
    float scaled = std::round(v * 32767.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace

MDRIVER MakeMixerDriver(const char* name, const char* alias, int (*init)(), void (*update)(), void (*exit)()) {
    MDRIVER d = {};
    d.Name = name;
    d.Version = name;
    d.HardVoiceLimit = 0;
    d.SoftVoiceLimit = 255;
    d.Alias = alias;
    d.CmdLineHelp = "";
    d.IsPresent = AlwaysPresent;
    d.SampleLoad = VC_SampleLoad;
    d.SampleUnload = VC_SampleUnload;
    d.FreeSampleSpace = VC_SampleSpace;
    d.RealSampleLength = VC_SampleLength;
    d.Init = init;
    d.Exit = exit;
    d.SetNumVoices = VC_SetNumVoices;
    d.PlayStart = VC_PlayStart;
    d.PlayStop = VC_PlayStop;
    d.Update = update;
    d.VoiceSetVolume = VC_VoiceSetVolume;
    d.VoiceGetVolume = VC_VoiceGetVolume;
    d.VoiceSetFrequency = VC_VoiceSetFrequency;
    d.VoiceGetFrequency = VC_VoiceGetFrequency;
    d.VoiceSetPanning = VC_VoiceSetPanning;
    d.VoiceGetPanning = VC_VoiceGetPanning;
    d.VoicePlay = VC_VoicePlay;
    d.VoiceStop = VC_VoiceStop;
    d.VoiceStopped = VC_VoiceStopped;
    d.VoiceGetPosition = VC_VoiceGetPosition;
    d.VoiceRealVolume = VC_VoiceRealVolume;
    return d;
}

int MixerRate() { return md_mixfreq; }

int MixerChannels() { return (md_mode & DMODE_STEREO) ? 2 : 1; }

void MixPcm16(int sample_frames, std::vector<int16_t>* out) {
    size_t values = static_cast<size_t>(sample_frames) * MixerChannels();
    out->resize(values);
    if (values == 0) return;
    if (md_mode & DMODE_FLOAT) {
        raw.resize(values * sizeof(float));
        VC_WriteBytes(reinterpret_cast<SBYTE*>(raw.data()), raw.size());
        const float* f = reinterpret_cast<const float*>(raw.data());
        for (size_t i = 0; i < values; ++i) (*out)[i] = FromFloat(f[i]);
    } else if (md_mode & DMODE_16BITS) {
        VC_WriteBytes(reinterpret_cast<SBYTE*>(out->data()), values * sizeof(int16_t));
    } else {
        raw.resize(values);  // unsigned 8-bit
        VC_WriteBytes(reinterpret_cast<SBYTE*>(raw.data()), raw.size());
        for (size_t i = 0; i < values; ++i) (*out)[i] = static_cast<int16_t>((raw[i] - 128) << 8);
    }
}
