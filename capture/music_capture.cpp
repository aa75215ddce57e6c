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
MDRIVER capture_driver = MakeMixerDriver("Capture", "capture", CaptureInit, CaptureUpdate, VC_Exit);

}  // namespace

void InstallCaptureDriver() { MikMod_RegisterDriver(&capture_driver); }

bool CaptureDriverActive() { return md_driver == &capture_driver && MikMod_Active(); }

int MusicRecorder::SampleRate() const { return MixerRate(); }

bool MusicRecorder::TakeSound(int sample_frames, bool keep) {
    if (!checked) {
        checked = true;
        if (!CaptureDriverActive()) {
            error = "the music did not start on the capture's sound driver";
            return false;
        }
    }
    MixPcm16(sample_frames, &samples);
    if (!keep) return true;
    if (!open) {
        open = true;
        if (!wave.Open(path, MixerRate(), MixerChannels())) {
            error = "cannot write " + path;
            return false;
        }
    }
    if (!wave.Write(samples.data(), static_cast<size_t>(sample_frames))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool MusicRecorder::Finish() {
    if (!wave.Close()) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}
