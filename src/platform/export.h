// Headless export for worksheets and scripts: no window and no display. The crystal turns
// from the session's orientation in the spin's own steps, each followed by the step that
// scans and logs, exactly as the spinning desktop program with both films open; then the
// main view, the rotation photograph and the Weissenberg photograph of the layer are drawn
// by the same frame builders and OpenGL 1.1 back end into an off-screen context (Mesa's EGL
// without a display) and written as PNG files beside the log as CSV.
#pragma once

#include <string>

#include "session/command_line.h"
#include "session/session.h"

// Picture size of every exported window, pixels: the size the desktop windows open with.
constexpr int kExportPictureSize = 520;

// The files written into options.dir (each replaced whole if it was there).
constexpr const char* kExportMainFile = "haupt.png";
constexpr const char* kExportRotationFile = "drehkristall.png";
constexpr const char* kExportWeissenbergFile = "weissenberg.png";
constexpr const char* kExportLogFile = "protokoll.csv";

// Runs the export with the session as newSession made it from the command line, into
// options.dir (made, with its parents, when missing), turning options.turnDegrees (>= 0) in
// spin steps of 0.3 degrees, the Weissenberg film of options.layer. Console:
// what is done, the progress in percent every few seconds, one line per file written; an
// error as a German line. Returns the exit status: 0 when every file was written, else 1.
int runExport(Session session, const ExportOptions& options);
