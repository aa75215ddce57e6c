// The installed program, in the two forms users get it: `cmake --install`
// into a temporary prefix, and the Debian package made by CPack, unpacked
// with dpkg-deb into a temporary root. Each is checked as a user meets it:
// the launcher, started from an unrelated folder, passes options on, finds
// the program's data and module, shows the window with its icon, plays, and
// ends with status 0 on a close request with nothing on standard error; the
// desktop entry and the metainfo pass their validators. The package's
// dependencies come from the shared libraries, and lintian finds nothing the
// README does not list.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "hardening/demo_run.h"

namespace {

namespace fs = std::filesystem;
const fs::path kBuildDir = MOONLIT_BINARY_DIR;
const std::string kAppId = "org.brinecrew.MoonlitHarbor";
const char* const kSoundless = "SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null";

struct TempFolder {
    fs::path path;
    TempFolder() {
        char name[] = "/tmp/moonlit-install-XXXXXX";
        path = mkdtemp(name);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// Installs into `folder`; returns the prefix the program is under.
fs::path InstallIntoPrefix(const fs::path& folder) {
    EXPECT_EQ(xsession::Run("cmake --install " + Quote(kBuildDir) + " --prefix " + Quote(folder / "prefix") +
                            " > /dev/null"),
              0);
    return folder / "prefix";
}

// Each finding lintian reports (its tag), one per line.
std::vector<std::string> LintianTags(const fs::path& deb) {
    std::istringstream lines(xsession::Capture("lintian " + Quote(deb) + " 2>/dev/null"));
    std::vector<std::string> tags;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string level, package, tag;
        if (words >> level >> package >> tag) tags.push_back(tag);
    }
    return tags;
}

// Makes the package, checks it as a package, and unpacks it into `folder`;
// returns the prefix the program is under.
fs::path UnpackDebianPackage(const fs::path& folder) {
    EXPECT_EQ(xsession::Run("cd " + Quote(kBuildDir) + " && cpack -G DEB -B " + Quote(folder / "deb") +
                            " > " + Quote(folder / "cpack.log") + " 2>&1"),
              0)
        << ReadWholeFile(folder / "cpack.log");
    fs::path deb;
    for (const auto& entry : fs::directory_iterator(folder / "deb"))
        if (entry.path().extension() == ".deb") deb = entry.path();
    EXPECT_FALSE(deb.empty()) << ReadWholeFile(folder / "cpack.log");

    std::string depends = xsession::Capture("dpkg-deb -f " + Quote(deb) + " Depends");
    for (const char* library : {"libglfw3", "libopenal1", "libmikmod3", "libgl1", "libstb0", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " not in: " << depends;
    std::string readme = ReadWholeFile(fs::path(MOONLIT_SOURCE_DIR) / "README.md");
    for (const std::string& tag : LintianTags(deb))
        EXPECT_NE(readme.find("`" + tag + "`"), std::string::npos) << "lintian finding not in the README: " << tag;

    EXPECT_EQ(xsession::Run("dpkg-deb -x " + Quote(deb) + " " + Quote(folder / "root")), 0);
    return folder / "root/usr";
}

struct Layout {
    const char* name;
    fs::path (*make)(const fs::path& folder);
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class Installed : public ::testing::TestWithParam<Layout> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(xsession::StartServer()); }
};

void CheckFiles(const fs::path& prefix) {
    std::vector<std::string> files = {
        "bin/moonlit-harbor",
        "lib/moonlit-harbor/moonlit-harbor",
        "lib/moonlit-harbor/spartanic.xm",
        "lib/moonlit-harbor/data/fonti.png",
        "lib/moonlit-harbor/data/kova_font.png",
        "lib/moonlit-harbor/data/icons/moonlit-harbor-64.png",
        "share/man/man6/moonlit-harbor.6.gz",
        "share/doc/moonlit-harbor/README.md",
        "share/doc/moonlit-harbor/copyright",
        "share/doc/moonlit-harbor/changelog.Debian.gz",
    };
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        files.push_back("share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) +
                        "/apps/moonlit-harbor.png");
    for (const std::string& file : files) EXPECT_TRUE(fs::is_regular_file(prefix / file)) << file;

    fs::path desktop = prefix / "share/applications" / (kAppId + ".desktop");
    fs::path metainfo = prefix / "share/metainfo" / (kAppId + ".metainfo.xml");
    EXPECT_EQ(xsession::Run("desktop-file-validate " + Quote(desktop)), 0);
    EXPECT_EQ(xsession::Run("appstreamcli validate --no-net " + Quote(metainfo) + " > /dev/null"), 0)
        << xsession::Capture("appstreamcli validate --no-net " + Quote(metainfo));
}

void CheckLauncherStartsTheShow(const fs::path& launcher) {
    // Options reach the program unchanged.
    EXPECT_EQ(xsession::Capture(Quote(launcher) + " --version"), "moonlit-harbor " MOONLIT_VERSION);
    demorun::RunFolder elsewhere(demorun::FolderContents::kNothing);
    demorun::Outcome o;
    pid_t pid = elsewhere.Start(kSoundless, "", Quote(launcher));
    std::string window = elsewhere.WaitForWindow(pid, o);
    ASSERT_FALSE(window.empty()) << o.out << o.err;
    // The game sets its icon once it has begun; a second in, it has.
    EXPECT_TRUE(elsewhere.KeepsRunning(pid, o, std::chrono::milliseconds(1000))) << o.out << o.err;
    EXPECT_NE(xsession::Capture("xprop -id " + window + " _NET_WM_ICON").find("Icon (64 x 64)"), std::string::npos);
    elsewhere.Close(pid, window, o);
    EXPECT_TRUE(o.exited);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "Playing Low Tide Lanterns (8 chn)\n");
    EXPECT_EQ(o.err, "");
}

TEST_P(Installed, WorksFromAnyFolderAndPassesItsChecks) {
    TempFolder folder;
    fs::path prefix = GetParam().make(folder.path);
    CheckFiles(prefix);
    CheckLauncherStartsTheShow(prefix / "bin/moonlit-harbor");
}

INSTANTIATE_TEST_SUITE_P(Layouts, Installed,
                         ::testing::Values(Layout{"Prefix", InstallIntoPrefix},
                                           Layout{"DebianPackage", UnpackDebianPackage}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
