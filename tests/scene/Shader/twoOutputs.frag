#version 330 core
// Without a binding the linker may give "fragColor" any location; the
// decoy is declared first so a missing binding shows.
out vec4 decoy;
out vec4 fragColor;
void main() {
    decoy = vec4(0.0, 1.0, 0.0, 1.0);
    fragColor = vec4(0.0, 0.0, 1.0, 1.0);
}
