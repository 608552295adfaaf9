// A modal message box with a caption, text lines, an icon and one OK button.
#pragma once

constexpr int kMbOk = 0;
constexpr int kMbIconError = 16;
constexpr int kMbIconInformation = 64;

// Shows the box and returns only after the user has closed it. Text lines are separated by '\n'.
void showMessageBox(const char* text, const char* caption, int style);
