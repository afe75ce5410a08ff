#pragma once

#include <string>

#include <GL/glew.h>

// Handle to one 2-D texture decoded from "Assets/Textures/". Binding for
// drawing is the renderer's job. Several Textures may share one id (the model
// import's cache), so a Texture never deletes its GL texture.
class Texture {
public:
    static constexpr GLuint noImage = static_cast<GLuint>(-1);

    // Decodes the image and uploads it with mipmaps. format "RGBA" keeps
    // alpha, anything else uploads RGB. False (id unchanged or noImage) on
    // failure, with a line naming the file: "texture not found: " (missing,
    // with an image type's name), "cannot read image: " (empty or broken) or
    // "texture too large: " (wider or higher than GL_MAX_TEXTURE_SIZE).
    // With a cookedFolder the levels the driver made are kept there and read
    // back on later starts while the image file's bytes and the driver stay the
// same; a damaged entry is made again with one line.
    bool load(const std::string& name, int slot, const std::string& format, const std::string& cookedFolder = {});
    // Binds the texture on unit 0 and sets its filters from the quality settings.
    void setFilter(int mipmapQuality, int samplingQuality);

    int slot = 0;        // recorded only, not used for binding
    GLuint id = noImage;
};

// What Texture::load did since the program started: images decoded, mipmap
// chains the driver made, and images whose kept levels were read back
// instead. A start with every image kept decodes none and makes none.
struct ImageLoads {
    int decoded = 0;
    int mipmapsMade = 0;
    int readBack = 0;
};
ImageLoads imageLoads();

// What kept levels are made by besides their image: the GL, this build and the decoder.
std::string textureMaker();

// "Assets/Textures/" + the part of name after its last '/' or '\'.
std::string texturePath(const std::string& name);
// Minifying and magnifying filters for the mipmap (0 off, 1 nearest, else
// linear) and sampling (0 nearest, else bilinear) settings.
GLint minifyingFilter(int mipmapQuality, int samplingQuality);
GLint magnifyingFilter(int samplingQuality);
