// make-music: composes the demo's tracker module and writes it, by default
// into the data folder of the source tree.
//
//   make-music [OUT_FILE]
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "song.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: make-music [OUT_FILE]\n");
        return 2;
    }
    const std::string path = argc == 2 ? argv[1] : std::string(MOONLIT_DATA_DIR) + "/spartanic.xm";
    try {
        using namespace moonlit::music;
        const xm::Module module = MakeModule(MoonlitHarborScore());
        const std::vector<std::uint8_t> bytes = xm::WriteModule(module);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "make-music: cannot write %s\n", path.c_str());
            return 1;
        }
        const double seconds = PlayingSeconds(module);
        std::printf("wrote %s (%zu bytes): \"%s\", %d channels, %zu orders, %zu patterns, %d:%04.1f\n", path.c_str(),
                    bytes.size(), module.name.c_str(), module.channels, module.order.size(), module.patterns.size(),
                    static_cast<int>(seconds) / 60, seconds - 60 * (static_cast<int>(seconds) / 60));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-music: %s\n", e.what());
        return 1;
    }
    return 0;
}
