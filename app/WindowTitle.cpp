#include "app/WindowTitle.h"

#include "app/DebugToggles.h"
#include "render/Renderer.h"

std::string titleHead(bool showFps, const FrameRateCounter& counter, int samplingQuality,
                      int mipmapQuality, bool frustumCulling, bool transparency) {
    std::string title;
    if (showFps) {
        title = "Murkhaven @" + std::to_string(counter.framesPerSecond) + " fps (" +
                std::to_string(counter.frameMilliseconds()) + " ms) -";
    } else {
        title = "Murkhaven -";
    }
    title += " " + textureQualityText(samplingQuality, mipmapQuality);
    title += " FC: ";
    title += frustumCulling ? "on" : "off";
    title += " TP: ";
    title += transparency ? "on;" : "off;";
    return title;
}

void appendDrawCounts(std::string& title, const DrawCounts& counts) {
    title += "; #vertices: " + std::to_string(counts.vertices) + "; #faces: " +
             std::to_string(counts.faces) + "; #objects: " + std::to_string(counts.objects);
}

void appendPickResult(std::string& title, int hitActor) {
    title += "; hit objects: ";
    if (hitActor >= 0) {
        title += std::to_string(hitActor) + ", ";
    }
}
