// In real windows: the label of the spot under the mouse (and that a label logs nothing),
// saving every window and the log, and the headless export drawing the same rotation
// photograph as the window after the same turn.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "gl/gl_harness.h"
#include "model/png_image.h"
#include "platform/app.h"
#include "platform/export.h"
#include "platform/windows.h"
#include "session/commands.h"

namespace fs = std::filesystem;

namespace {

// What the window shows now, as the X server holds it: RGBA, bottom row first, opaque.
RgbaImage shownPicture(int window) {
    const Picture p = readPicture(window);
    RgbaImage image;
    image.width = p.width;
    image.height = p.height;
    image.pixels.reserve(p.rgb.size() / 3 * 4);
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        image.pixels.insert(image.pixels.end(), {p.rgb[i], p.rgb[i + 1], p.rgb[i + 2], 255});
    }
    return image;
}

std::vector<unsigned char> fileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// F7 then key 0, as a user opens both films; each film's first redraw makes it follow.
void openBothFilms() {
    applyEffects(specialKeyCommand(app.session, kKeyF7, false));
    pumpEvents(150);
    applyEffects(keyCommand(app.session, '0', false));
    pumpEvents(150);
    ASSERT_EQ(app.session.rotationOpen, 1);
    ASSERT_EQ(app.session.weissenbergOpen, 1);
}

// Spin steps, each followed by one redraw of the main window (its scan and log), as the
// spinning program does; then the films follow.
void spinAndDraw(int steps) {
    for (int i = 0; i < steps; ++i) {
        spinStep(app.session);
        glutSetWindow(app.mainWindow);
        drawReciprocalLattice();
    }
    pumpEvents(150);
}

// The window pixel (from the top left) of a film point drawn in a size x size film window.
void filmPixel(const FilmPoints& points, int i, int size, int* px, int* py) {
    const float x = points.geometry->positions[2 * static_cast<size_t>(i)];
    const float y = points.geometry->positions[2 * static_cast<size_t>(i) + 1];
    *px = static_cast<int>(std::floor((x + 1.0) * size / 2));
    *py = static_cast<int>(std::floor((1.0 - y) * size / 2));
}

// A drawn point with no other within 10 pixels, or -1.
int loneSpot(const FilmPoints& points, int size) {
    for (int i = 0; i < points.count(); ++i) {
        int x = 0, y = 0;
        filmPixel(points, i, size, &x, &y);
        bool alone = x > 10 && y > 10 && x < size - 10 && y < size - 10;
        for (int j = 0; j < points.count() && alone; ++j) {
            int u = 0, v = 0;
            filmPixel(points, j, size, &u, &v);
            alone = j == i || std::hypot(u - x, v - y) > 10;
        }
        if (alone) return i;
    }
    return -1;
}

void leaveEveryWindow() {
    for (int window : {app.mainWindow, app.rotationWindow, app.weissenbergWindow}) {
        if (window == 0) continue;
        glutSetWindow(window);
        onEntry(GLUT_LEFT);
    }
    pumpEvents(100);
}

class SpotsInWindow : public testing::Test {
protected:
    void SetUp() override { resetScene(); }
    void TearDown() override { glutIdleFunc(nullptr); }
};

}  // namespace

