// make-icons: draws the program's icons and writes them into data/icons of
// the source tree (or the folder given on the command line).
//
//   make-icons [OUT_DIR]
#include <cstdio>
#include <string>

#include "icon_images.h"
#include "png_file.h"

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: make-icons [OUT_DIR]\n");
        return 2;
    }
    std::string out_dir = argc == 2 ? argv[1] : MOONLIT_ICON_DIR;
    for (const auto& file : moonlit::icons::MakeIconFiles()) {
        std::string path = out_dir + "/" + file.name;
        if (!moonlit::fonts::WriteFileBytes(path, file.bytes)) {
            std::fprintf(stderr, "make-icons: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s (%zu bytes)\n", path.c_str(), file.bytes.size());
    }
    return 0;
}
