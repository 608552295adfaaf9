// Start-up of the real program: console lines, the help box before the main window and
// every way of closing it, the space-group argument, and the usage error.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>
#include <vector>

#include "e2e/e2e_harness.h"

// After gtest: Xlib defines macros (None, Bool) that collide with gtest's names.
#include <X11/Xlib.h>

namespace {

const std::vector<std::string> kCubicCell = {"5", "5", "5", "90", "90", "90", "1.5418"};

std::string cellLine(const std::string& lastValues) {
    return "5.000000 5.000000 5.000000 90.000000 90.000000 90.000000 1.541800 " + lastValues + "\n";
}

// Sends the window manager's close request (WM_DELETE_WINDOW) to an X window. There is no
// window manager on the test's X server, so the test plays its part; libX11 is loaded at
// run time because the test programs link no X library.
bool sendWindowManagerClose(unsigned long window) {
    void* x11 = dlopen("libX11.so.6", RTLD_NOW);
    if (!x11) return false;
    using OpenDisplay = Display* (*)(const char*);
    using InternAtom = Atom (*)(Display*, const char*, int);
    using SendEvent = int (*)(Display*, Window, int, long, XEvent*);
    using DisplayOnly = int (*)(Display*);
    OpenDisplay openDisplay;
    InternAtom internAtom;
    SendEvent sendEvent;
    DisplayOnly flush, closeDisplay;
    void* symbol = dlsym(x11, "XOpenDisplay");
    std::memcpy(&openDisplay, &symbol, sizeof symbol);
    symbol = dlsym(x11, "XInternAtom");
    std::memcpy(&internAtom, &symbol, sizeof symbol);
    symbol = dlsym(x11, "XSendEvent");
    std::memcpy(&sendEvent, &symbol, sizeof symbol);
    symbol = dlsym(x11, "XFlush");
    std::memcpy(&flush, &symbol, sizeof symbol);
    symbol = dlsym(x11, "XCloseDisplay");
    std::memcpy(&closeDisplay, &symbol, sizeof symbol);
    Display* display = openDisplay ? openDisplay(nullptr) : nullptr;
    if (!display || !internAtom || !sendEvent || !flush || !closeDisplay) return false;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = internAtom(display, "WM_PROTOCOLS", 0);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(internAtom(display, "WM_DELETE_WINDOW", 0));
    event.xclient.data.l[1] = CurrentTime;
    sendEvent(display, window, 0, NoEventMask, &event);
    flush(display);
    closeDisplay(display);
    return true;
}

// Pixels of the box's icon colour: blue for information, red for an error.
int bluePixels(const Screenshot& s) {
    int n = 0;
    for (size_t i = 0; i + 2 < s.rgb.size(); i += 3)
        if (s.rgb[i + 2] > s.rgb[i] + 80) ++n;
    return n;
}
int redPixels(const Screenshot& s) {
    int n = 0;
    for (size_t i = 0; i + 2 < s.rgb.size(); i += 3)
        if (s.rgb[i] > s.rgb[i + 2] + 80) ++n;
    return n;
}

// The box as drawn: waits until its icon shows (a new window is black until its first redraw).
Screenshot drawnBox(unsigned long box) {
    Screenshot shot;
    for (int attempt = 0; attempt < 100; ++attempt) {
        shot = screenshot(box);
        if (shot.valid() && (bluePixels(shot) > 0 || redPixels(shot) > 0)) break;
    }
    return shot;
}

// Ends the program and waits until the X server has dropped its windows, so that the next
// start sees none of them.
void stopAndForget(RunningProgram& p) {
    stopProgram(p);
    EXPECT_TRUE(waitForNoWindow("Reziprokes Gitter"));
    EXPECT_TRUE(waitForNoWindow("Hinweis"));
    EXPECT_TRUE(waitForNoWindow("SHUTDOWN ERROR"));
}

}  // namespace

TEST(Startup, ConsoleLinesThenHelpBoxThenMainWindowOnReturn) {
    RunningProgram p = startProgram(kCubicCell);
    const unsigned long box = waitForWindow("Hinweis", 15);
    ASSERT_NE(box, 0u);
    const std::string lines = std::string("Hallo!\n") + cellLine("") +
                              " Lambda: 1.541800\n"
                              "SPGN 1\n"
                              "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796\n";
    ASSERT_TRUE(waitForOutput(p, "1.570796 1.570796 1.570796\n"));
    EXPECT_EQ(p.out, lines);
    EXPECT_EQ(findWindow("Reziprokes Gitter"), 0u);

    const Screenshot shot = drawnBox(box);
    ASSERT_TRUE(shot.valid());
    EXPECT_GT(bluePixels(shot), 200);  // the information icon
    EXPECT_EQ(redPixels(shot), 0);

    pressKeys(box, "Return");
    const unsigned long mainWindow = waitForWindow("Reziprokes Gitter", 15);
    ASSERT_NE(mainWindow, 0u);
    EXPECT_TRUE(waitForNoWindow("Hinweis"));
    // 520 x 520 at the screen's top left corner, wholly on the screen: its screenshot is whole.
    const Geometry g = windowGeometry(mainWindow);
    EXPECT_EQ(g.width, 520);
    EXPECT_EQ(g.height, 520);
    EXPECT_EQ(g.x, 0);
    EXPECT_EQ(g.y, 0);
    const Screenshot whole = screenshot(mainWindow);
    EXPECT_EQ(whole.width, 520);
    EXPECT_EQ(whole.height, 520);
    poll(p);
    EXPECT_EQ(p.out.rfind(lines, 0), 0u) << p.out;
    EXPECT_FALSE(p.exited) << stderrText(p);
    stopAndForget(p);
}

