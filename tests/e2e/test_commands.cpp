// The program's commands driven for real: key presses, the pop-up menu and mouse drags
// sent through the X server to the running program, checked by its windows, its pictures
// and its exit status.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "e2e/e2e_harness.h"

namespace {
const std::vector<std::string> kCell = {"5", "5", "5", "90", "90", "90", "1.5418"};

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool drawn(const Screenshot& s) {
    if (!s.valid()) return false;
    for (size_t i = 3; i < s.rgb.size(); ++i)
        if (s.rgb[i] != s.rgb[i % 3]) return true;
    return false;  // one colour: not drawn yet
}

// A screenshot once the window has drawn and its picture has stopped changing (equal shots
// half a second apart).
Screenshot settledScreenshot(unsigned long window, double seconds = 15) {
    const auto start = std::chrono::steady_clock::now();
    Screenshot last = screenshot(window);
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        sleepMs(500);
        Screenshot next = screenshot(window);
        if (drawn(next) && next.rgb == last.rgb) return next;
        last = std::move(next);
    }
    return last;
}

// Waits until the window's picture differs from `other` (wanted true) or equals it (false);
// answers whether that happened before the deadline.
bool waitForPicture(unsigned long window, const Screenshot& other, bool differ, double seconds = 15) {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) {
        const Screenshot now = screenshot(window);
        if (drawn(now) && (now.rgb != other.rgb) == differ) return true;
        sleepMs(100);
    }
    return false;
}

// Chooses entry `index` (0 = top) of the pop-up menu: right button pressed on the main
// window, moved over the entry, released.
bool chooseMenuEntry(unsigned long mainWindow, int index) {
    mouseMove(mainWindow, 100, 100);
    mouseDown(3);
    const unsigned long menu = waitForWindow("freeglut menu", 5);
    if (menu == 0) {
        mouseUp(3);
        return false;
    }
    const Geometry g = windowGeometry(menu);
    mouseMove(menu, g.width / 2, menuRowY(g, index));
    sleepMs(100);
    mouseUp(3);
    return waitForNoWindow("freeglut menu", 5);
}

// F11 typed in `window` stops the spin: the main window's picture, once drawn and settled,
// stays as it is. `where` ends the failure message.
void expectF11StopsTheSpin(unsigned long window, unsigned long mainWindow, const std::string& where) {
    pressKeys(window, "F11");
    const Screenshot stopped = settledScreenshot(mainWindow);
    ASSERT_TRUE(drawn(stopped));
    sleepMs(500);
    EXPECT_TRUE(screenshot(mainWindow).rgb == stopped.rgb) << "the crystal still turns after F11" << where;
}

// Nothing from the toolkit on stderr (warnings, errors).
void expectQuietToolkit(const RunningProgram& p) {
    const std::string err = stderrText(p);
    EXPECT_EQ(err.find("freeglut"), std::string::npos) << err;
}

class Commands : public testing::Test {
protected:
    RunningProgram program;
    unsigned long mainWindow = 0;
    void SetUp() override {
        mainWindow = startToMainWindow(program, kCell);
        ASSERT_NE(mainWindow, 0u) << "no main window";
    }
    void TearDown() override {
        expectQuietToolkit(program);
        stopProgram(program);
    }
};
}  // namespace

TEST_F(Commands, F7OpensTheRotationPhotograph) {
    pressKeys(mainWindow, "F7");
    EXPECT_NE(waitForWindow("Drehkristallaufnahme"), 0u);
}

TEST_F(Commands, LayerKeysReplaceTheWeissenbergWindow) {
    pressKeys(mainWindow, "F8");
    ASSERT_NE(waitForWindow("Weissenberg 0. Schicht"), 0u);
    pressKeys(mainWindow, "3");
    EXPECT_NE(waitForWindow("Weissenberg 3. Schicht"), 0u);
    EXPECT_TRUE(waitForNoWindow("Weissenberg 0. Schicht"));
}

TEST_F(Commands, SpinFillsBothFilmsUntilF11StopsIt) {
    pressKeys(mainWindow, "F7");
    const unsigned long rotation = waitForWindow("Drehkristallaufnahme");
    ASSERT_NE(rotation, 0u);
    pressKeys(mainWindow, "F8");
    const unsigned long weissenberg = waitForWindow("Weissenberg 0. Schicht");
    ASSERT_NE(weissenberg, 0u);

    const int rotationBefore = settledScreenshot(rotation).colouredPixels();
    const int weissenbergBefore = settledScreenshot(weissenberg).colouredPixels();
    pressKeys(mainWindow, "F12");
    // Spots gather on both films while the crystal turns.
    int rotationNow = rotationBefore, weissenbergNow = weissenbergBefore;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < 20) {
        rotationNow = screenshot(rotation).colouredPixels();
        weissenbergNow = screenshot(weissenberg).colouredPixels();
        if (rotationNow > rotationBefore + 50 && weissenbergNow > weissenbergBefore + 50) break;
        sleepMs(200);
    }
    EXPECT_GT(rotationNow, rotationBefore + 50);
    EXPECT_GT(weissenbergNow, weissenbergBefore + 50);

    expectF11StopsTheSpin(mainWindow, mainWindow, "");
}

