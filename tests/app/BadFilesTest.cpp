// Every kind of file the game reads, damaged as a player, a modder or a broken
// download leaves it, through the game's own readers: what the game prints
// and how it goes on. Never a crash or a hang.
#include "app/Camera.h"
#include "app/CommandLine.h"
#include "app/Config.h"
#include "app/DemoSession.h"
#include "app/PlayerSettings.h"
#include "app/SettingsCheck.h"
#include "audio/SoundManager.h"
#include "physics/PhysicsWorld.h"
#include "platform/DemoFile.h"
#include "scene/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/ModelConversion.h"
#include "scene/ModelLoader.h"
#include "scene/SceneFile.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"
#include "scene/World.h"
#include "tests/support/GlContext.h"

#include <assimp/mesh.h>
#include <gtest/gtest.h>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::optional<std::string>;  // nullopt: no file at all
const fs::path data = MURK_DATA_DIR;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string firstThird(const fs::path& path) {
    const std::string bytes = slurp(path);
    return bytes.substr(0, bytes.size() / 3);
}

std::string garbage(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

const Bytes fifo = std::string("\0FIFO", 5);  // a named pipe with no writer: opening it waits

void place(const fs::path& path, const Bytes& bytes) {
    fs::remove(path);
    if (bytes == fifo)
        mkfifo(path.c_str(), 0600);
    else if (bytes)
        std::ofstream(path, std::ios::binary) << *bytes;
}

std::string le(std::uint32_t value, int bytes) {  // a little-endian header field
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string wav(std::uint32_t channels, std::uint32_t rate, std::uint32_t dataSize, const std::string& samples) {
    return "RIFF" + le(36 + dataSize, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(rate, 4) +
           le(rate * channels * 2, 4) + le(channels * 2, 2) + le(16, 2) + "data" + le(dataSize, 4) + samples;
}

// The shipped CONFIG.txt with the values of some lines replaced.
std::string config(const std::map<int, std::string>& values, const char* lineEnd = "\n") {
    std::istringstream in(slurp(data / "CONFIG.txt"));
    std::string text, line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::size_t at = line.find(" = ");
        if (values.count(number) != 0 && at != std::string::npos) line = line.substr(0, at + 3) + values.at(number);
        text += line + lineEnd;
    }
    return text;
}

// What CONFIG.txt sets, all but the eye, which the first game places.
std::vector<std::string> settingsOf(const Settings& s, const Camera& c) {
    std::vector<std::string> out;
    const auto put = [&](const char* name, auto value) { out.push_back(name + (" " + std::to_string(value))); };
    put("width", s.width), put("height", s.height), put("windowed", s.windowed), put("refresh", s.refreshRate);
    put("ambient", s.ambient), put("shadow", s.shadowMapSize), put("freeze", s.freezeMeters);
    put("x", c.startPosition.x), put("y", c.startPosition.y), put("z", c.startPosition.z), put("walk", c.walkSpeed);
    put("yaw", c.horizontalAngle), put("pitch", c.verticalAngle), put("mouse", c.mouseSpeed);
    put("pad look", c.padLookSpeed), put("pad walk", c.padSpeed);
    return out;
}

enum class Kind { Config, Scene, Model, Image, Sound, Demo, Settings };

// All rows run in one scratch copy of data/, as the game runs in its own.
class BadFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/murk-badfiles-XXXXXX";
        root = mkdtemp(pattern);
        fs::copy(data, root, fs::copy_options::recursive);
        fs::current_path(root);
        // At exit rather than at tear-down: death-test children end in exit() too.
        std::atexit([] { std::error_code ignored; fs::remove_all(root, ignored); });
    }
    static inline fs::path root;

    // Reads `file` as the game reads a file of this kind; returns what it
    // printed and, last, what the game goes on with.
    std::string outcome(Kind kind, const std::string& file, const GlLimits& limits) {
        std::ostringstream console;
        if (kind == Kind::Config) {
            Settings settings, shippedSettings;
            Camera camera, shippedCamera;
            if (!loadConfig(file, settings, camera)) console << "not opened, ";
            checkConfigNumbers(settings, camera, console);
            checkSettings(settings, limits, console);
            loadConfig((data / "CONFIG.txt").string(), shippedSettings, shippedCamera);
            const auto read = settingsOf(settings, camera), shipped = settingsOf(shippedSettings, shippedCamera);
            std::string changed;
            for (std::size_t i = 0; i < read.size(); ++i) changed += read[i] != shipped[i] ? ", " + read[i] : "";
            console << (changed.empty() ? "as shipped" : changed.substr(2));
        } else if (kind == Kind::Scene) {
            const SceneLines lines = readSceneFile(file, console);
            const std::size_t n = lines.size();
            EXPECT_TRUE(lines.shaderNames.size() == n && lines.physicsShapes.size() == n &&
                        lines.densities.size() == n && lines.dynamics.size() == n && lines.normalMaps.size() == n);
            console << lines.size() << " lines";
        } else if (kind == Kind::Model) {
            // A damaged texture is loaded as the normal map of a good model
            // of one mesh (the level's floors come as one mesh per room).
            const bool texture = file.starts_with("Assets/Textures");
            const std::string model = texture ? "Assets/Models/curtain.obj" : file;
            World world{glm::vec3(0.0f)};
            std::vector<murk::SceneObject*> objects;
            ModelLoader loader(world, objects);
            testing::internal::CaptureStdout();
            {
#if defined(__SANITIZE_ADDRESS__)
                __lsan::ScopedDisabler assimpLeaks;  // Assimp 5.2 leaks on some broken files
#endif
                loader.loadModel(model, "default", "box", 1.0f, true, texture ? fs::path(file).filename() : "");
            }
            std::string out = testing::internal::GetCapturedStdout();
            EXPECT_EQ(out.rfind("reading " + model + "\n", 0), 0u) << out;
            out.erase(0, out.find('\n') + 1);
            // The importer's own words vary with its version.
            if (out.starts_with("Model-File") && !out.ends_with("(not a regular file)\n")) {
                out = out.substr(0, out.find(" (")) + (out.ends_with(")\n") ? " (...)\n" : " unclosed\n");
            }
            console << out << objects.size() << " objects";
            EXPECT_EQ(world.physicsWorld->actors.size(), objects.size());
            for (murk::SceneObject* object : objects) {
                EXPECT_EQ(object->indices.size() % 3, 0u);
                for (const std::uint32_t index : object->indices) EXPECT_LT(index, object->positions.size() / 3);
                if (texture) console << (object->material->normalTexture->id == Texture::noImage ? ", flat" : "");
                delete object;
            }
        } else if (kind == Kind::Image) {
            Texture texture;
            testing::internal::CaptureStdout();
            const bool loaded = texture.load(fs::path(file).filename(), 3, "RGB");
            console << testing::internal::GetCapturedStdout() << (loaded ? "loaded" : "no texture");
            EXPECT_EQ(loaded, texture.id != Texture::noImage);  // the renderer's cue to draw grey
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
            if (loaded) glDeleteTextures(1, &texture.id);
        } else if (kind == Kind::Sound) {
            testing::internal::CaptureStdout();
            const int id = sounds.load(file, true, true);
            console << testing::internal::GetCapturedStdout();
            EXPECT_EQ(id, sounds.soundCount() - 1);  // a sound that cannot play still takes its id
            sounds.play3D(id, 1.0f, 10.0f, 1.0f);
            sounds.update(0.05);
            const bool playing = sounds.isPlaying(id);
            console << (playing ? "plays" : "silent");
        } else if (kind == Kind::Settings) {
            Settings settings, shipped;
            Camera camera, shippedCamera;
            applyConfigDefaults(shipped, shippedCamera);
            applyConfigDefaults(settings, camera);
            const std::string report = playerSettings::load(file, settings, camera);
            std::string changed = playerSettings::text(settings, camera, shipped, shippedCamera);
            changed.erase(0, changed.find("\n", changed.find("version")) + 1);
            std::replace(changed.begin(), changed.end(), '\n', ',');
            console << report << (report.empty() ? "" : "\n") << (changed.empty() ? "as shipped" : changed);
        } else if (kind == Kind::Demo) {
            CommandLine options;
            options.mode = CommandLine::Mode::Replay;
            options.demoPath = file;
            DemoSession session(options, DemoSession::Clock::now());
            std::string error;
            console << (session.load(error) ? "replays" : error);
        }
        return console.str();
    }

    murk::test::GlContext gl{32, 32};
    SoundManager sounds{SoundManager::Output::Loopback};
};

