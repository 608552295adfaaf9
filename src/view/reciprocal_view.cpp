// Main redraw.
#include "view/view.h"
double modelview[16];
ScanResult lastScan;
void drawReciprocalLattice() {}
