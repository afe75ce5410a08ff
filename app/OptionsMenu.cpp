#include "app/OptionsMenu.h"

#include <algorithm>
#include <cmath>

#include "app/GameRules.h"
#include "app/KeyBindings.h"
#include "app/OptionTexts.h"
#include "app/SettingsCheck.h"
#include "render/ScreenBounds.h"

namespace {

// In screen order: the first column, then the second.
enum class Item {
    MasterVolume, MusicVolume, EffectsVolume, VoicesVolume, Brightness, FieldOfView, HeadBob, FullScreen,
    WindowSize, ShadowQuality, RenderScale, Subtitles, SubtitleSize, CalmMode,
    MouseSpeed, InvertMouse, InvertPad, PadLookSpeed,
    KeyForward, KeyBack, KeyLeft, KeyRight, KeyCrouch, KeyUse, KeyLight, KeyPause, KeysDefault, Back,
};
constexpr int itemCount = static_cast<int>(Item::Back) + 1;

constexpr const char* labels[itemCount] = {
    "Master volume", "Music volume", "Effects volume", "Voices volume", "Brightness", "Field of view",
    "Head bob", "Full screen", "Window size", "Shadow quality", "Render scale", "Subtitles", "Subtitle size", "Calm mode",
    "Mouse speed", "Invert mouse", "Invert pad", "Pad look speed",
    "Forward", "Back", "Left", "Right", "Crouch", "Use", "Flashlight", "Pause", "Keys back to defaults",
    "Done",
};

// The render scale moves in twentieths, so it reads as whole percents.
float renderScaleStep(float scale, int steps) {
    const float stepped = std::round(scale * 20.0f + static_cast<float>(steps)) / 20.0f;
    return std::clamp(stepped, minRenderScale, maxRenderScale);
}

// The shadow map edges the options offer, and what they are called.
constexpr int shadowSizes[] = {256, 512, 1024, 2048};
constexpr const char* shadowNames[] = {"Low", "Medium", "High", "Highest"};

const std::vector<Window::Size> commonSizes = {{960, 540}, {1280, 720}, {1600, 900}, {1920, 1080}};

bool isBinding(Item item) { return item >= Item::KeyForward && item <= Item::KeyPause; }
Action actionOf(Item item) {
    return static_cast<Action>(static_cast<int>(item) - static_cast<int>(Item::KeyForward));
}
int* volumeOf(Item item, Settings& s) {
    switch (item) {
    case Item::MasterVolume: return &s.volumes.master;
    case Item::MusicVolume: return &s.volumes.music;
    case Item::EffectsVolume: return &s.volumes.effects;
    case Item::VoicesVolume: return &s.volumes.voices;
    default: return nullptr;
    }
}

bool* toggleOf(Item item, OptionTargets& t) {
    switch (item) {
    case Item::HeadBob: return &t.settings.headBob;
    case Item::FullScreen: return &t.settings.windowed;  // shown the other way round
    case Item::Subtitles: return &t.settings.subtitles;
    case Item::CalmMode: return &t.settings.calm;
    case Item::InvertMouse: return &t.camera.invertY;
    case Item::InvertPad: return &t.camera.invertPadY;
    default: return nullptr;
    }
}

// A slider of whole numbers: where it is, and its ends and step.
struct IntSlider {
    int* value;
    int low, high, step;
};
bool intSlider(Item item, OptionTargets& t, IntSlider& out) {
    if (int* volume = volumeOf(item, t.settings)) {
        out = {volume, 0, 100, 5};
        return true;
    }
    if (item == Item::FieldOfView) out = {&t.settings.fieldOfView, rules::minFieldOfView, rules::maxFieldOfView, 5};
    else if (item == Item::SubtitleSize) out = {&t.settings.subtitleSize, 50, 200, 10};
    else return false;
    return true;
}

// The monitor's modes, and the common sizes that fit the largest of them
// (a monitor may offer one mode only).
std::vector<Window::Size> sizesOf(const OptionTargets& t) {
    std::vector<Window::Size> sizes = t.windowSizes;
    const Window::Size largest = sizes.empty() ? Window::Size{1 << 30, 1 << 30} : sizes.back();
    for (const Window::Size& size : commonSizes)
        if (size.width <= largest.width && size.height <= largest.height) sizes.push_back(size);
    return sizes;
}

// Next size up or down from the current one, by area.
void stepWindowSize(OptionTargets& t, int steps) {
    const std::vector<Window::Size> sizes = sizesOf(t);
    const long area = static_cast<long>(t.settings.width) * t.settings.height;
    const Window::Size* pick = nullptr;
    for (const Window::Size& size : sizes) {
        const long a = static_cast<long>(size.width) * size.height;
        if (steps > 0 && a > area && (pick == nullptr || a < static_cast<long>(pick->width) * pick->height)) pick = &size;
        if (steps < 0 && a < area && (pick == nullptr || a > static_cast<long>(pick->width) * pick->height)) pick = &size;
    }
    if (pick == nullptr) return;
    t.settings.width = pick->width;
    t.settings.height = pick->height;
}

void stepShadows(Settings& s, int steps) {
    const int* end = std::end(shadowSizes);
    if (steps > 0) {
        const int* next = std::upper_bound(std::begin(shadowSizes), end, s.shadowMapSize);
        if (next != end) s.shadowMapSize = *next;
    } else {
        const int* at = std::lower_bound(std::begin(shadowSizes), end, s.shadowMapSize);
        if (at != std::begin(shadowSizes)) s.shadowMapSize = *(at - 1);
    }
}

void step(Item item, OptionTargets& t, int steps) {
    IntSlider slider{};
    if (intSlider(item, t, slider)) {
        *slider.value = std::clamp(*slider.value + steps * slider.step, slider.low, slider.high);
    } else if (bool* flag = toggleOf(item, t)) {
        *flag = !*flag;
    } else if (item == Item::Brightness) {
        t.settings.brightness = rules::stepBrightness(t.settings.brightness, steps);
    } else if (item == Item::MouseSpeed) {
        t.camera.mouseSpeed = rules::stepMouseSpeed(t.camera.mouseSpeed, steps);
    } else if (item == Item::PadLookSpeed) {
        t.camera.padLookSpeed = std::clamp(t.camera.padLookSpeed + 0.25f * static_cast<float>(steps),
                                           rules::minPadLookSpeed, rules::maxPadLookSpeed);
    } else if (item == Item::WindowSize) {
        stepWindowSize(t, steps);
    } else if (item == Item::ShadowQuality) {
        stepShadows(t.settings, steps);
    } else if (item == Item::RenderScale) {
        t.settings.renderScale = renderScaleStep(t.settings.renderScale, steps);
    }
}

// A slider's place 0..1; negative for rows without one.
float fillOf(Item item, OptionTargets& t) {
    IntSlider slider{};
    if (intSlider(item, t, slider))
        return static_cast<float>(*slider.value - slider.low) / static_cast<float>(slider.high - slider.low);
    if (item == Item::Brightness)
        return (t.settings.brightness - rules::minBrightness) / (rules::maxBrightness - rules::minBrightness);
    if (item == Item::MouseSpeed)
        return std::log(t.camera.mouseSpeed / rules::minMouseSpeed) / std::log(rules::maxMouseSpeed / rules::minMouseSpeed);
    if (item == Item::RenderScale)
        return (t.settings.renderScale - minRenderScale) / (maxRenderScale - minRenderScale);
    if (item == Item::PadLookSpeed)
        return (t.camera.padLookSpeed - rules::minPadLookSpeed) / (rules::maxPadLookSpeed - rules::minPadLookSpeed);
    return -1.0f;
}

// The pointer dragged a slider to `fill`: the nearest step.
void setFill(Item item, OptionTargets& t, float fill) {
    fill = std::clamp(fill, 0.0f, 1.0f);
    IntSlider slider{};
    if (intSlider(item, t, slider)) {
        const float steps = static_cast<float>(slider.high - slider.low) / static_cast<float>(slider.step);
        *slider.value = slider.low + slider.step * static_cast<int>(std::lround(fill * steps));
    } else if (item == Item::Brightness) {
        t.settings.brightness = static_cast<float>(std::lround(fill * 20.0f) + 5) / 10.0f;
    } else if (item == Item::MouseSpeed) {
        t.camera.mouseSpeed = rules::minMouseSpeed * std::pow(rules::maxMouseSpeed / rules::minMouseSpeed, fill);
    } else if (item == Item::PadLookSpeed) {
        t.camera.padLookSpeed = rules::minPadLookSpeed + 0.25f * static_cast<float>(std::lround(fill * 23.0f));
    } else if (item == Item::RenderScale) {
        t.settings.renderScale = renderScaleStep(minRenderScale + fill * (maxRenderScale - minRenderScale), 0);
    }
}

std::string valueOf(Item item, OptionTargets& t) {
    const Settings& s = t.settings;
    if (isBinding(item)) return inputName(s.keys[actionOf(item)]);
    if (const bool* flag = toggleOf(item, t)) return (*flag != (item == Item::FullScreen)) ? "On" : "Off";
    switch (item) {
    case Item::Brightness: return brightnessText(s.brightness);
    case Item::FieldOfView: return std::to_string(s.fieldOfView) + " deg";
    case Item::SubtitleSize: return percentText(s.subtitleSize);
    case Item::MouseSpeed: return mouseSpeedText(t.camera.mouseSpeed);
    case Item::PadLookSpeed: return brightnessText(t.camera.padLookSpeed);
    case Item::RenderScale: return percentText(static_cast<int>(std::lround(s.renderScale * 100.0f)));
    case Item::WindowSize: return std::to_string(s.width) + " x " + std::to_string(s.height);
    case Item::ShadowQuality: {
        const int* at = std::find(std::begin(shadowSizes), std::end(shadowSizes), s.shadowMapSize);
        return at == std::end(shadowSizes) ? std::to_string(s.shadowMapSize)
                                           : shadowNames[at - std::begin(shadowSizes)];
    }
    default: break;
    }
    if (int* volume = volumeOf(item, t.settings)) return percentText(*volume);
    return {};
}

}  // namespace