TEST_F(SpotsInWindow, HoverNamesTheDrawnSpotAndLogsNothing) {
    openBothFilms();
    spinAndDraw(60);
    const int window = app.weissenbergWindow;
    WindowView& film = app.views[window];
    const int spot = loneSpot(film.points, 520);
    ASSERT_GE(spot, 0);
    int px = 0, py = 0;
    filmPixel(film.points, spot, 520, &px, &py);
    const int entry = film.points.entries[static_cast<size_t>(spot)];

    const int logged = app.session.log.count();
    const RgbaImage before = shownPicture(window);
    glutSetWindow(window);
    onPassiveMotion(px + 2, py - 1);
    pumpEvents(60);
    const ReflectionLog& log = app.session.log;
    const std::string indices = "(" + std::to_string(log.logH[entry]) + " " + std::to_string(log.logK[entry]) + " " +
                                std::to_string(log.logL[entry]) + ")";
    EXPECT_EQ(film.hoverLabel.rfind(indices, 0), 0u) << film.hoverLabel;
    EXPECT_NE(shownPicture(window).pixels, before.pixels) << "the label is drawn";
    EXPECT_EQ(app.session.log.count(), logged) << "a film's label logs nothing";

    // Over empty film: no label; leaving the window clears it too.
    glutSetWindow(window);
    onPassiveMotion(px + 30, py);
    pumpEvents(60);
    int nearest = 1000;
    for (int i = 0; i < film.points.count(); ++i) {
        int u = 0, v = 0;
        filmPixel(film.points, i, 520, &u, &v);
        nearest = std::min(nearest, static_cast<int>(std::hypot(u - (px + 30), v - py)));
    }
    if (nearest > 8) {
        EXPECT_EQ(film.hoverLabel, "");
    }
    glutSetWindow(window);
    onPassiveMotion(2, 260 - 40);  // the film's left edge, off the cross, no spot there
    pumpEvents(60);
    EXPECT_EQ(film.hoverLabel, "");

    // Main window: the crystal back at its start, then a lattice point under the pointer.
    // (0 1 l) lie above the centre at y = 0.2 / (1.05 * 2 / 1.5418) of the half height.
    applyEffects(specialKeyCommand(app.session, kKeyF2, false));
    pumpEvents(150);
    const int mainLogged = app.session.log.count();
    const int y = static_cast<int>(std::floor((1.0 - 0.2 / (1.05 * 2 / 1.5418)) * 260));
    glutSetWindow(app.mainWindow);
    onPassiveMotion(260, y);
    pumpEvents(150);
    EXPECT_EQ(app.views[app.mainWindow].hoverLabel.rfind("(0 1 ", 0), 0u) << app.views[app.mainWindow].hoverLabel;
    EXPECT_NE(app.views[app.mainWindow].hoverLabel.find("|d*| = "), std::string::npos);
    EXPECT_EQ(app.session.log.count(), mainLogged) << "the label's redraw takes no step";
    // A real redraw of the main window does take one: at a standstill it logs the
    // reflections on the sphere again.
    applyEffects(keyCommand(app.session, 'X', false));
    pumpEvents(150);
    EXPECT_GT(app.session.log.count(), mainLogged);
    leaveEveryWindow();
    EXPECT_EQ(app.views[app.mainWindow].hoverLabel, "");
}

