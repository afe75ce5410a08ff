#version 330 core
out vec4 fragColor;
#ifdef MARK
uniform float fragmentMark;
#endif
#ifdef MORE
uniform float more;
#endif
void main() {
    fragColor = vec4(1.0);
#ifdef MARK
    fragColor.r = fragmentMark;
#endif
#ifdef MORE
    fragColor.g = more;
#endif
}
