#include "song.h"

#include "instruments.h"
#include "parts.h"

namespace moonlit::music {

namespace {

// The parts write volumes as dynamics; the module holds each scaled by the
// mix level of the instrument sounding on that channel at the time.
void ApplyMix(Timeline& t) {
    for (int channel = 0; channel < t.Channels(); ++channel) {
        std::uint8_t sounding = 0;
        for (int row = 0; row < t.Rows(); ++row) {
            xm::Cell& c = t.At(row, channel);
            if (c.instrument) sounding = c.instrument;
            if (sounding && c.volume >= 0x10 && c.volume <= 0x50)
                c.volume = xm::SetVolumeColumn(((c.volume - 0x10) * MixLevel(sounding) + 32) / 64);
        }
    }
}

}  // namespace

xm::Module MakeModule(const Score& score) {
    const int sections = static_cast<int>(score.sections.size());
    Timeline t(sections * kRowsPerSection, kChannelCount);
    WriteLead(score, t);
    WriteEcho(t);
    WriteArpeggios(score, t);
    WriteBass(score, t);
    WriteDrums(score, t);
    WriteUpper(score, t);
    ApplyMix(t);

    xm::Module m;
    m.name = score.title;
    m.tracker = "make-music";
    m.channels = kChannelCount;
    m.restart_position = score.restart_section;
    m.linear_frequencies = true;
    m.speed = score.speed;
    m.bpm = score.bpm;
    m.instruments = MakeInstruments();
    for (int s = 0; s < sections; ++s) {
        xm::Pattern p(kRowsPerSection, kChannelCount);
        for (int r = 0; r < kRowsPerSection; ++r)
            for (int c = 0; c < kChannelCount; ++c) p.At(r, c) = t.At(s * kRowsPerSection + r, c);
        std::size_t index = 0;
        while (index < m.patterns.size() && !(m.patterns[index] == p)) ++index;
        if (index == m.patterns.size()) m.patterns.push_back(std::move(p));
        m.order.push_back(static_cast<std::uint8_t>(index));
    }
    return m;
}

std::vector<std::uint8_t> MakeDemoModuleFile() { return xm::WriteModule(MakeModule(MoonlitHarborScore())); }

double PlayingSeconds(const xm::Module& module) {
    long rows = 0;
    for (std::uint8_t p : module.order) rows += module.patterns[p].rows;
    return rows * module.speed * 2.5 / module.bpm;
}

}  // namespace moonlit::music
