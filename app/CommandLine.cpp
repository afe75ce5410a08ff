#include "app/CommandLine.h"

#include "app/Config.h"

#include <charconv>
#include <cstring>

namespace {

constexpr int maxSize = 16384;

bool positive(const char* text, int limit, int& value) {
    const char* end = text + std::strlen(text);
    const auto [rest, status] = std::from_chars(text, end, value);
    return status == std::errc() && rest == end && value > 0 && value <= limit;
}

}  // namespace

const char* commandLineUsage() {
    return "usage: murkhaven [--record FILE | --replay FILE | --timedemo FILE] [--frames N]\n"
           "                 [--width W] [--height H] [--shadow-map-size S] [--report PREFIX]\n";
}

bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error) {
    options = CommandLine {};
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            error = name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument " + name;
            return false;
        }
        const char* value = argv[++i];
        CommandLine::Mode mode = CommandLine::Mode::Play;
        if (name == "--record") mode = CommandLine::Mode::Record;
        if (name == "--replay") mode = CommandLine::Mode::Replay;
        if (name == "--timedemo") mode = CommandLine::Mode::Timedemo;
        if (mode != CommandLine::Mode::Play) {
            if (options.mode != CommandLine::Mode::Play) {
                error = "only one of --record, --replay and --timedemo";
                return false;
            }
            if (*value == '\0') {
                error = name + " needs a file name";
                return false;
            }
            options.mode = mode;
            options.demoPath = value;
            continue;
        }
        int* target = nullptr;
        int limit = maxSize;
        if (name == "--frames") {
            target = &options.frames;
            limit = 1 << 30;
        } else if (name == "--width") {
            target = &options.width;
        } else if (name == "--height") {
            target = &options.height;
        } else if (name == "--shadow-map-size") {
            target = &options.shadowMapSize;
        } else if (name == "--report") {
            if (*value == '\0') {
                error = "--report needs a file name prefix";
                return false;
            }
            options.report = value;
            continue;
        } else {
            error = "unknown argument " + name;
            return false;
        }
        if (!positive(value, limit, *target)) {
            error = name + " needs a whole number from 1 to " + std::to_string(limit) + ", not \"" + value + "\"";
            return false;
        }
    }
    return true;
}

void applyOverrides(const CommandLine& options, Settings& settings) {
    if (options.width > 0) settings.width = options.width;
    if (options.height > 0) settings.height = options.height;
    if (options.shadowMapSize > 0) settings.shadowMapSize = options.shadowMapSize;
}
