// The Shift query: the toolkit's modifiers answer exactly Shift (no Ctrl, no Alt).
#pragma once

// True only when Shift alone is held. Outside an input callback (the menu path) it
// answers false without asking the toolkit.
bool shiftOnlyHeld();

// Marks the menu path, where the toolkit cannot tell the modifiers; calls nest.
void beginMenuPath();
void endMenuPath();