TEST(Startup, HelpBoxClosesEveryWayButNotOnAClickBesideOk) {
    struct Way {
        const char* name;
        void (*close)(unsigned long box);
    };
    const Way ways[] = {
        {"click on OK",
         [](unsigned long box) {
             const Geometry g = windowGeometry(box);
             click(box, 20, 20, 1);  // on the icon: the box stays
             EXPECT_EQ(waitForWindow("Reziprokes Gitter", 0.5), 0u);
             EXPECT_EQ(findWindow("Hinweis"), box);
             click(box, g.width / 2, g.height - 16 - 13, 1);  // the middle of OK
         }},
        {"Space", [](unsigned long box) { pressKeys(box, "space"); }},
        {"Escape", [](unsigned long box) { pressKeys(box, "Escape"); }},
        {"window manager", [](unsigned long box) { ASSERT_TRUE(sendWindowManagerClose(box)); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        RunningProgram p = startProgram(kCubicCell);
        const unsigned long box = waitForWindow("Hinweis", 15);
        ASSERT_NE(box, 0u);
        way.close(box);
        EXPECT_NE(waitForWindow("Reziprokes Gitter", 15), 0u);
        EXPECT_EQ(findWindow("Hinweis"), 0u);
        poll(p);
        EXPECT_FALSE(p.exited) << stderrText(p);
        stopAndForget(p);
    }
}

TEST(Startup, ClosingTheMainWindowThroughTheWindowManagerEndsWithStatusZero) {
    RunningProgram p;
    const unsigned long mainWindow = startToMainWindow(p, kCubicCell);
    ASSERT_NE(mainWindow, 0u);
    ASSERT_TRUE(sendWindowManagerClose(mainWindow));
    ASSERT_TRUE(waitForExit(p, 15));
    EXPECT_EQ(p.exitStatus, 0) << stderrText(p);
    stopAndForget(p);
}

TEST(Startup, SpaceGroupArgument) {
    struct Case {
        const char* argument;
        const char* echoed;
        const char* spaceGroup;
    };
    const Case cases[] = {
        {"14", "14.000000 ", "SPGN 14\n"},
        {"14.7", "14.700000 ", "SPGN 14\n"},
        {"-3.9", "-3.900000 ", "SPGN -3\n"},
        {"Pbca", "61.000000 ", "SPGN 61\nRaumgruppe P b c a\n"},
        {"1e30", "1000000000000000019884624838656.000000 ", "SPGN 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.argument);
        std::vector<std::string> args = kCubicCell;
        args.push_back(c.argument);
        args.push_back("99");  // a ninth argument is ignored
        RunningProgram p = startProgram(args);
        ASSERT_TRUE(waitForOutput(p, "1.570796 1.570796 1.570796\n", 15)) << stderrText(p);
        EXPECT_EQ(p.out, std::string("Hallo!\n") + cellLine(c.echoed) + " Lambda: 1.541800\n" + c.spaceGroup +
                             "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796\n");
        stopAndForget(p);
    }
}

// The toolkit takes its own options out before the values are counted and read.
TEST(Startup, ToolkitOptionsAreNotValues) {
    std::vector<std::string> args = {"-geometry", "300x200+40+30"};
    args.insert(args.end(), kCubicCell.begin(), kCubicCell.end());
    RunningProgram p = startProgram(args);
    ASSERT_TRUE(waitForOutput(p, "1.570796 1.570796 1.570796\n", 15)) << p.out << stderrText(p);
    EXPECT_EQ(p.out, "Hallo!\n" + cellLine("") + " Lambda: 1.541800\nSPGN 1\n" +
                         "0.200000 0.200000 0.200000   1.570796 1.570796 1.570796\n");
    stopAndForget(p);
}

TEST(Startup, TooFewArgumentsShowTheErrorBoxAndEndWithStatusZero) {
    const std::string name = "./weissenberg-as-typed";
    RunningProgram p = startProgram({"5", "5", "5", "90", "90", "90"}, name);
    const unsigned long box = waitForWindow("SHUTDOWN ERROR", 15);
    ASSERT_NE(box, 0u);
    poll(p);
    EXPECT_EQ(p.out, "Hallo!\n");
    EXPECT_EQ(findWindow("Reziprokes Gitter"), 0u);
    const Screenshot shot = drawnBox(box);
    ASSERT_TRUE(shot.valid());
    EXPECT_GT(redPixels(shot), 200);  // the error icon
    EXPECT_EQ(bluePixels(shot), 0);

    pressKeys(box, "Return");
    ASSERT_TRUE(waitForExit(p, 15));
    EXPECT_EQ(p.exitStatus, 0) << stderrText(p);
    EXPECT_EQ(p.out, "Hallo!\nBitte mit '" + name + " a b c alpha beta gamma lambda' starten\n");
    EXPECT_EQ(findWindow("Reziprokes Gitter"), 0u);
    EXPECT_EQ(findWindow("Hinweis"), 0u);
    stopAndForget(p);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
