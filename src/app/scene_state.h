// Program-wide state: crystal, display switches, windows, values derived from the
// crystal's orientation, and the reflection log. One instance of each, living from the
// start of main to the end of the process; everything runs on the toolkit's one thread.
//
// The crystal's orientation itself is no field here: it is the main window's modelview
// matrix, and the camera (orientation and zoom) is its projection matrix.
#pragma once

#include "app/vec3.h"

struct SceneState {
    // ---- crystal and display settings -------------------------------------------
    int spaceGroup = 1;          // space-group number for the reflection conditions; set from the 8th argument
    double ewaldDiameter = 0.0;  // 2/lambda, reciprocal length unit; sphere radius is ewaldDiameter/2; set at start-up
    Vec3 aStar;                  // reciprocal basis a* in the crystal frame (along x); set at start-up
    Vec3 bStar;                  // reciprocal basis b* in the crystal frame (in the x-y plane); set at start-up
    Vec3 cStar;                  // reciprocal basis c* in the crystal frame; set at start-up
    int currentLayer = 0;        // layer index l of the current layer
    int allLayers = 1;           // 1: scans cover layers currentLayer-20..currentLayer+20; 0: only currentLayer
    int showLatticePoints = 1;   // 0/1: draw the lattice-point display list
    int showEwaldSphere = 1;     // 0/1: draw the Ewald-sphere display list
    int showAxes = 1;            // 0/1: draw the axes display list
    int listBase = 0;            // first name of the block of ten display lists; 0 = no block yet

    // ---- derived from the modelview matrix at the start of every main redraw ------
    double crystalAngle = 0.0;   // radians, -pi..pi: the crystal's turn about the laboratory z axis
    Vec3 aStarRot;               // a* turned into the laboratory frame
    Vec3 bStarRot;               // b* turned into the laboratory frame
    Vec3 cStarRot;               // c* turned into the laboratory frame

    // ---- windows ---------------------------------------------------------------
    int mainWindow = 0;          // toolkit id of "Reziprokes Gitter"
    int rotationWindow = 0;      // id of the newest rotation-photograph window; 0 = none (or it is gone)
    int weissenbergWindow = 0;   // id of the newest Weissenberg window; 0 = none (or it is gone)
    int rotationOpen = 0;        // 0/1: the rotation film follows the main window; 1 only while it exists
    int weissenbergOpen = 0;     // 0/1: the Weissenberg film follows the main window; 1 only while it exists
    int lambdaEdited = 0;        // 0/1: set by the first wavelength step, never cleared; rotation film keeps traces
};

// Room for exactly this many reflections; further ones are not logged.
constexpr int kLogCapacity = 100000;

// Parallel columns of the reflections found on the Ewald sphere, in the order found.
struct ReflectionLog {
    int logH[kLogCapacity];           // Miller index h (along a*)
    int logK[kLogCapacity];           // Miller index k (along b*)
    int logL[kLogCapacity];           // Miller index l (along c*)
    double logAngle[kLogCapacity];    // crystalAngle (radians) of the redraw that logged the entry
    double rotationY[kLogCapacity];   // latched ordinate on the rotation film
    double weissenbergY[kLogCapacity];// latched ordinate on the Weissenberg film
    int logCount = 0;                 // entries 0..logCount-1 are valid; 0..kLogCapacity
};

extern SceneState scene;
extern ReflectionLog reflectionLog;

// Appends one entry (h, k, l, angle); does nothing once the log holds kLogCapacity entries.
void appendReflection(ReflectionLog& log, int h, int k, int l, double angle);

// Empties the log: logCount = 0; the columns keep their values.
void clearReflectionLog(ReflectionLog& log);