TEST_F(BadFiles, EachReaderSaysWhatIsWrongAndFallsBack) {
    ASSERT_TRUE(gl.ok());
    const std::string quad = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
    const std::string cutConfig = config({{2, "800"}, {3, "600"}, {4, "FALSE"}});
    const std::string line = "Assets/Models/floor.obj, default, none, 0, FALSE, ";
    const std::string scene =
        "//PLAYER OBJECTS\n" + line + "\n//END\n//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n" + line + "\n//END\n";
    const std::string noStart = "SCENE.txt: no \"//PLAYER OBJECTS\" before the end of the file\n0 lines";
    const std::string unreadable = "Model-File kann nicht gelesen werden: Assets/Models/bad.obj (...)\n0 objects";
    const std::string notFound = "texture not found: Assets/Textures/bad.png\nno texture";
    const std::string broken = "cannot read image: Assets/Textures/bad.png\nno texture";
    const std::string bmp100000 = "BM" + le(70, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(100000, 4) +
                                  le(100000, 4) + le(1, 2) + le(24, 2) + std::string(24 + 16, '\x7f');
    const auto silent = [](const std::string& name, const std::string& why = "not a sound file libsndfile can read") {
        return "sound not loaded: Assets/Sounds/" + name + " (" + why + ")\nsilent";
    };
    const std::string noFrames = demo::encode({});
    using enum Kind;
    struct Row {  // limits: llvmpipe's unless given; file: the kind's usual one unless given
        Kind kind; const char* damage; Bytes bytes; std::string outcome;
        GlLimits limits = {16384, 16384, 16384, 16384}; std::string file = "";
    };
    const Row rows[] = {
        {Config, "missing", std::nullopt, "not opened, as shipped"},
        {Config, "garbage", garbage(4096), "not opened, as shipped"},
        {Config, "cut inside line 4", cutConfig.substr(0, cutConfig.find("windowed") + 8), "width 800, height 600"},
        {Config, "Windows line ends", config({{23, "TRUE"}}, "\r\n"), "freeze 1"},
        {Config, "width beyond int", config({{2, "99999999999"}}),
         "window width 2147483647 clamped to 16384 (what the GL allows)\nwidth 16384"},
        {Config, "height below int", config({{3, "-99999999999"}}),
         "window height -2147483648 clamped to 1 (what the GL allows)\nheight 1"},
        {Config, "no shadow map", config({{9, "0"}}),
         "shadow map size 0 clamped to 16 (what the GL allows)\nshadow 16"},
        {Config, "huge shadow map", config({{9, "100000"}}),
         "shadow map size 100000 clamped to 4096 (the largest the shadow pass uses)\nshadow 4096"},
        {Config, "ambient nan", config({{6, "nan"}}),
         "ambient light nan in CONFIG.txt is not a finite number; using 0.2\nas shipped"},
        {Config, "ambient negative", config({{6, "-3"}}), "ambient -3.000000"},  // dark, but drawable
        {Config, "shadow map beyond a small GL", config({{9, "100000"}}),
         "shadow map size 100000 clamped to 2048 (what the GL allows)\nshadow 2048", {2048, 2048, 2048, 2048}},
        {Config, "shadow map beyond the render targets", config({{9, "3000"}}),
         "shadow map size 3000 clamped to 2048 (what the GL allows)\nshadow 2048", {16384, 2048, 16384, 16384}},
        {Config, "height beyond the viewport", config({{3, "100000"}}),
         "window height 100000 clamped to 8192 (what the GL allows)\nheight 8192", {16384, 16384, 16384, 8192}},
        {Config, "limits not reported", config({{3, "100000"}}), "height 100000", {}},

        {Scene, "missing", std::nullopt, "Scene-File kann nicht gelesen werden.\n0 lines"},
        {Scene, "empty", "", noStart},
        {Scene, "garbage", garbage(4096), noStart},
        {Scene, "cut inside a section", scene.substr(0, scene.find("//END")),
         "SCENE.txt: no \"//END\" after \"//PLAYER OBJECTS\" before the end of the file\n1 lines"},
        {Scene, "cut between sections", scene.substr(0, scene.find("//ENEMY")),
         "SCENE.txt: no \"//ENEMY OBJECTS\" before the end of the file\n1 lines"},
        {Scene, "a line cut short", "//PLAYER OBJECTS\nfloor.obj, default\n" + scene.substr(scene.find("//END")),
         "SCENE.txt: line 2 has fewer than six fields, skipped\n1 lines"},
        {Scene, "density not finite", "//PLAYER OBJECTS\nfloor.obj, default, box, inf, TRUE, \n" + scene.substr(scene.find("//END")),
         "SCENE.txt: line 2: density inf is not a finite number; using 0\n2 lines"},
        {Scene, "Windows line ends", "//PLAYER OBJECTS\r\n" + line + "\r\n//END\r\n//ENEMY OBJECTS\r\n//END\r\n"
         "//SCENE OBJECTS\r\n//END\r\n", "1 lines"},

        {Model, "missing", std::nullopt, unreadable},
        {Model, "garbage", garbage(65536), unreadable},
        {Model, "face beyond the vertices", quad + "f 1 2 9\n", unreadable},
        {Model, "vertices not finite", "v nan 0 0\nv 1e999 0 0\nv 0 -inf 0\nf 1 2 3\n", unreadable},
        {Model, "cut short", firstThird(data / "Assets/Models/television.obj"), unreadable},
        // Read as a scene without meshes: nothing added and, today, nothing said.
        {Model, "an image", slurp(data / "Assets/Textures/hud.png"), "0 objects"},
        {Model, "no faces", quad, "0 objects"},
        {Model, "unknown extension", quad + "f 1 2 3\n", "1 objects", {}, "Assets/Models/bad.xyz"},
        {Model, "a FIFO", fifo, "Model-File kann nicht gelesen werden: Assets/Models/bad.obj (not a regular file)\n0 objects"},
        {Model, "a face of two corners", quad + "f 1 2\nf 2 3 4\n", "1 objects"},
        {Model, "normal map garbage", garbage(4096),
         "cannot read image: Assets/Textures/bad_n.png\n1 objects, flat", {}, "Assets/Textures/bad_n.png"},

        {Image, "missing", std::nullopt, notFound},
        {Image, "missing, of no known type", std::nullopt, "no texture", {}, "Assets/Textures/bad"},
        {Image, "garbage", garbage(65536), broken},
        {Image, "PNG cut short", firstThird(data / "Assets/Textures/hud.png"), broken},
        {Image, "JPEG cut short", firstThird(data / "Assets/Textures/Start.jpg"), "loaded", {},
         "Assets/Textures/bad.jpg"},
        {Image, "PNG named .jpg", slurp(data / "Assets/Textures/hud.png"), "loaded", {}, "Assets/Textures/bad.jpg"},
        {Image, "absurd size", bmp100000, "cannot read image: Assets/Textures/bad.bmp\nno texture", {},
         "Assets/Textures/bad.bmp"},

        {Sound, "missing", std::nullopt, silent("bad.wav", "file not found")},
        {Sound, "empty", "", silent("bad.wav")},
        {Sound, "garbage", garbage(65536), silent("bad.wav")},
        {Sound, "garbage MP3", garbage(65536), silent("bad.mp3"), {}, "Assets/Sounds/bad.mp3"},
        {Sound, "header without samples", wav(1, 44100, 0, ""), silent("bad.wav", "no audio data")},
        {Sound, "data beyond the file", wav(1, 44100, 0x7ffffff0, firstThird(data / "Assets/Sounds/enemy_rawr.wav")),
         "plays"},
        {Sound, "cut short", firstThird(data / "Assets/Sounds/enemy_rawr.wav"), "plays"},

        {Settings, "missing", std::nullopt, "as shipped"},
        {Settings, "empty", "", "settings file settings.txt: empty; CONFIG.txt's values stand\nas shipped"},
        {Settings, "garbage", garbage(4096), "settings file settings.txt: 25 lines left out (line 1 \"????C??g\\???HYn*????D?????K7????,?E8???p\"), read the rest\nas shipped"},
        {Settings, "bad lines among good ones",
         "version = 1\nmaster volume = 50\nmusic volume = loud\nfield of view = 300\nkey use = F5\r\nkey pause = Q\r\n"
         "mouse speed = 1e-3x\nhead bob\n",
         "settings file settings.txt: 5 lines left out (line 3 \"music volume = loud\"), read the rest\n"
         "master volume = 50,key pause = Q,"},
        {Settings, "from a newer build", "# later\nversion = 7\ncalm mode = TRUE\nsparkles = TRUE\n",
         "settings file settings.txt: from a newer build (version 7), 1 line left out (line 4 \"sparkles = TRUE\"), "
         "read the rest\ncalm mode = TRUE,"},
        {Settings, "larger than any the game writes", "calm mode = TRUE\n" + std::string(70000, '#') + "\n",
         "settings file settings.txt: only its first 64 KiB read\ncalm mode = TRUE,"},

        {Demo, "missing", std::nullopt, "demo bad.mdemo: cannot open bad.mdemo"},
        {Demo, "no frames", noFrames, "demo bad.mdemo: no frames"},
        {Demo, "a FIFO", fifo, "demo bad.mdemo: not a regular file"},
    };
    const char* const usual[] = {"CONFIG.txt", "SCENE.txt", "Assets/Models/bad.obj", "Assets/Textures/bad.png",
                                 "Assets/Sounds/bad.wav", "bad.mdemo", "settings.txt"};
    for (const Row& row : rows) {
        const std::string file = row.file.empty() ? usual[static_cast<int>(row.kind)] : row.file;
        SCOPED_TRACE(file + ": " + row.damage);
        place(file, row.bytes);
        EXPECT_EQ(outcome(row.kind, file, row.limits), row.outcome);
    }
}

// Formats the importer checks less than OBJ can hand over faces that are not
// whole triangles of the mesh: they are dropped.
TEST(ImportedMesh, OnlyWholeTrianglesInsideTheMeshAreKept) {
    aiMesh mesh;
    mesh.mNumVertices = 3;
    mesh.mVertices = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    mesh.mNumFaces = 3;
    mesh.mFaces = new aiFace[3];
    const unsigned corners[3][3] = {{0, 1, 2}, {0, 1, 7}, {2, 1, 0}};
    for (unsigned f = 0; f < 3; ++f) {
        mesh.mFaces[f].mNumIndices = f == 2 ? 2 : 3;  // the last a line, with a third index behind it
        mesh.mFaces[f].mIndices = new unsigned[3]{corners[f][0], corners[f][1], corners[f][2]};
    }
    EXPECT_EQ(convertMesh(mesh).indices, (std::vector<std::uint32_t>{0, 1, 2}));
}

// Every shader fault is fatal: its message, then status 255, never a crash.
TEST_F(BadFiles, ShaderFaultsEndTheGameWithTheirMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // the child makes its own GL context
    const std::string frag = slurp(data / "Shader/default.frag");
    const std::string compile = "compile fehler\nShader/bad.frag\n.";
    struct Row { const char* damage; std::string file; Bytes bytes; int status; std::string says; };
    const Row rows[] = {
        {"missing", "Shader/bad.frag", std::nullopt, 255, "shader-file konnte nicht geöffnet werden\nShader/bad.frag\n"},
        {"empty", "Shader/bad.frag", "", 255, "shader-file ist leer\nShader/bad.frag\n"},
        {"cut short", "Shader/bad.frag", frag.substr(0, frag.size() / 3), 255, compile},
        {"no main", "Shader/bad.frag", "#version 330 core\nout vec4 fragColor;\n", 255,
         "fehler beim linken\nShader/default.vert, Shader/bad.frag\n."},
        {"good, under an odd name", "Shader/Mein Shader \xc3\xa4\xc3\xb6\xc3\xbc.frag", frag, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.damage);
        place(row.file, row.bytes);
        const auto build = [&] {
            dup2(STDERR_FILENO, STDOUT_FILENO);  // the messages go to standard output
            if (!gl.ok()) std::exit(3);
            const ShaderProgram program("Shader/default.vert", row.file);
            std::exit(program.program != 0 ? 0 : 4);
        };
        EXPECT_EXIT(build(), testing::ExitedWithCode(row.status), row.says);
    }
}

}  // namespace
