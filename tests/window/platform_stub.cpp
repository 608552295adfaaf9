// Stand-in for the message box and the Shift query in the in-window tests of the spot
// labels and saving: no box is shown, Shift is never held.
#include "platform/message_box.h"
#include "platform/modifiers.h"

void showMessageBox(const char*, const char*, int) {}
bool shiftOnlyHeld() { return false; }
void beginMenuPath() {}
void endMenuPath() {}
