// Message box.
#include "platform/message_box.h"
void showMessageBox(const char*, const char*, int) {}
