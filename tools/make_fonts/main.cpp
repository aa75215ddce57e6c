// make-fonts: draws the project's font images and writes them into the data
// folder of the source tree (or the folder given on the command line).
//
//   make-fonts [--font-dir DIR] [OUT_DIR]
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "font_images.h"
#include "png_file.h"

namespace {

struct Options {
    std::string font_dir = moonlit::fonts::kDefaultFontDir;
    std::string out_dir = MOONLIT_DATA_DIR;
};

bool ParseOptions(int argc, char** argv, Options* options) {
    bool out_seen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--font-dir") == 0 && i + 1 < argc) {
            options->font_dir = argv[++i];
        } else if (argv[i][0] != '-' && !out_seen) {
            options->out_dir = argv[i];
            out_seen = true;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: make-fonts [--font-dir DIR] [OUT_DIR]\n");
        return 2;
    }
    std::vector<moonlit::fonts::FontImageFile> files;
    std::string error;
    if (!moonlit::fonts::MakeFontImages(options.font_dir, &files, &error)) {
        std::fprintf(stderr, "make-fonts: %s\n", error.c_str());
        return 1;
    }
    for (const auto& file : files) {
        std::string path = options.out_dir + "/" + file.name;
        if (!moonlit::fonts::WriteFileBytes(path, file.png)) {
            std::fprintf(stderr, "make-fonts: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), file.png.size());
    }
    return 0;
}