int OptionsMenu::rowCount() { return itemCount; }

void OptionsMenu::open() {
    selected = 0;
    capturing = usedPointer = dragging = false;
    message.clear();
}

std::vector<MenuRow> OptionsMenu::rows(const OptionTargets& targets) const {
    // The getters share the setters' tables; nothing is written.
    OptionTargets& t = const_cast<OptionTargets&>(targets);
    std::vector<MenuRow> out;
    for (int i = 0; i < itemCount; ++i) {
        const auto item = static_cast<Item>(i);
        MenuRow row{labels[i], valueOf(item, t), fillOf(item, t), item == Item::Brightness};
        if (capturing && i == selected) row.value = "press a key";
        out.push_back(row);
    }
    return out;
}

std::string OptionsMenu::hint() const {
    if (capturing)
        return std::string("A key or mouse button for ") + actionName(actionOf(static_cast<Item>(selected))) +
               "; Escape keeps the old one";
    if (!message.empty()) return message;
    if (static_cast<Item>(selected) == Item::Brightness)
        return "Set the brightness so the square in the box is only just visible";
    return "Arrows or pad: choose and change   Enter or A: switch   Escape or B: back";
}

void OptionsMenu::capture(int code, OptionTargets& targets) {
    capturing = false;
    const Action action = actionOf(static_cast<Item>(selected));
    if (code == Key::Escape) return;
    const int old = targets.settings.keys[action];
    const BindResult result = bind(targets.settings.keys, action, code);
    if (result.kind == BindResult::Kind::Refused) {
        message = (inputName(code).empty() ? std::string("That key") : inputName(code)) + " keeps its own job";
    } else if (result.kind == BindResult::Kind::Swapped) {
        message = inputName(code) + " was on " + actionName(result.other) + ": swapped, " + actionName(result.other) +
                  " is now on " + inputName(old);
    }
}

