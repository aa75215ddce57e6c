// The capture driver for libmikmod: the library's own software mixer (the
// VC_ functions) behind a driver whose Update does nothing, and MixMusic,
// which pulls exactly the samples asked for out of the mixer.
#include "capture/music_capture.h"

#include <mikmod.h>

#include <algorithm>
#include <cmath>

namespace {

BOOL CaptureIsPresent() { return 1; }
int CaptureInit() { return VC_Init(); }
void CaptureUpdate() {}  // the capture pulls samples itself

MDRIVER MakeCaptureDriver() {
    MDRIVER d = {};
    d.Name = "Capture";
    d.Version = "Moonlit capture output";
    d.HardVoiceLimit = 0;
    d.SoftVoiceLimit = 255;
    d.Alias = "capture";
    d.CmdLineHelp = "";
    d.IsPresent = CaptureIsPresent;
    d.SampleLoad = VC_SampleLoad;
    d.SampleUnload = VC_SampleUnload;
    d.FreeSampleSpace = VC_SampleSpace;
    d.RealSampleLength = VC_SampleLength;
    d.Init = CaptureInit;
    d.Exit = VC_Exit;
    d.SetNumVoices = VC_SetNumVoices;
    d.PlayStart = VC_PlayStart;
    d.PlayStop = VC_PlayStop;
    d.Update = CaptureUpdate;
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

// libmikmod links its drivers into a list through the record itself, so the
// record must live as long as the library.
MDRIVER captureDriver = MakeCaptureDriver();

// The mixer's raw output, reused from frame to frame.
std::vector<unsigned char> mixed;

int16_t FromFloat(float v) {
    float scaled = std::round(v * 32767.0f);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

}  // namespace

void InstallCaptureDriver() { MikMod_RegisterDriver(&captureDriver); }

bool CaptureDriverActive() { return md_driver == &captureDriver && MikMod_Active(); }

int CaptureMixRate() { return md_mixfreq; }

int CaptureChannels() { return (md_mode & DMODE_STEREO) ? 2 : 1; }

void MixMusic(int sampleFrames, std::vector<int16_t>* out) {
    size_t values = static_cast<size_t>(sampleFrames) * CaptureChannels();
    out->resize(values);
    if (values == 0) return;
    if (md_mode & DMODE_FLOAT) {
        mixed.resize(values * sizeof(float));
        VC_WriteBytes(reinterpret_cast<SBYTE*>(mixed.data()), mixed.size());
        const float* f = reinterpret_cast<const float*>(mixed.data());
        for (size_t i = 0; i < values; ++i) (*out)[i] = FromFloat(f[i]);
    } else if (md_mode & DMODE_16BITS) {
        VC_WriteBytes(reinterpret_cast<SBYTE*>(out->data()), values * sizeof(int16_t));
    } else {
        mixed.resize(values);  // unsigned 8-bit
        VC_WriteBytes(reinterpret_cast<SBYTE*>(mixed.data()), mixed.size());
        for (size_t i = 0; i < values; ++i) (*out)[i] = static_cast<int16_t>((mixed[i] - 128) << 8);
    }
}

bool MusicRecorder::TakeSound(int sampleFrames, bool keep) {
    if (!checked_) {
        checked_ = true;
        if (!CaptureDriverActive()) {
            error_ = "the music did not start on the capture's sound driver";
            return false;
        }
    }
    MixMusic(sampleFrames, &samples_);
    if (!keep) return true;
    if (!open_) {
        open_ = true;
        if (!wave_.Open(path_, CaptureMixRate(), CaptureChannels())) {
            error_ = "cannot write " + path_;
            return false;
        }
    }
    if (!wave_.Write(samples_.data(), static_cast<size_t>(sampleFrames))) {
        error_ = "cannot write " + path_;
        return false;
    }
    return true;
}

bool MusicRecorder::Finish() {
    if (!wave_.Close()) {
        error_ = "cannot write " + path_;
        return false;
    }
    return true;
}
