// The name of what lies under the pointer, shown as a line of text beside it in any window
// or canvas: how near a point must be to be named, and where its label goes.
#pragma once

#include <string>

#include "render/frame.h"

// A spot or lattice point this near the pointer (pixels) is named.
constexpr double kHoverReachPixels = 6;

// Adds the label beside the pointer (pixel pointerX, pointerY from the top left), towards the
// picture's middle so that it stays inside; nothing for an empty label or an empty picture.
void addPointerLabel(Frame& frame, const std::string& label, int pointerX, int pointerY);
