// The main window "Reziprokes Gitter": display lists, the redraw with the Ewald
// construction, projection, viewport and lighting.
#pragma once

#include "view/ewald_scan.h"

void buildDisplayLists();
void drawReciprocalLattice();
void initView();
void onReshape(int width, int height);

// Working values of the latest main redraw (modelview copy, sphere centre, hits).
extern double modelview[16];
extern ScanResult lastScan;
