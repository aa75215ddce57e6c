// Which face each font image is drawn from, and under which name it is kept.
#include "font_images.h"

#include "demo_font.h"
#include "kova_font.h"
#include "png_file.h"
#include "truetype_face.h"

namespace moonlit::fonts {
namespace {

bool LoadFace(const std::string& path, TrueTypeFace* face, std::string* error) {
    if (face->Load(path)) return true;
    *error = "cannot read the font " + path;
    return false;
}

}  // namespace

bool MakeFontImages(const std::string& font_dir, std::vector<FontImageFile>* files,
                    std::string* error) {
    TrueTypeFace mono, bold;
    if (!LoadFace(font_dir + "/DejaVuSansMono-Bold.ttf", &mono, error)) return false;
    if (!LoadFace(font_dir + "/DejaVuSans-Bold.ttf", &bold, error)) return false;
    files->clear();
    files->push_back({"kova_font.png", EncodePng(MakeKovaFont(mono))});
    files->push_back({"fonti.png", EncodePng(MakeDemoFont(bold))});
    return true;
}

}  // namespace moonlit::fonts
