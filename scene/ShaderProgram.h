#pragma once

#include <string>

#include <GL/glew.h>

// One linked program of a vertex and a fragment shader read from files.
// Every failure while building it is fatal (the process ends) and names the
// file, so a constructed program is always complete. Fragment output 0 is
// "fragColor" and the attribute "position" is at location 0.
class ShaderProgram {
public:
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath);
    // extraName: the scene line's normal map, kept with the program.
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath,
                  const std::string& extraName);
    // defines: preprocessor lines put after each shader's "#version" line,
    // for a variant of the same files.
    ShaderProgram(const std::string& vertexPath, const std::string& fragmentPath,
                  const std::string& extraName, const std::string& defines);
    // The same linked program under another extra name: nothing is compiled
    // again. `linked` keeps the GL objects and must outlive this one.
    ShaderProgram(const ShaderProgram& linked, const std::string& extraName);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    void use() const;

    GLuint program = 0;
    std::string vertexPath;  // the renderer's identity for the program
    std::string extraName;
    std::string defines;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    bool ownsProgram = true;

private:
    void build(const std::string& vertexFile, const std::string& fragmentFile);
    void compile(const std::string& path, GLenum type, GLuint& into);
    void link(const std::string& files);
};
