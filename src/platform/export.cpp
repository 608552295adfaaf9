// The headless export: spin, scan and log, draw off screen, write the files.
#include "platform/export.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "model/png_image.h"
#include "model/safe_file.h"
#include "platform/offscreen_gl.h"
#include "render/film_frame.h"
#include "render/gl11/gl11_renderer.h"
#include "render/log_table.h"
#include "render/main_frame.h"
#include "session/commands.h"

namespace {

constexpr double kProgressSeconds = 2.0;  // between two progress lines

void fail(const std::string& text) {
    std::printf("Export fehlgeschlagen: %s\n", text.c_str());
    std::fflush(stdout);
}

// The picture the renderer just drew, as PNG bytes.
std::vector<unsigned char> drawnPng(const OffscreenGl& gl) {
    RgbaImage image;
    image.width = gl.width();
    image.height = gl.height();
    image.pixels = gl.readRgba();
    return encodePng(image);
}

}  // namespace

int runExport(Session session, const ExportOptions& options) {
    Session& s = session;
    if (!std::isfinite(options.turnDegrees) || options.turnDegrees < 0) {
        fail("der Drehwinkel muss eine Zahl ab 0 sein.");
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(options.dir, ec);
    if (ec || !std::filesystem::is_directory(options.dir, ec)) {
        fail("das Verzeichnis \u201e" + options.dir + "\u201c kann nicht angelegt werden.");
        return 1;
    }
    OffscreenGl gl;
    std::string error;
    if (!gl.open(kExportPictureSize, kExportPictureSize, &error)) {
        fail(error);
        return 1;
    }

    // Both films open, as after F7 and the layer's digit: an empty log, both films
    // following the main window (the rotation film latches its radius when it draws).
    clearReflectionLog(s.log);
    s.currentLayer = options.layer;
    s.rotationOpen = 1;
    s.weissenbergOpen = 1;

    const long steps = std::lround(options.turnDegrees / kSpinDegrees);
    std::printf("Export nach %s: Drehung um %f Grad in %ld Schritten, Weissenberg %d. Schicht\n",
                options.dir.c_str(), static_cast<double>(steps) * kSpinDegrees, steps, options.layer);
    // The main window's picture at the start, then one spin step and one picture after another.
    scanAndLog(s);
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastReport = Clock::now();
    for (long i = 1; i <= steps; ++i) {
        spinStep(s);
        scanAndLog(s);
        const Clock::time_point now = Clock::now();
        if (std::chrono::duration<double>(now - lastReport).count() >= kProgressSeconds) {
            std::printf("Export: %ld %%\n", 100 * i / steps);
            lastReport = now;
        }
    }

    // The three pictures as the windows would draw them now, each by a renderer of its own.
    const int size = kExportPictureSize;
    std::vector<FileToSave> files;
    Gl11Renderer mainRenderer;
    MainSceneGeometry scene;
    updateMainSceneGeometry(s, scene);
    mainRenderer.draw(mainFrame(s, scene, size, size));
    files.push_back({kExportMainFile, drawnPng(gl)});

    Gl11Renderer rotationRenderer;
    FilmPoints rotationPoints;
    const bool keepTraces = beginRotationFilmRedraw(s, true);
    rotationRenderer.draw(rotationFilmFrame(s, size, size, keepTraces, true, rotationPoints));
    files.push_back({kExportRotationFile, drawnPng(gl)});

    Gl11Renderer weissenbergRenderer;
    FilmPoints weissenbergPoints;
    beginWeissenbergFilmRedraw(s, true);
    weissenbergRenderer.draw(weissenbergFilmFrame(s, size, size, weissenbergPoints));
    files.push_back({kExportWeissenbergFile, drawnPng(gl)});

    const std::string csv = reflectionLogCsv(s);
    files.push_back({kExportLogFile, std::vector<unsigned char>(csv.begin(), csv.end())});

    for (const FileToSave& file : files) {
        const std::string path = (std::filesystem::path(options.dir) / file.suffix).string();
        if (file.bytes.empty() || !writeFileAtomically(path, file.bytes.data(), file.bytes.size(), &error)) {
            fail(file.bytes.empty() ? "das Bild \u201e" + path + "\u201c ist leer." : error);
            return 1;
        }
        std::printf("Geschrieben: %s\n", path.c_str());
    }
    std::fflush(stdout);
    return 0;
}