TEST_F(SpotsInWindow, SavingWritesEachWindowsPictureAndTheLog) {
    const fs::path dir = fs::temp_directory_path() / ("weissenberg-save-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path home = fs::current_path();
    fs::current_path(dir);
    openBothFilms();
    // Side by side on the virtual screen, no window over another: what X shows is the picture.
    glutSetWindow(app.weissenbergWindow);
    glutPositionWindow(0, 530);
    glutReshapeWindow(480, 480);
    pumpEvents(200);
    spinAndDraw(20);
    applyEffects(keyCommand(app.session, 'b', false));  // the legend is part of the picture saved
    ASSERT_EQ(app.session.showLegend, 1);
    leaveEveryWindow();

    testing::internal::CaptureStdout();
    applyEffects(keyCommand(app.session, 'p', false));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console,
              "Gespeichert: weissenberg-001-haupt.png\nGespeichert: weissenberg-001-drehkristall.png\n"
              "Gespeichert: weissenberg-001-weissenberg.png\nGespeichert: weissenberg-001-protokoll.csv\n");
    const struct {
        int window;
        const char* file;
    } pictures[] = {{app.mainWindow, "weissenberg-001-haupt.png"},
                    {app.rotationWindow, "weissenberg-001-drehkristall.png"},
                    {app.weissenbergWindow, "weissenberg-001-weissenberg.png"}};
    for (const auto& p : pictures) {
        RgbaImage saved;
        ASSERT_TRUE(decodePng(fileBytes(p.file), &saved)) << p.file;
        const RgbaImage shown = shownPicture(p.window);
        EXPECT_EQ(saved.width, shown.width);
        EXPECT_EQ(saved.height, shown.height);
        int differing = 0, first = -1;
        for (size_t i = 0; i < saved.pixels.size() && i < shown.pixels.size(); ++i)
            if (saved.pixels[i] != shown.pixels[i]) {
                if (first < 0) first = static_cast<int>(i / 4);
                ++differing;
            }
        EXPECT_EQ(differing, 0) << p.file << " differs from the window's pixels, first at pixel " << first;
    }
    std::ifstream csv("weissenberg-001-protokoll.csv");
    int lines = 0;
    for (std::string line; std::getline(csv, line);) ++lines;
    EXPECT_EQ(lines, 1 + app.session.log.count());

    // A second save takes the next number and leaves the first set as it was.
    testing::internal::CaptureStdout();
    applyEffects(keyCommand(app.session, 'p', false));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("weissenberg-002-haupt.png"), std::string::npos);

    // A working directory that is gone cannot be written: one line, no file, the program goes on.
    fs::create_directories(dir / "weg");
    fs::current_path(dir / "weg");
    fs::remove(dir / "weg");
    testing::internal::CaptureStdout();
    applyEffects(keyCommand(app.session, 'p', false));
    const std::string failed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(failed.rfind("Nicht gespeichert: ", 0), 0u) << failed;
    EXPECT_EQ(failed.find("Gespeichert:"), std::string::npos) << failed;
    fs::current_path(home);
    EXPECT_FALSE(fs::exists(dir / "weg"));
    applyEffects(keyCommand(app.session, 'b', false));
    EXPECT_EQ(app.session.showLegend, 0);
    pumpEvents(60);
    fs::remove_all(dir);
}

TEST_F(SpotsInWindow, ExportDrawsTheRotationPhotographOfTheWindow) {
    // The desktop: a fresh start, both films open, the main window's start picture, then
    // 300 spin steps of 0.3 degrees, each with its main redraw.
    applyEffects(specialKeyCommand(app.session, kKeyF2, true));
    // The main window's picture plays no part here: without lattice points and sphere its
    // redraws are quick.
    app.session.showLatticePoints = 0;
    app.session.showEwaldSphere = 0;
    openBothFilms();
    glutSetWindow(app.weissenbergWindow);
    glutPositionWindow(0, 530);  // clear of the rotation photograph
    pumpEvents(150);
    glutSetWindow(app.mainWindow);
    drawReciprocalLattice();
    spinAndDraw(300);
    leaveEveryWindow();
    const RgbaImage shown = shownPicture(app.rotationWindow);

    const fs::path dir = fs::temp_directory_path() / ("weissenberg-export-window-" + std::to_string(getpid()));
    ExportOptions options;
    options.dir = dir.string();
    options.turnDegrees = 90;
    // On a thread of its own: this one has the windows' GL context current, and a thread
    // holds one context at a time (the export runs in a process of its own otherwise).
    testing::internal::CaptureStdout();
    int status = -1;
    std::thread([&] { status = runExport(startSession(), options); }).join();
    const std::string console = testing::internal::GetCapturedStdout();
    ASSERT_EQ(status, 0) << console;
    RgbaImage exported;
    ASSERT_TRUE(decodePng(fileBytes(dir / kExportRotationFile), &exported));
    ASSERT_EQ(exported.width, shown.width);
    ASSERT_EQ(exported.height, shown.height);
    // Both are drawn by the same driver (Mesa's llvmpipe): no pixel may differ.
    int differing = 0;
    for (size_t i = 0; i < shown.pixels.size(); i += 4)
        if (shown.pixels[i] != exported.pixels[i] || shown.pixels[i + 1] != exported.pixels[i + 1] ||
            shown.pixels[i + 2] != exported.pixels[i + 2])
            ++differing;
    EXPECT_EQ(differing, 0);
    if (differing != 0) {
        const std::vector<unsigned char> png = encodePng(shown);
        std::ofstream((dir / "fenster.png").string(), std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
        std::printf("Pictures kept in %s\n", dir.c_str());
    } else {
        fs::remove_all(dir);
    }
}
