#include "app/PlayerSettings.h"

#include "app/GameRules.h"
#include "app/KeyBindings.h"
#include "app/SettingsCheck.h"
#include "platform/AtomicFile.h"
#include "render/ScreenBounds.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <variant>
#include <vector>

namespace playerSettings {
namespace {

// One setting of the file: where it lives and what it may hold.
struct Field {
    std::string name;
    std::variant<int*, float*, bool*> value;
    double low = 0.0;
    double high = 0.0;
    bool keyName = false;  // an int that holds an input code, written by its name
};

std::vector<Field> fields(Settings& s, Camera& c) {
    std::vector<Field> all = {
        {"master volume", &s.volumes.master, 0, 100},
        {"music volume", &s.volumes.music, 0, 100},
        {"effects volume", &s.volumes.effects, 0, 100},
        {"voices volume", &s.volumes.voices, 0, 100},
        {"brightness", &s.brightness, rules::minBrightness, rules::maxBrightness},
        {"mouse speed", &c.mouseSpeed, rules::minMouseSpeed, rules::maxMouseSpeed},
        {"invert mouse", &c.invertY},
        {"invert pad", &c.invertPadY},
        {"pad look speed", &c.padLookSpeed, rules::minPadLookSpeed, rules::maxPadLookSpeed},
        {"subtitles", &s.subtitles},
        {"subtitle size", &s.subtitleSize, 50, 200},
        {"field of view", &s.fieldOfView, rules::minFieldOfView, rules::maxFieldOfView},
        {"head bob", &s.headBob},
        {"windowed", &s.windowed},
        {"window width", &s.width, 1, 16384},
        {"window height", &s.height, 1, 16384},
        {"shadow map size", &s.shadowMapSize, minShadowMapSize, maxShadowMapSize},
        {"calm mode", &s.calm},
        {"render scale", &s.renderScale, minRenderScale, maxRenderScale},
        {"target frame rate", &s.targetFps, 0, maxTargetFps},
    };
    for (int a = 0; a < actionCount; ++a) {
        const auto action = static_cast<Action>(a);
        all.push_back({std::string("key ") + actionName(action), &s.keys.codes[static_cast<std::size_t>(a)], 0, 0, true});
    }
    return all;
}

std::string written(const Field& field) {
    if (const bool* const* flag = std::get_if<bool*>(&field.value)) return **flag ? "TRUE" : "FALSE";
    if (const float* const* number = std::get_if<float*>(&field.value)) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, **number).ptr;
        return std::string(buffer, end);
    }
    const int code = *std::get<int*>(field.value);
    return field.keyName ? inputName(code) : std::to_string(code);
}

bool sameValue(const Field& a, const Field& b) { return written(a) == written(b); }

template <class Number>
bool number(const std::string& text, Number& out) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, out);
    return result.ec == std::errc() && result.ptr == end;
}

// False when the value does not fit the field; the field is then as it was.
bool read(const Field& field, const std::string& value, KeyBindings& keys) {
    if (bool* const* flag = std::get_if<bool*>(&field.value)) {
        if (value != "TRUE" && value != "FALSE") return false;
        **flag = value == "TRUE";
        return true;
    }
    if (float* const* target = std::get_if<float*>(&field.value)) {
        float parsed = 0.0f;
        if (!number(value, parsed) || !(parsed >= field.low && parsed <= field.high)) return false;
        **target = parsed;
        return true;
    }
    int* target = std::get<int*>(field.value);
    if (field.keyName) {
        const auto action = static_cast<Action>(target - keys.codes.data());
        return bind(keys, action, codeFromName(value)).kind != BindResult::Kind::Refused;
    }
    int parsed = 0;
    if (!number(value, parsed) || parsed < field.low || parsed > field.high) return false;
    *target = parsed;
    return true;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Printable, short, for a report line.
std::string shown(const std::string& line) {
    std::string out;
    for (const char c : line.substr(0, 40)) out += (c >= ' ' && c <= '~') ? c : '?';
    return out;
}

}  // namespace

std::string text(const Settings& settings, const Camera& camera, const Settings& base, const Camera& baseCamera) {
    Settings s = settings, b = base;
    Camera c = camera, bc = baseCamera;
    const std::vector<Field> now = fields(s, c);
    const std::vector<Field> before = fields(b, bc);
    std::string out = "# Murkhaven: what the player changed, over CONFIG.txt\nversion = " +
                      std::to_string(version) + "\n";
    for (std::size_t i = 0; i < now.size(); ++i)
        if (!sameValue(now[i], before[i])) out += now[i].name + " = " + written(now[i]) + "\n";
    return out;
}

std::string apply(const std::string& text, Settings& settings, Camera& camera) {
    if (trimmed(text).empty()) return "empty; CONFIG.txt's values stand";
    const std::vector<Field> all = fields(settings, camera);
    int bad = 0;
    std::string firstBad;
    std::string newer;
    std::size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string content = trimmed(line);
        if (content.empty() || content[0] == '#') continue;
        const std::size_t equals = content.find('=');
        const std::string name = trimmed(content.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : trimmed(content.substr(equals + 1));
        int fileVersion = 0;
        bool understood = false;
        if (name == "version") {
            understood = playerSettings::number(value, fileVersion) && fileVersion > 0;
            if (understood && fileVersion > version) newer = "from a newer build (version " + value + "), ";
        } else {
            for (const Field& field : all)
                if (field.name == name) understood = read(field, value, settings.keys);
        }
        if (understood) continue;
        if (++bad == 1) firstBad = "line " + std::to_string(number) + " \"" + shown(content) + "\"";
    }
    if (bad == 0 && newer.empty()) return {};
    std::string report = newer;
    if (bad > 0) report += std::to_string(bad) + (bad == 1 ? " line" : " lines") + " left out (" + firstBad + "), ";
    return report + "read the rest";
}

std::string load(const std::string& path, Settings& settings, Camera& camera) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return {};
    const std::string name = "settings file " + path + ": ";
    std::string bytes;
    const TextHead read = readTextHead(path, maxFileBytes, bytes);
    if (read == TextHead::Unreadable)
        return name + (isRegularFile(path) ? "cannot be read" : "not a plain file") + "; CONFIG.txt's values stand";
    const std::string cut = read == TextHead::Cut ? "only its first 64 KiB read" : "";
    const std::string report = apply(bytes, settings, camera);
    if (report.empty() && cut.empty()) return {};
    return name + report + (report.empty() || cut.empty() ? "" : "; ") + cut;
}

std::string save(const std::string& path, const std::string& text) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::string why;
    if (writeFileAtomically(path, text, &why)) return {};
    return why.empty() ? "not written" : why;
}

}  // namespace playerSettings