void OptionsMenu::activate(OptionTargets& targets) {
    const auto item = static_cast<Item>(selected);
    if (isBinding(item)) {
        capturing = true;
    } else if (item == Item::KeysDefault) {
        targets.settings.keys = KeyBindings{};
        message = "Keys back to their defaults";
    } else if (item == Item::WindowSize || item == Item::ShadowQuality) {
        step(item, targets, 1);
    } else if (toggleOf(item, targets) != nullptr) {
        step(item, targets, 1);
    }
}

bool OptionsMenu::update(const MenuInput& in, const MenuLayout& layout, OptionTargets& targets) {
    if (capturing) {
        // The pad cannot name a key: B gives up.
        if (in.back && in.pressed < 0) capturing = false;
        if (in.pressed >= 0) capture(in.pressed, targets);
        return true;
    }
    if (in.move != 0 || in.step != 0 || in.choose) {
        usedPointer = false;
        message.clear();
    }
    selected = (selected + in.move + itemCount) % itemCount;
    const int under = layout.rowAt(in.x, in.y, itemCount);
    if (in.pointerMoved) {
        usedPointer = true;
        if (under >= 0 && !dragging) selected = under;
    }
    const auto item = static_cast<Item>(selected);
    const bool slider = fillOf(item, targets) >= 0.0f;
    if (in.click && under >= 0) {
        selected = under;
        message.clear();
        const bool onBar = in.x >= layout.sliderLeft(under) - layout.rowHeight * 0.5f;
        if (fillOf(static_cast<Item>(under), targets) >= 0.0f && onBar) {
            dragging = true;
        } else if (static_cast<Item>(under) == Item::Back) {
            return false;
        } else {
            activate(targets);
        }
    }
    dragging = dragging && in.dragging;
    if (dragging && slider) {
        const float left = layout.sliderLeft(selected);
        setFill(item, targets, static_cast<float>((in.x - left) / (layout.sliderRight(selected) - left)));
    }
    if (in.step != 0) step(item, targets, in.step);
    if (in.choose) {
        if (item == Item::Back) return false;
        activate(targets);
    }
    return !in.back;
}
