#include "app/Config.h"

#include "app/Camera.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

// The value after the first " = ", or false when the line has none.
bool valueOf(const std::string& line, std::string& value) {
    const std::string::size_type at = line.find(" = ");
    if (at == std::string::npos) return false;
    value = line.substr(at + 3);
    return true;
}

// The labels of the shipped file, by line; null where no setting is read.
constexpr const char* shippedLabels[configLineCount] = {
    nullptr, "window width", "window height", "windowed", "refresh rate", "ambient light", nullptr, nullptr,
    "shadow map size", nullptr, nullptr, "start x", "start y", "start z", "horizontal angle", "vertical angle",
    "mouse speed", "walk speed", "game pad look speed", "game pad walk speed", nullptr, nullptr, "freeze meters",
    "subtitles", "brightness", "invert mouse and pad look", "render scale", "target frame rate"};

// Letters and digits before any remark in brackets, in lower case: "Mouse-Speed" is "mousespeed".
std::string labelKey(const std::string& label) {
    std::string key;
    for (char c : label.substr(0, label.find('('))) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0)
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return key;
}

// A label that is the expected one, shortened or lengthened, is taken as it.
bool labelFits(const std::string& label, const char* expected) {
    if (expected == nullptr) return false;
    const std::string have = labelKey(label);
    const std::string want = labelKey(expected);
    return !have.empty() && (want.find(have) != std::string::npos || have.find(want) != std::string::npos);
}

// A line moved by one added or removed above it sends every value after it
// to another setting: say so, line by line, though the values stand.
void checkLabel(int number, const std::string& line, std::ostream* warnings) {
    const char* expected = shippedLabels[number - 1];
    const std::string label = line.substr(0, line.find(" = "));
    if (warnings == nullptr || labelFits(label, expected)) return;
    *warnings << "CONFIG.txt line " << number << ": \"" << label << "\" stands where "
              << (expected != nullptr ? '"' + std::string(expected) + "\" belongs; its value is read as that"
                                      : std::string("no setting belongs; its value is ignored"))
              << " (settings go by line number)\n";
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
    camera.horizontalAngle = camera.startHorizontalAngle = -2.57f;
    camera.verticalAngle = camera.startVerticalAngle = -0.5f;
    camera.mouseSpeed = 0.002f;
    camera.walkSpeed = camera.walkSpeedSetting = Camera::defaultWalkSpeed;
    camera.padLookSpeed = 1.5f;
    camera.padSpeed = camera.padSpeedSetting = Camera::defaultPadSpeed;
    camera.invertY = camera.invertPadY = false;
}

void readConfig(std::istream& in, Settings& settings, Camera& camera, std::ostream* warnings) {
    std::string line;
    std::string value;
    for (int number = 1; number <= configLineCount && std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!valueOf(line, value)) continue;
        checkLabel(number, line, warnings);
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
        case 15: camera.horizontalAngle = camera.startHorizontalAngle = configFloat(value); break;
        case 16: camera.verticalAngle = camera.startVerticalAngle = configFloat(value); break;
        case configLine::mouseSpeed: camera.mouseSpeed = configFloat(value); break;
        case 18: camera.walkSpeed = camera.walkSpeedSetting = configFloat(value); break;
        case 19: camera.padLookSpeed = configFloat(value); break;
        case 20: camera.padSpeed = camera.padSpeedSetting = configFloat(value); break;
        case 23: settings.freezeMeters = configBool(value); break;
        case configLine::subtitles: settings.subtitles = configBool(value); break;
        case configLine::brightness: settings.brightness = configFloat(value); break;
        case configLine::invertY: settings.invertY = camera.invertY = camera.invertPadY = configBool(value); break;
        case configLine::renderScale: settings.renderScale = configFloat(value); break;
        case configLine::targetFps: settings.targetFps = configInt(value); break;
        default: break;  // lines without a setting
        }
    }
}

bool loadConfig(const std::string& path, Settings& settings, Camera& camera, std::ostream* warnings) {
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
    readConfig(in, settings, camera, warnings);
    return true;
}
