#include "app/Config.h"

#include "app/Camera.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The value after the first " = ", or false when the line has none.
bool valueOf(const std::string& line, std::string& value) {
    const std::string::size_type at = line.find(" = ");
    if (at == std::string::npos) return false;
    value = line.substr(at + 3);
    return true;
}

}  // namespace

int configInt(const std::string& value) {
    std::string::size_type i = 0;
    while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i])) != 0) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Accumulate towards the negative side, which has room for INT_MIN.
    long long result = 0;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])) != 0; ++i) {
        result = result * 10 - (value[i] - '0');
        if (result < INT_MIN) return negative ? INT_MIN : INT_MAX;
    }
    if (negative) return static_cast<int>(result);
    return result < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-result);
}

float configFloat(const std::string& value) { return std::strtof(value.c_str(), nullptr); }

bool configBool(const std::string& value) { return value == "TRUE"; }

void applyConfigDefaults(Settings& settings, Camera& camera) {
    settings = Settings {};
    camera.startPosition = glm::vec3(2.92f, 0.8f, 0.262f);
    camera.horizontalAngle = -2.57f;
    camera.verticalAngle = -0.5f;
    camera.mouseSpeed = 0.002f;
    camera.walkSpeed = camera.walkSpeedSetting = Camera::defaultWalkSpeed;
    camera.padLookSpeed = 1.5f;
    camera.padSpeed = camera.padSpeedSetting = Camera::defaultPadSpeed;
    camera.invertY = false;
}

void readConfig(std::istream& in, Settings& settings, Camera& camera) {
    std::string line;
    std::string value;
    for (int number = 1; number <= configLineCount && std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!valueOf(line, value)) continue;
        switch (number) {
        case 2: settings.width = configInt(value); break;
        case 3: settings.height = configInt(value); break;
        case 4: settings.windowed = configBool(value); break;
        case 5: settings.refreshRate = configInt(value); break;
        case 6: settings.ambient = configFloat(value); break;
        case 9: settings.shadowMapSize = configInt(value); break;
        case 12: camera.position.x = camera.startPosition.x = configFloat(value); break;
        case 13: camera.position.y = camera.startPosition.y = configFloat(value); break;
        case 14: camera.position.z = camera.startPosition.z = configFloat(value); break;
        case 15: camera.horizontalAngle = configFloat(value); break;
        case 16: camera.verticalAngle = configFloat(value); break;
        case configLine::mouseSpeed: camera.mouseSpeed = configFloat(value); break;
        case 18: camera.walkSpeed = camera.walkSpeedSetting = configFloat(value); break;
        case 19: camera.padLookSpeed = configFloat(value); break;
        case 20: camera.padSpeed = camera.padSpeedSetting = configFloat(value); break;
        case 23: settings.freezeMeters = configBool(value); break;
        case configLine::subtitles: settings.subtitles = configBool(value); break;
        case configLine::brightness: settings.brightness = configFloat(value); break;
        case configLine::invertY: settings.invertY = camera.invertY = configBool(value); break;
        case configLine::renderScale: settings.renderScale = configFloat(value); break;
        case configLine::targetFps: settings.targetFps = configInt(value); break;
        default: break;  // lines without a setting
        }
    }
}

bool loadConfig(const std::string& path, Settings& settings, Camera& camera) {
    applyConfigDefaults(settings, camera);
    std::ifstream file(path, std::ios::binary);
    std::string text;
    std::string line;
    bool anyValue = false;
    for (int number = 1; number <= configLineCount && std::getline(file, line); ++number) {
        anyValue = anyValue || line.find(" = ") != std::string::npos;
        text += line + '\n';
    }
    // A folder opens but reads nothing; a binary file has no " = " lines or has NULs.
    if (file.bad() || !anyValue || text.find('\0') != std::string::npos) return false;
    std::istringstream in(text);
    readConfig(in, settings, camera);
    return true;
}

std::string rewriteConfig(const std::string& text, const SavedSettings& values) {
    const auto number = [](float value) {
        std::ostringstream out;
        out << value;
        return out.str();
    };
    const struct {
        int line;
        const char* label;
        std::string value;
    } saved[] = {
        {configLine::mouseSpeed, "mouse speed (radians per pixel)", number(values.mouseSpeed)},
        {configLine::brightness, "brightness (1.0 as made; higher is brighter)", number(values.brightness)},
        {configLine::invertY, "invert mouse and pad look (TRUE: push down to look up)",
         values.invertY ? "TRUE" : "FALSE"},
    };
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        const std::string::size_type end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    if (!lines.empty() && lines.back().back() != '\n') lines.back() += '\n';
    if (lines.size() < static_cast<std::size_t>(configLine::invertY)) lines.resize(configLine::invertY, "\n");
    for (const auto& entry : saved) {
        std::string& line = lines[static_cast<std::size_t>(entry.line - 1)];
        const std::string::size_type at = line.find(" = ");
        const std::string ending = line.size() > 1 && line[line.size() - 2] == '\r' ? "\r\n" : "\n";
        line = (at == std::string::npos ? std::string(entry.label) : line.substr(0, at)) + " = " + entry.value + ending;
    }
    std::string result;
    for (const std::string& line : lines) result += line;
    return result;
}

std::string saveConfig(const std::string& path, const std::string& own, const SavedSettings& values) {
    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream read;
        read << in.rdbuf();
        text = read.str();
    }
    const std::string rewritten = rewriteConfig(text, values);
    for (const std::string& target : {path, own}) {
        if (target != path) {
            std::error_code error;
            std::filesystem::create_directories(std::filesystem::path(target).parent_path(), error);
        }
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (out && (out << rewritten) && out.flush()) return target;
    }
    return {};
}
