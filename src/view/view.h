// The main window "Reziprokes Gitter": display lists, the redraw with the Ewald
// construction, projection, viewport and lighting.
#pragma once

#include "view/ewald_scan.h"

void buildDisplayLists();

// Saves the client array state and points the vertex and normal arrays (x, y, z floats
// each) at the given data, every other array off; glPopClientAttrib ends it.
void pushVertexNormalArrays(const float* vertices, const float* normals);
void drawReciprocalLattice();

// The part of the main redraw that needs no drawing: reads the modelview matrix, finds the
// points on the Ewald sphere (lastScan), sets crystalAngle and the rotated basis, and logs
// every point found but the origin.
void scanAndLogReflections();
void initView();
void onReshape(int width, int height);

// Working values of the latest main redraw (modelview copy, sphere centre, hits).
extern double modelview[16];
extern ScanResult lastScan;
