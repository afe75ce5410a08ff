#include "scene/Texture.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include <FreeImage.h>

#include "scene/CookedFile.h"
#include "scene/CookedLevels.h"

static_assert(FREEIMAGE_COLORORDER == FREEIMAGE_COLORORDER_BGR,
              "the upload passes FreeImage's pixels as BGR(A)");

namespace {

// FreeImage keeps its pixels bottom row first in blue-green-red order on
// little-endian machines; both match what GL gets here.
struct Image {
    FIBITMAP* bitmap = nullptr;
    ~Image() {
        if (bitmap != nullptr) {
            FreeImage_Unload(bitmap);
        }
    }
};

ImageLoads loads;

GLenum pixelFormat(int channels) { return channels == 4 ? GL_BGRA : GL_BGR; }

// Starts a texture with the filters every image gets before any quality change.
GLuint newTexture() {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

}  // namespace

ImageLoads imageLoads() { return loads; }
std::string textureMaker() { return glDriverName() + " | " + buildName() + " | " + FreeImage_GetVersion(); }

std::string texturePath(const std::string& name) {
    const std::size_t cut = name.find_last_of("/\\");
    const std::string base = cut == std::string::npos ? name : name.substr(cut + 1);
    return "Assets/Textures/" + base;
}

GLint minifyingFilter(int mipmapQuality, int samplingQuality) {
    const bool bilinear = samplingQuality != 0;
    switch (mipmapQuality) {
    case 0:
        return bilinear ? GL_LINEAR : GL_NEAREST;
    case 1:
        return bilinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    default:
        return bilinear ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
    }
}

GLint magnifyingFilter(int samplingQuality) {
    return samplingQuality == 0 ? GL_NEAREST : GL_LINEAR;
}

bool Texture::load(const std::string& name, int textureSlot, const std::string& format,
                   const std::string& cookedFolder) {
    slot = textureSlot;
    const std::string path = texturePath(name);

    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        // No name or a name without an image type is no texture, not a fault.
        if (FreeImage_GetFIFFromFilename(path.c_str()) != FIF_UNKNOWN) {
            std::cout << "texture not found: " << path << '\n';
        }
        return false;
    }
    const bool alpha = format == "RGBA";
    const int channels = alpha ? 4 : 3;
    CookedKey key;
    // The decoding and conversion are this build's and FreeImage's, the levels the driver's.
    const bool cache = !cookedFolder.empty() && cookedKey(path, textureMaker(), key);
    const std::string cooked = cache ? cookedPath(cookedFolder, path, channels) : std::string();
    // GL refuses a larger image with an error and leaves an unusable texture.
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (cache) {
        CookedImage image;
        std::string damage;
        if (readCookedImage(cooked, key, image, largest, &damage)) {
            id = newTexture();
            uploadLevels(image, alpha ? GL_RGBA : GL_RGB, pixelFormat(channels));
            ++loads.readBack;
            return true;
        }
        if (!damage.empty()) std::cout << cookedDamageLine(cooked, damage, path) << '\n';
    }

    FREE_IMAGE_FORMAT type = FreeImage_GetFileType(path.c_str(), 0);
    if (type == FIF_UNKNOWN) {
        type = FreeImage_GetFIFFromFilename(path.c_str());
    }
    Image image;
    if (type != FIF_UNKNOWN && FreeImage_FIFSupportsReading(type)) {
        image.bitmap = FreeImage_Load(type, path.c_str(), 0);
    }
    if (image.bitmap == nullptr || !FreeImage_HasPixels(image.bitmap) ||
        FreeImage_GetWidth(image.bitmap) == 0 || FreeImage_GetHeight(image.bitmap) == 0) {
        std::cout << "cannot read image: " << path << '\n';
        id = noImage;
        return false;
    }
    ++loads.decoded;
    const unsigned width = FreeImage_GetWidth(image.bitmap);
    const unsigned height = FreeImage_GetHeight(image.bitmap);
    if (largest > 0 && std::max(width, height) > static_cast<unsigned>(largest)) {
        std::cout << "texture too large: " << path << " (" << width << 'x' << height
                  << ", this GL takes at most " << largest << ")\n";
        id = noImage;
        return false;
    }

    // The upload reads 3 or 4 bytes per pixel, so every other layout (grey,
    // palette, 16-bit, 32-bit loaded as RGB, ...) is converted first.
    Image standard;
    FIBITMAP* source = image.bitmap;
    if (FreeImage_GetImageType(source) != FIT_BITMAP) {
        // 16-bit grey, float and the like: down to 8 bits per channel first.
        standard.bitmap = FreeImage_ConvertToStandardType(source, TRUE);
        source = standard.bitmap != nullptr ? standard.bitmap : source;
    }
    Image converted;
    converted.bitmap = alpha ? FreeImage_ConvertTo32Bits(source) : FreeImage_ConvertTo24Bits(source);
    if (converted.bitmap == nullptr) {
        std::cout << "cannot read image: " << path << '\n';
        id = noImage;
        return false;
    }

    id = newTexture();
    // FreeImage pads rows to 4 bytes, which is GL's default unpack alignment;
    // set it anyway in case someone else changed it.
    GLint oldAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &oldAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA : GL_RGB, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0,
                 pixelFormat(channels), GL_UNSIGNED_BYTE, FreeImage_GetBits(converted.bitmap));
    glPixelStorei(GL_UNPACK_ALIGNMENT, oldAlignment);
    glGenerateMipmap(GL_TEXTURE_2D);
    ++loads.mipmapsMade;
    if (cache) writeCookedImage(cooked, key, readLevels(channels, pixelFormat(channels)));
    return true;
}

void Texture::setFilter(int mipmapQuality, int samplingQuality) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    minifyingFilter(mipmapQuality, samplingQuality));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnifyingFilter(samplingQuality));
}
