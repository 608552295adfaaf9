// Small helpers both GL back ends share. OpenGL 1.1 and OpenGL ES 2 (WebGL) name the same
// enums with the same values, so the includer brings its own GL header first.
#pragma once

#include "render/frame.h"

namespace gl_common {

inline GLenum glPrimitive(Primitive p) {
    switch (p) {
        case Primitive::points: return GL_POINTS;
        case Primitive::lines: return GL_LINES;
        case Primitive::triangles: return GL_TRIANGLES;
    }
    return GL_POINTS;
}

inline void setCapability(GLenum capability, bool on) {
    if (on) glEnable(capability);
    else glDisable(capability);
}

}  // namespace gl_common
