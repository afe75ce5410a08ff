#include "app/CommandLine.h"

#include "app/Config.h"
#include "render/ScreenBounds.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr int maxSize = 16384;

bool positive(const char* text, int limit, int& value) {
    const char* end = text + std::strlen(text);
    const auto [rest, status] = std::from_chars(text, end, value);
    return status == std::errc() && rest == end && value > 0 && value <= limit;
}

bool renderScale(const char* text, float& value) {
    const char* end = text + std::strlen(text);
    const auto [rest, status] = std::from_chars(text, end, value);
    return status == std::errc() && rest == end && value >= minRenderScale && value <= maxRenderScale;
}

}  // namespace

const char* commandLineUsage() {
    return "usage: murkhaven [--record FILE | --replay FILE | --timedemo FILE] [--frames N]\n"
           "                 [--width W] [--height H] [--shadow-map-size S] [--report PREFIX] [--floor]\n"
           "                 [--render-scale S (0.5 to 1)] [--target-fps N]\n"
           "       murkhaven --help\n";
}

bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error) {
    using Mode = CommandLine::Mode;
    options = CommandLine {};
    const struct {
        const char* name;
        int CommandLine::*target;
        int limit;
    } numbers[] = {{"--frames", &CommandLine::frames, 1 << 30},
                   {"--width", &CommandLine::width, maxSize},
                   {"--height", &CommandLine::height, maxSize},
                   {"--shadow-map-size", &CommandLine::shadowMapSize, maxSize},
                   {"--target-fps", &CommandLine::targetFps, maxTargetFps}};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return true;
        }
        if (name == "--floor") {
            options.floor = true;
            continue;
        }
        Mode mode = Mode::Play;
        if (name == "--record") mode = Mode::Record;
        if (name == "--replay") mode = Mode::Replay;
        if (name == "--timedemo") mode = Mode::Timedemo;
        const auto* number = std::find_if(std::begin(numbers), std::end(numbers),
                                          [&](const auto& n) { return name == n.name; });
        const bool text = name == "--report" || name == "--render-scale";
        if (mode == Mode::Play && number == std::end(numbers) && !text) {
            error = "unknown argument " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (mode != Mode::Play) {
            if (options.mode != Mode::Play) {
                error = "only one of --record, --replay and --timedemo";
                return false;
            }
            if (*value == '\0') {
                error = name + " needs a file name";
                return false;
            }
            options.mode = mode;
            options.demoPath = value;
        } else if (name == "--render-scale") {
            if (!renderScale(value, options.renderScale)) {
                error = std::string("--render-scale needs a number from 0.5 to 1, not \"") + value + "\"";
                return false;
            }
        } else if (number == std::end(numbers)) {
            if (*value == '\0') {
                error = "--report needs a file name prefix";
                return false;
            }
            options.report = value;
        } else if (!positive(value, number->limit, options.*(number->target))) {
            error = name + " needs a whole number from 1 to " + std::to_string(number->limit) + ", not \"" +
                    value + "\"";
            return false;
        }
    }
    if (options.floor && options.mode != Mode::Timedemo) {
        error = "--floor needs --timedemo";
        return false;
    }
    // Only a demo session counts frames: in play the number would do nothing.
    if (options.frames > 0 && options.mode == Mode::Play) {
        error = "--frames needs --record, --replay or --timedemo";
        return false;
    }
    return true;
}

void applyOverrides(const CommandLine& options, Settings& settings) {
    if (options.width > 0) settings.width = options.width;
    if (options.height > 0) settings.height = options.height;
    if (options.shadowMapSize > 0) settings.shadowMapSize = options.shadowMapSize;
    if (options.renderScale > 0.0f) settings.renderScale = options.renderScale;
    if (options.targetFps > 0) settings.targetFps = options.targetFps;
}
