// The installed program, in the two forms users get it: `cmake --install`
// into a temporary prefix, and the Debian package made by CPack, unpacked
// with dpkg-deb into a temporary root. Both install the same files, whose
// desktop entry and metainfo pass their validators, and a launcher that
// passes options on. The package is checked as a user meets it: started
// from an unrelated folder, the launcher finds the program's data and
// module, shows the window with its icon, plays, and ends with status 0 on
// a close request with nothing on standard error. Its dependencies come
// from the shared libraries, and lintian finds nothing the README does not
// list.
#include <gtest/gtest.h>

#include <sstream>

#include "support/program_run.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;
const std::string kBuildDir = MOONLIT_BINARY_DIR;
const std::string kAppId = "org.brinecrew.MoonlitHarbor";

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

void ExpectInstalledFiles(const fs::path& prefix) {
    std::vector<std::string> files = {
        "bin/moonlit-harbor", "lib/moonlit-harbor/moonlit-harbor", "lib/moonlit-harbor/spartanic.xm",
        "lib/moonlit-harbor/data/fonti.png", "lib/moonlit-harbor/data/kova_font.png",
        "lib/moonlit-harbor/data/icons/moonlit-harbor-64.png", "share/man/man6/moonlit-harbor.6.gz",
        "share/doc/moonlit-harbor/README.md", "share/doc/moonlit-harbor/copyright",
        "share/doc/moonlit-harbor/changelog.Debian.gz",
    };
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        files.push_back("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                        "/apps/moonlit-harbor.png");
    for (const std::string& file : files) EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;

    const fs::path share = prefix / "share";
    EXPECT_EQ(Shell("desktop-file-validate " + Quote(share / "applications" / (kAppId + ".desktop"))).status, 0);
    const fs::path metainfo_file = share / "metainfo" / (kAppId + ".metainfo.xml");
    ShellResult metainfo = Shell("appstreamcli validate --no-net " + Quote(metainfo_file));
    EXPECT_EQ(metainfo.status, 0) << metainfo.out;
    // Options reach the program unchanged.
    EXPECT_EQ(Shell(Quote(prefix / "bin/moonlit-harbor") + " --version").out, "moonlit-harbor " MOONLIT_VERSION "\n");
}

TEST(Installed, APrefixHoldsTheProgramItsDataAndItsDesktopFiles) {
    TempFolder folder("install");
    const std::string install = "cmake --install " + Quote(kBuildDir) + " --prefix " + Quote(folder / "prefix");
    ASSERT_EQ(Shell(install + " >&2").status, 0);
    ExpectInstalledFiles(folder / "prefix");
}

// Each finding lintian reports (its tag).
std::vector<std::string> LintianTags(const fs::path& deb) {
    std::istringstream lines(Shell("lintian " + Quote(deb) + " 2>/dev/null").out);
    std::vector<std::string> tags;
    for (std::string line, level, package, tag; std::getline(lines, line);)
        if (std::istringstream(line) >> level >> package >> tag) tags.push_back(tag);
    return tags;
}

TEST(Installed, TheDebianPackageRunsTheShowFromAnyFolder) {
    ASSERT_TRUE(xsession::StartServer());
    TempFolder folder("package");
    ShellResult cpack = Shell("cd " + Quote(kBuildDir) + " && cpack -G DEB -B " + Quote(folder / "deb") + " 2>&1");
    ASSERT_EQ(cpack.status, 0) << cpack.out;
    fs::path deb;
    for (const auto& entry : fs::directory_iterator(folder / "deb"))
        if (entry.path().extension() == ".deb") deb = entry.path();
    ASSERT_FALSE(deb.empty()) << cpack.out;

    std::string depends = Shell("dpkg-deb -f " + Quote(deb) + " Depends").out;
    for (const char* library : {"libglfw3", "libopenal1", "libmikmod3", "libgl1", "libstb0", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " not in: " << depends;
    const std::string readme = ReadFileBytes(fs::path(MOONLIT_SOURCE_DIR) / "README.md");
    for (const std::string& tag : LintianTags(deb))
        EXPECT_NE(readme.find("`" + tag + "`"), std::string::npos) << "lintian finding not in the README: " << tag;
    ASSERT_EQ(Shell("dpkg-deb -x " + Quote(deb) + " " + Quote(folder / "root")).status, 0);
    const fs::path prefix = folder / "root/usr";
    ExpectInstalledFiles(prefix);

    TempFolder elsewhere("elsewhere");
    RunningProgram program({(prefix / "bin/moonlit-harbor").string(), {}, elsewhere.Path()});
    std::string window = program.WaitForWindow();
    ASSERT_FALSE(window.empty()) << program.Wait().err;
    // The game sets its icon once it has begun.
    bool icon = false;
    for (int tries = 0; !icon && tries < 100 && program.KeepsRunning(std::chrono::milliseconds(100)); ++tries)
        icon = Shell("xprop -id " + window + " _NET_WM_ICON").out.find("Icon (64 x 64)") != std::string::npos;
    EXPECT_TRUE(icon);
    Outcome o = program.Close(window);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "Playing Low Tide Lanterns (8 chn)\n");
    EXPECT_EQ(o.err, "");
}

}  // namespace
