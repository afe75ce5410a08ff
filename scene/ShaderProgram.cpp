#include "scene/ShaderProgram.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "platform/FatalError.h"

namespace {

std::string infoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram) {
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    if (length <= 0) {
        return {};
    }
    std::vector<GLchar> log(static_cast<std::size_t>(length), '\0');
    if (isProgram) {
        glGetProgramInfoLog(object, length, nullptr, log.data());
    } else {
        glGetShaderInfoLog(object, length, nullptr, log.data());
    }
    std::string text(log.data());
    // Drivers end their logs with a line feed; the message adds its own.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

// The file(s) on the line after the message, then the driver's log.
std::string withLog(const std::string& files, const std::string& log) {
    return log.empty() ? files : files + '\n' + log;
}

}  // namespace

ShaderProgram::ShaderProgram(const std::string& vertexFile, const std::string& fragmentFile) {
    build(vertexFile, fragmentFile);
}

ShaderProgram::ShaderProgram(const std::string& vertexFile, const std::string& fragmentFile,
                             const std::string& extra)
    : extraName(extra) {
    build(vertexFile, fragmentFile);
}

ShaderProgram::ShaderProgram(const std::string& vertexFile, const std::string& fragmentFile,
                             const std::string& extra, const std::string& variant)
    : extraName(extra), defines(variant) {
    build(vertexFile, fragmentFile);
}

ShaderProgram::ShaderProgram(const ShaderProgram& linked, const std::string& extra)
    : program(linked.program),
      vertexPath(linked.vertexPath),
      extraName(extra),
      defines(linked.defines),
      vertexShader(linked.vertexShader),
      fragmentShader(linked.fragmentShader),
      ownsProgram(false) {}

ShaderProgram::~ShaderProgram() {
    if (!ownsProgram) return;
    glDeleteProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
}

void ShaderProgram::use() const {
    glUseProgram(program);
}

void ShaderProgram::build(const std::string& vertexFile, const std::string& fragmentFile) {
    program = glCreateProgram();
    if (program == 0) {
        murk::fatalError("kein program handle");
    }
    compile(vertexFile, GL_VERTEX_SHADER, vertexShader);
    compile(fragmentFile, GL_FRAGMENT_SHADER, fragmentShader);
    link(vertexFile + ", " + fragmentFile);
    // Only a linked program carries a name.
    vertexPath = vertexFile;
}

void ShaderProgram::compile(const std::string& path, GLenum type, GLuint& into) {
    std::ifstream file(path);
    if (file.fail()) {
        murk::fatalError("shader-file konnte nicht geöffnet werden", path);
    }
    std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();
    if (source.empty()) {
        // A driver's log for an empty shader says nothing about which file.
        murk::fatalError("shader-file ist leer", path);
    }
    if (!defines.empty()) {
        // "#version" must stay the first line.
        const std::size_t lineEnd = source.rfind("#version", 0) == 0 ? source.find('\n') : std::string::npos;
        const std::size_t at = lineEnd == std::string::npos ? 0 : lineEnd + 1;
        source.insert(at, defines + "\n");
    }

    into = glCreateShader(type);
    if (into == 0) {
        murk::fatalError("keinen gl shader bekommen");
    }
    const GLchar* text = source.c_str();
    glShaderSource(into, 1, &text, nullptr);
    glCompileShader(into);

    GLint status = 0;
    glGetShaderiv(into, GL_COMPILE_STATUS, &status);
    if (status == 0 || glIsShader(into) == GL_FALSE) {
        murk::fatalError("compile fehler", withLog(path, infoLog(into, false)));
    }
}

void ShaderProgram::link(const std::string& files) {
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    // The shadow pass draws every caster's vertex array with its own
    // program, which reads the position from location 0.
    glBindAttribLocation(program, 0, "position");
    // Before linking, so colour output 0 is always "fragColor".
    glBindFragDataLocation(program, 0, "fragColor");
    glLinkProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0) {
        murk::fatalError("fehler beim linken", withLog(files, infoLog(program, true)));
    }
}
