// The installed program from `cmake --install` and from the Debian package:
// the files, valid desktop files, a launcher that passes options on; the
// package started from an unrelated folder shows its window and icon, plays
// and ends with status 0 on a close request. Its dependencies come from the
// shared libraries; lintian finds nothing the README does not list.
#include <gtest/gtest.h>

#include <sstream>

#include "support/program_run.h"
#include "support/x_session.h"

namespace {

namespace fs = std::filesystem;
const std::string kAppId = "org.brinecrew.MoonlitHarbor";

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

void ExpectInstalledFiles(const fs::path& prefix) {
    std::vector<std::string> files = {"bin/moonlit-harbor", "share/man/man6/moonlit-harbor.6.gz",
                                      "share/doc/moonlit-harbor/README.md", "share/doc/moonlit-harbor/copyright",
                                      "share/doc/moonlit-harbor/changelog.Debian.gz"};
    for (const char* file : {"moonlit-harbor", "spartanic.xm", "data/fonti.png", "data/kova_font.png",
                             "data/icons/moonlit-harbor-64.png"})
        files.push_back(std::string("lib/moonlit-harbor/") + file);
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        files.push_back("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                        "/apps/moonlit-harbor.png");
    for (const std::string& file : files) EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;

    EXPECT_EQ(Shell("desktop-file-validate " + Quote(prefix / "share/applications" / (kAppId + ".desktop"))).status, 0);
    const ShellResult metainfo =
        Shell("appstreamcli validate --no-net " + Quote(prefix / "share/metainfo" / (kAppId + ".metainfo.xml")));
    EXPECT_EQ(metainfo.status, 0) << metainfo.out;
    EXPECT_EQ(Shell(Quote(prefix / "bin/moonlit-harbor") + " --version").out, "moonlit-harbor " MOONLIT_VERSION "\n");
}

TEST(Installed, APrefixHoldsTheProgramItsDataAndItsDesktopFiles) {
    TempFolder folder("install");
    const std::string install = "cmake --install " + Quote(MOONLIT_BINARY_DIR) + " --prefix " + Quote(folder / "prefix");
    ASSERT_EQ(Shell(install + " >&2").status, 0);
    ExpectInstalledFiles(folder / "prefix");
}

TEST(Installed, TheDebianPackageRunsTheShowFromAnyFolder) {
    ASSERT_TRUE(xsession::StartServer());
    TempFolder folder("package");
    const ShellResult cpack =
        Shell("cd " + Quote(MOONLIT_BINARY_DIR) + " && cpack -G DEB -B " + Quote(folder / "deb") + " 2>&1");
    ASSERT_EQ(cpack.status, 0) << cpack.out;
    std::string deb = Shell("ls " + Quote(folder / "deb") + "/*.deb").out;
    ASSERT_FALSE(deb.empty()) << cpack.out;
    deb.pop_back();  // the newline

    const std::string depends = Shell("dpkg-deb -f " + Quote(deb) + " Depends").out;
    for (const char* library : {"libglfw3", "libopenal1", "libmikmod3", "libgl1", "libstb0", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " not in: " << depends;
    // Each lintian finding is a line "level: package: tag ...".
    std::istringstream tags(Shell("lintian " + Quote(deb) + " 2>/dev/null | cut -d' ' -f3").out);
    const std::string readme = ReadFileBytes(fs::path(MOONLIT_SOURCE_DIR) / "README.md");
    for (std::string tag; tags >> tag;)
        EXPECT_NE(readme.find("`" + tag + "`"), std::string::npos) << "lintian finding not in the README: " << tag;
    ASSERT_EQ(Shell("dpkg-deb -x " + Quote(deb) + " " + Quote(folder / "root")).status, 0);
    ExpectInstalledFiles(folder / "root/usr");

    TempFolder elsewhere("elsewhere");
    RunningProgram program({(folder / "root/usr/bin/moonlit-harbor"), {}, elsewhere.Path()});
    const std::string window = program.WaitForWindow();
    ASSERT_FALSE(window.empty()) << program.Wait().err;
    // The game sets its icon once it has begun.
    bool icon = false;
    for (int tries = 0; !icon && tries < 100 && program.KeepsRunning(std::chrono::milliseconds(100)); ++tries)
        icon = Shell("xprop -id " + window + " _NET_WM_ICON").out.find("Icon (64 x 64)") != std::string::npos;
    EXPECT_TRUE(icon);
    const Outcome o = program.Close(window);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "Playing Low Tide Lanterns (8 chn)\n");
    EXPECT_EQ(o.err, "");
}

}  // namespace
