// Recording stand-in for the platform layer in the in-window tests.
#include "gl/gl_harness.h"
#include "platform/message_box.h"
#include "platform/modifiers.h"

bool stubShift = false;
int stubMenuDepth = 0;
std::vector<std::string> stubMessageBoxes;

void showMessageBox(const char* text, const char* caption, int style) {
    stubMessageBoxes.push_back(std::string(caption) + "|" + std::to_string(style) + "|" + text);
}

bool shiftOnlyHeld() { return stubMenuDepth > 0 ? false : stubShift; }
void beginMenuPath() { ++stubMenuDepth; }
void endMenuPath() { --stubMenuDepth; }
