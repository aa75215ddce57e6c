// The committed data files: make-fonts, make-icons and make-music re-make
// them byte for byte. Stale data is the fault that matters here: what the
// files show and sound like is seen by the frame, capture and player tests.
#include <gtest/gtest.h>

#include <set>

#include "support/temp_folder.h"

namespace fs = std::filesystem;
const fs::path kData = fs::path(MOONLIT_SOURCE_DIR) / "data";

static std::set<std::string> FileNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

TEST(ToolData, EachMakerRemakesTheCommittedFilesByteForByte) {
    const std::tuple<std::string, std::string, fs::path, std::set<std::string>> makers[] = {
        {MAKE_FONTS_PROGRAM, "", kData, {"fonti.png", "kova_font.png"}},  // the file it takes, or a folder
        {MAKE_ICONS_PROGRAM, "", kData / "icons", FileNames(kData / "icons")},
        {MAKE_MUSIC_PROGRAM, "spartanic.xm", kData, {"spartanic.xm"}}};
    for (const auto& [program, out_name, committed, names] : makers) {
        TempFolder out("tool-data");
        ASSERT_EQ(Shell(program + " '" + (out / out_name) + "' >/dev/null").status, 0) << program;
        EXPECT_EQ(FileNames(out.Path()), names);
        for (const std::string& name : names)
            EXPECT_TRUE(ReadFileBytes(out / name) == ReadFileBytes(committed / name))
                << name << " is stale: re-make it with `cmake --build <dir> --target fonts|icons|music`";
    }
}
