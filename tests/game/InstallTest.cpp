// The game as a player installs it: into a scratch prefix, started from
// another folder with its data read-only, and as a Debian package.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/DemoFile.h"
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

namespace fs = std::filesystem;
using murk::test::runProcess;

namespace {

fs::path scratch(const std::string& name) {
    const fs::path folder = fs::temp_directory_path() / ("murk-install-" + std::to_string(getpid())) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::permissions(folder.parent_path(), fs::perms::all);
    fs::permissions(folder, fs::perms::all);
    return folder;
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
    const fs::path prefix = scratch("prefix");
    const murk::test::ProcessResult install = runProcess(
        {"cmake", "--install", MURK_BINARY_DIR, "--prefix", "/usr"}, ".", 120, {"DESTDIR=" + prefix.string()});
    ASSERT_EQ(install.exitStatus, 0) << install.output;
    const fs::path data = prefix / "usr/share/murkhaven";
    ASSERT_TRUE(fs::exists(data / "SCENE.txt"));
    ASSERT_TRUE(fs::exists(prefix / "usr/share/applications/murkhaven.desktop"));
    const fs::path home = scratch("home");
    const fs::path elsewhere = scratch("elsewhere");
    writeScreenshotDemo(elsewhere / "shot.mdemo");
    fs::permissions(elsewhere / "shot.mdemo", fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms(0555) : fs::perms(0444));
    }
    fs::permissions(prefix / "usr/bin/murkhaven", fs::perms(0555));

    std::vector<std::string> command = {(prefix / "usr/bin/murkhaven").string(), "--replay", "shot.mdemo",
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

TEST(Package, HoldsTheGameItsDataAMenuEntryAndTheLibrariesItLinks) {
    const fs::path build(MURK_BINARY_DIR);
    const murk::test::ProcessResult pack = runProcess({"cpack", "-G", "DEB"}, build.string(), 600);
    ASSERT_EQ(pack.exitStatus, 0) << pack.output;
    const fs::path deb = build / "murkhaven_1.0.0_amd64.deb";
    ASSERT_TRUE(fs::exists(deb)) << pack.output;
    const std::string contents = runProcess({"dpkg-deb", "-c", deb.string()}, ".", 60).output;
    for (const char* file : {"./usr/bin/murkhaven", "./usr/share/murkhaven/SCENE.txt", "./usr/share/murkhaven/CONFIG.txt",
                             "./usr/share/murkhaven/Shader/default.frag", "./usr/share/murkhaven/demos/walk.mdemo",
                             "./usr/share/applications/murkhaven.desktop",
                             "./usr/share/icons/hicolor/256x256/apps/murkhaven.png"}) {
        EXPECT_NE(contents.find(file), std::string::npos) << file;
    }
    EXPECT_EQ(contents.find("screenshot-"), std::string::npos);
    // Found by the package tools from the binary, not typed by hand.
    const std::string depends = runProcess({"dpkg-deb", "-f", deb.string(), "Depends"}, ".", 60).output;
    for (const char* library : {"libglfw3", "libassimp5", "libbullet", "libopenal1", "libsndfile1", "libfreeimage3"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << depends;
    }
    const fs::path unpacked = scratch("deb");
    ASSERT_EQ(runProcess({"dpkg-deb", "-x", deb.string(), unpacked.string()}, ".", 60).exitStatus, 0);
    const murk::test::ProcessResult entry = runProcess(
        {"desktop-file-validate", (unpacked / "usr/share/applications/murkhaven.desktop").string()}, ".", 60);
    EXPECT_EQ(entry.exitStatus, 0) << entry.output;
    fs::remove_all(unpacked.parent_path());
}

}  // namespace