// Keys typed in a film window act as in the main window: F11 there stops the spin.
TEST_F(Commands, F11TypedInAFilmWindowStopsTheSpin) {
    pressKeys(mainWindow, "F7");
    const unsigned long rotation = waitForWindow("Drehkristallaufnahme");
    ASSERT_NE(rotation, 0u);
    const Screenshot before = settledScreenshot(mainWindow);
    ASSERT_TRUE(drawn(before));
    pressKeys(mainWindow, "F12");
    ASSERT_TRUE(waitForPicture(mainWindow, before, true)) << "the spin did not start";

    expectF11StopsTheSpin(rotation, mainWindow, " in the film");
}

// The main window at the screen's top left corner, the two films beside it as F7 and 0 open
// them: all three whole on the screen, none over another.
TEST_F(Commands, TheThreeWindowsSitSideBySide) {
    pressKeys(mainWindow, "F7");
    const unsigned long rotation = waitForWindow("Drehkristallaufnahme");
    ASSERT_NE(rotation, 0u);
    pressKeys(mainWindow, "0");
    const unsigned long weissenberg = waitForWindow("Weissenberg 0. Schicht");
    ASSERT_NE(weissenberg, 0u);
    const Geometry screen = displayGeometry();
    ASSERT_GT(screen.width, 0);
    struct Placed {
        const char* name;
        Geometry g;
    };
    const Placed windows[] = {{"main", windowGeometry(mainWindow)},
                              {"rotation", windowGeometry(rotation)},
                              {"Weissenberg", windowGeometry(weissenberg)}};
    EXPECT_EQ(windows[0].g.x, 0);
    EXPECT_EQ(windows[0].g.y, 0);
    for (const Placed& w : windows) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(w.g.width, 520);
        EXPECT_EQ(w.g.height, 520);
        EXPECT_GE(w.g.x, 0);
        EXPECT_GE(w.g.y, 0);
        EXPECT_LE(w.g.x + w.g.width, screen.width);
        EXPECT_LE(w.g.y + w.g.height, screen.height);
    }
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) {
            const Geometry &a = windows[i].g, &b = windows[j].g;
            const bool apart = a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y ||
                               b.y + b.height <= a.y;
            EXPECT_TRUE(apart) << windows[i].name << " and " << windows[j].name << " overlap";
        }
    // Each shows its own picture: the films their cross on white, the main window the scene.
    EXPECT_TRUE(drawn(settledScreenshot(rotation)));
    EXPECT_TRUE(drawn(settledScreenshot(weissenberg)));
}

TEST_F(Commands, MenuEntriesActOnce) {
    // "Achsen ein/aus(x)": the axes go, and come back with the second choice.
    const Screenshot start = settledScreenshot(mainWindow);
    ASSERT_TRUE(drawn(start));
    ASSERT_TRUE(chooseMenuEntry(mainWindow, 13));
    EXPECT_TRUE(waitForPicture(mainWindow, start, true)) << "the axes did not go";
    ASSERT_TRUE(chooseMenuEntry(mainWindow, 13));
    EXPECT_TRUE(waitForPicture(mainWindow, start, false)) << "the axes did not come back";

    // "Rotationsaufnahme (Drehkristall)(F7)".
    ASSERT_TRUE(chooseMenuEntry(mainWindow, 7));
    EXPECT_NE(waitForWindow("Drehkristallaufnahme"), 0u);
}

TEST_F(Commands, MenuQuitEndsWithStatusZero) {
    ASSERT_TRUE(chooseMenuEntry(mainWindow, kMenuRows - 1));
    ASSERT_TRUE(waitForExit(program));
    EXPECT_EQ(program.exitStatus, 0);
}

TEST_F(Commands, LeftDragTurnsThePicture) {
    const Screenshot before = settledScreenshot(mainWindow);
    ASSERT_TRUE(drawn(before));
    mouseMove(mainWindow, 200, 260);
    mouseDown(1);
    for (int x = 210; x <= 300; x += 10) mouseMove(mainWindow, x, 260 + (x - 200) / 4);
    mouseUp(1);
    EXPECT_TRUE(waitForPicture(mainWindow, before, true)) << "the drag did not change the picture";
}

TEST_F(Commands, QuitAfterFilmWindowsCameAndWentEndsWithStatusZero) {
    pressKeys(mainWindow, "F8");
    ASSERT_NE(waitForWindow("Weissenberg 0. Schicht"), 0u);
    pressKeys(mainWindow, "F7");
    ASSERT_NE(waitForWindow("Drehkristallaufnahme"), 0u);
    ASSERT_TRUE(waitForNoWindow("Weissenberg 0. Schicht"));
    pressKeys(mainWindow, "F8");
    ASSERT_NE(waitForWindow("Weissenberg 0. Schicht"), 0u);
    pressKeys(mainWindow, "q");
    ASSERT_TRUE(waitForExit(program));
    EXPECT_EQ(program.exitStatus, 0) << stderrText(program);
}

TEST_F(Commands, EscapeEndsWithStatusZero) {
    pressKeys(mainWindow, "Escape");
    ASSERT_TRUE(waitForExit(program));
    EXPECT_EQ(program.exitStatus, 0);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
