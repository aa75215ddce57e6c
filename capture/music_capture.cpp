// The capture driver for libmikmod: the library's own software mixer behind
// a driver whose Update does nothing; the recorder pulls exactly the samples
// asked for out of the mixer.
#include "capture/music_capture.h"

#include "audio/mixer_driver.h"

namespace {

int CaptureInit() { return VC_Init(); }
void CaptureUpdate() {}  // the capture pulls samples itself

// libmikmod links its drivers into a list through the record itself, so the
// record must live as long as the library.
MDRIVER captureDriver = MakeMixerDriver("Capture", "capture", CaptureInit, CaptureUpdate, VC_Exit);

}  // namespace

void InstallCaptureDriver() { MikMod_RegisterDriver(&captureDriver); }

bool CaptureDriverActive() { return md_driver == &captureDriver && MikMod_Active(); }

int MusicRecorder::SampleRate() const { return MixerRate(); }

bool MusicRecorder::TakeSound(int sampleFrames, bool keep) {
    if (!checked_) {
        checked_ = true;
        if (!CaptureDriverActive()) {
            error_ = "the music did not start on the capture's sound driver";
            return false;
        }
    }
    MixPcm16(sampleFrames, &samples_);
    if (!keep) return true;
    if (!open_) {
        open_ = true;
        if (!wave_.Open(path_, MixerRate(), MixerChannels())) {
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
