// The program's state as plain values: the crystal, the wavelength, the crystal's orientation
// and the camera as matrices, the switches, the current layer, the films' modes and the
// reflection log. One value of it lives as long as the program; every command is a function
// of it (session/commands.h).
#pragma once

#include "model/crystal.h"
#include "model/ewald_scan.h"
#include "model/matrix.h"
#include "model/reflection_log.h"

// The values the lattice points and the Ewald sphere were last built with: they are built at
// start-up and again by F5 only, so a wavelength or layer change shows in them after F5.
struct BuiltScene {
    double ewaldDiameter = 0.0;  // sphere diameter and limiting-sphere radius, reciprocal length unit
    int currentLayer = 0;        // centre layer of the lattice points
    int allLayers = 1;           // 1: 41 layers about it; 0: that layer only
    int generation = 0;          // counts the builds; a new value means new geometry
};

struct Session {
    // ---- crystal and wavelength ---------------------------------------------------
    Crystal crystal;              // cell, reciprocal basis, space group; fixed after start-up
    double ewaldDiameter = 0.0;   // 2/lambda, reciprocal length unit; stepped by L and l

    // ---- orientation and camera -----------------------------------------------------
    Mat4 orientation = identityMatrix();  // crystal frame -> laboratory frame; identity at start
    Mat4 camera = identityMatrix();       // laboratory frame -> picture: the box, turned and zoomed
    double boxX = 1.0, boxY = 1.0;        // half-extents of the last box that could be loaded (x; y = z)

    // ---- switches (0 off, 1 on) ------------------------------------------------------
    int showLatticePoints = 1;   // F1
    int showEwaldSphere = 1;     // F4
    int showAxes = 1;            // x
    int lighting = 1;            // F3
    int blending = 1;            // F6: transparency
    int allLayers = 1;           // F5: 1 scans every layer that meets the limiting sphere; 0 only currentLayer
    int intensityLook = 0;       // i: spots and lattice points sized by |F|² (needs the atoms of a CIF)
    int spinning = 0;            // F12 on, F11 off: the crystal turns at every idle moment
    int currentLayer = 0;        // layer l of the Weissenberg film and of the one-layer scan
    int showLegend = 0;          // b: both films show the colour code and their scales
    BuiltScene built;            // what the lattice points and sphere show

    // ---- films ---------------------------------------------------------------------------
    int rotationOpen = 0;        // 1: the rotation film follows the main window (redraws after it);
                                 //   set by its redraw, cleared by a left click in a film
    int weissenbergOpen = 0;     // 1: the Weissenberg film follows the main window; likewise
    int lambdaEdited = 0;        // 1 after the first wavelength key (never cleared): the rotation
                                 //   film keeps its traces and draws ordinates from uy
    double rotationFilmRadius = 0.0;  // film radius of the rotation film, reciprocal length unit:
    bool rotationFilmRadiusSet = false; //   ewaldDiameter/2 at its first redraw, kept for the run

    // ---- the latest step and the log -------------------------------------------------------
    ScanResult lastScan;         // what the latest step found: angle, turned basis, hits
    ReflectionLog log;           // every reflection found, in order

    // ---- mouse drag in the main window ---------------------------------------------------
    int dragButton = 0;          // button of the latest mouse event (0 left, 1 middle, 2 right)
    int lastMouseX = 0;          // pixel where the last press happened or the last drag step ended
    int lastMouseY = 0;          //   (y grows downwards)
};
