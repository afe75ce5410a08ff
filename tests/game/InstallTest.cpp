// The game as a player installs it: into a scratch prefix, started from
// another folder with its data read-only, and as a Debian package.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/DemoFile.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

namespace fs = std::filesystem;
using murk::test::runProcess;

namespace {

// Inside the build tree: shared folders are not ours to fill.
fs::path scratch(const std::string& name) {
    const fs::path folder = fs::path(MURK_BINARY_DIR) / ("install-scratch-" + std::to_string(getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::permissions(folder.parent_path(), fs::perms::all);
    fs::permissions(folder, fs::perms::all);
    return folder;
}

// Whether nobody may pass through every folder down to this one.
bool openToAnyone(fs::path folder) {
    for (; folder != folder.root_path(); folder = folder.parent_path()) {
        if ((fs::status(folder).permissions() & fs::perms::others_exec) == fs::perms::none) return false;
    }
    return true;
}

bool installed(const std::string& program) {
    std::istringstream path(std::getenv("PATH") != nullptr ? std::getenv("PATH") : "");
    for (std::string folder; std::getline(path, folder, ':');) {
        if (access((fs::path(folder) / program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// Made once per run: the layout test and the checker read the same package.
const fs::path& package() {
    static const fs::path deb = [] {
        const fs::path build(MURK_BINARY_DIR);
        const murk::test::ProcessResult pack = runProcess({"cpack", "-G", "DEB"}, build.string(), 600);
        EXPECT_EQ(pack.exitStatus, 0) << pack.output;
        std::string architecture = runProcess({"dpkg", "--print-architecture"}, ".", 60).output;
        while (!architecture.empty() && architecture.back() == '\n') architecture.pop_back();
        return build / ("murkhaven_" MURK_VERSION "_" + architecture + ".deb");
    }();
    return deb;
}

// A short replay whose third frame lets go of F12: one screenshot.
void writeScreenshotDemo(const fs::path& path) {
    demo::Demo shot;
    for (int f = 0; f < 6; ++f) {
        demo::Frame frame;
        frame.clockMicros = 1000000 + static_cast<std::uint64_t>(f) * 50000;
        if (f == 1 || f == 2) {
            demo::Change change;
            change.channel = static_cast<std::uint32_t>(Key::F12);
            change.down = f == 1;
            frame.changes.push_back(change);
        }
        shot.frames.push_back(frame);
    }
    std::string error;
    ASSERT_TRUE(demo::saveDemo(path.string(), shot, error)) << error;
}

TEST(Installed, RunsFromAnotherFolderAndSavesShotsInThePlayersPictures) {
    // The game must not be able to write into its data, which root always can:
    // run it as nobody then, on a display of its own that anyone may use.
    const bool root = geteuid() == 0;
    if (root) unsetenv("DISPLAY");
    if (!murk::test::ensureDisplay()) GTEST_SKIP() << "no display";
    if (root && !openToAnyone(MURK_BINARY_DIR)) GTEST_SKIP() << "the build folder is closed to other users";
    const fs::path prefix = scratch("prefix");
    const murk::test::ProcessResult install = runProcess(
        {"cmake", "--install", MURK_BINARY_DIR, "--prefix", "/usr"}, ".", 120, {"DESTDIR=" + prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.output;
    const fs::path data = prefix / "usr/share/games/murkhaven";
    ASSERT_TRUE(fs::exists(data / "SCENE.txt"));
    ASSERT_TRUE(fs::exists(prefix / "usr/share/applications/murkhaven.desktop"));
    const fs::path home = scratch("home");
    const fs::path elsewhere = scratch("elsewhere");
    writeScreenshotDemo(elsewhere / "shot.mdemo");
    fs::permissions(elsewhere / "shot.mdemo", fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0555) : fs::perms(0444));
    }
    fs::permissions(prefix / "usr/games/murkhaven", fs::perms(0555));

    std::vector<std::string> command = {(prefix / "usr/games/murkhaven").string(), "--replay", "shot.mdemo",
                                        "--width", "160", "--height", "90", "--shadow-map-size", "64"};
    if (root) command.insert(command.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    const murk::test::ProcessResult run = runProcess(
        command, elsewhere.string(), 60,
        {"HOME=" + home.string(), "XDG_PICTURES_DIR=" + (home / "shots").string(), "ALSOFT_DRIVERS=null",
         // In a sanitizer build the player may not read the repository's
         // leak suppressions; leaks are the other tests' business.
         "ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0", "LSAN_OPTIONS="});
    const fs::path shot = home / "shots/Murkhaven/screenshot-1.png";
    EXPECT_TRUE(fs::exists(shot)) << run.output;
    EXPECT_NE(run.output.find("screenshot saved: " + shot.string()), std::string::npos) << run.output;
    EXPECT_FALSE(fs::exists(data / "screenshot-1.png"));
    for (const auto& entry : fs::recursive_directory_iterator(prefix)) fs::permissions(entry.path(), fs::perms::all);
    fs::remove_all(prefix.parent_path());
}

TEST(Package, InstallsTheGameItsDataAndDocumentsWhereDebiansGamesGo) {
    ASSERT_TRUE(fs::exists(package()));
    const fs::path root = scratch("deb");
    ASSERT_EQ(runProcess({"dpkg-deb", "-x", package().string(), root.string()}, ".", 60).exitStatus, 0);
    for (const char* file : {"usr/games/murkhaven", "usr/share/games/murkhaven/SCENE.txt",
                             "usr/share/games/murkhaven/CONFIG.txt", "usr/share/games/murkhaven/Shader/default.frag",
                             "usr/share/games/murkhaven/demos/walk.mdemo", "usr/share/applications/murkhaven.desktop",
                             "usr/share/icons/hicolor/256x256/apps/murkhaven.png", "usr/share/man/man6/murkhaven.6.gz",
                             "usr/share/doc/murkhaven/copyright", "usr/share/doc/murkhaven/changelog.gz",
                             "usr/share/metainfo/org.example.murkhaven.metainfo.xml"}) {
        EXPECT_TRUE(fs::is_regular_file(root / file)) << file;
    }
    for (const char* gone : {"usr/bin", "usr/share/murkhaven", "usr/share/games/murkhaven/cache"}) {
        EXPECT_FALSE(fs::exists(root / gone)) << gone;
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        EXPECT_EQ(entry.path().filename().string().rfind("screenshot-", 0), std::string::npos) << entry.path();
    }
    // Found by the package tools from the binary, not typed by hand.
    const std::string depends = runProcess({"dpkg-deb", "-f", package().string(), "Depends"}, ".", 60).output;
    for (const char* library : {"libglfw3", "libassimp5", "libbullet", "libopenal1", "libsndfile1", "libfreeimage3"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << depends;
    }
    const murk::test::ProcessResult entry = runProcess(
        {"desktop-file-validate", (root / "usr/share/applications/murkhaven.desktop").string()}, ".", 60);
    EXPECT_EQ(entry.exitStatus, 0) << entry.output;
    if (installed("appstreamcli")) {
        const murk::test::ProcessResult metadata = runProcess(
            {"appstreamcli", "validate", "--no-net", (root / "usr/share/metainfo/org.example.murkhaven.metainfo.xml").string()},
            ".", 60);
        EXPECT_EQ(metadata.exitStatus, 0) << metadata.output;
    }
    fs::remove_all(root.parent_path());
}

TEST(Package, PassesDebiansPackageCheckerWithoutErrorOrWarning) {
    if (!installed("lintian")) GTEST_SKIP() << "lintian is not installed";
    ASSERT_TRUE(fs::exists(package()));
    const murk::test::ProcessResult check =
        runProcess({"lintian", "--fail-on", "error,warning", package().string()}, ".", 600);
    EXPECT_EQ(check.exitStatus, 0) << check.output;
}

}  // namespace
