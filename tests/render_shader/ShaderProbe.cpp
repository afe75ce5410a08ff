// Builds one program from the two paths on the command line, as a child
// process, so the tests can watch the fatal paths end it.
#include <iostream>

#include "render/ShaderProgram.h"
#include "tests/support/GlContext.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: shader_probe VERT FRAG\n";
        return 2;
    }
    murk::test::GlContext gl(16, 16);
    if (!gl.ok()) {
        std::cerr << "no GL context\n";
        return 3;
    }
    ShaderProgram program(argv[1], argv[2]);
    std::cout << "linked " << program.vertexPath << '\n';
    return 0;
}
