// The pointer's label as a text item.
#include "render/pointer_label.h"

namespace {
constexpr int kLabelOffsetPixels = 12;  // from the pointer to its label
}  // namespace

void addPointerLabel(Frame& frame, const std::string& label, int pointerX, int pointerY) {
    if (label.empty() || frame.width <= 0 || frame.height <= 0) return;
    const bool leftOfPointer = pointerX > frame.width / 2;
    const int x = pointerX + (leftOfPointer ? -kLabelOffsetPixels : kLabelOffsetPixels);
    const int y = pointerY + (pointerY < 2 * kLabelOffsetPixels ? 2 * kLabelOffsetPixels : -kLabelOffsetPixels / 2);
    TextItem text;
    text.text = label;
    text.x = (x + 0.5) * 2.0 / frame.width - 1.0;   // pixel centre to picture coordinates
    text.y = 1.0 - (y + 0.5) * 2.0 / frame.height;
    text.align = leftOfPointer ? TextAlign::right : TextAlign::left;
    frame.texts.push_back(std::move(text));
}
