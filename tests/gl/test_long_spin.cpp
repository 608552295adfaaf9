// A long spin in the real windows with both films fed, until the reflection log is full and
// well beyond: the memory stays flat, the films keep drawing, and the time a spin step takes
// at a full log is printed (a figure, not a check).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header does not come with this compiler).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "gl/gl_harness.h"
#include "platform/app.h"
#include "platform/windows.h"

namespace {

int rotationRedraws = 0;
int weissenbergRedraws = 0;
void countingRotationPhoto() {
    ++rotationRedraws;
    drawRotationPhoto();
}
void countingWeissenbergPhoto() {
    ++weissenbergRedraws;
    drawWeissenbergPhoto();
}

// Resident size of this process in bytes.
long residentBytes() {
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return -1;
    const int n = std::fscanf(f, "%ld %ld", &pages, &resident);
    std::fclose(f);
    return n == 2 ? resident * sysconf(_SC_PAGESIZE) : -1;
}

// One step of the spin as the toolkit runs it: the idle callback, then turns of the toolkit
// until the main window and both films have redrawn. False if they did not within ten
// seconds (at a full log of four million entries a step takes some 70 ms here).
bool spinStep() {
    const int main = mainRedrawCount(), rotation = rotationRedraws, weissenberg = weissenbergRedraws;
    onIdleSpin();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        glutMainLoopEvent();
        if (mainRedrawCount() > main && rotationRedraws > rotation && weissenbergRedraws > weissenberg) return true;
    }
    return false;
}

// Bytes the program holds on the heap, where the sanitizer can tell: its freed memory waits
// in quarantine for a while, so the resident size alone says little in that build.
long heapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<long>(__sanitizer_get_current_allocated_bytes());
#else
    return -1;
#endif
}

struct Memory {
    long resident;  // bytes
    long heap;      // bytes; -1 where not known
};
Memory memoryNow() { return {residentBytes(), heapBytes()}; }

// The heap where the sanitizer tells it, else the resident size, grows by less than a few
// MB. In the sanitizer build the resident size is only a figure: each frame's freed
// geometry waits in the quarantine, which fills up to its own limit whatever the program holds.
void expectFlat(const Memory& before, const Memory& after, const char* phase) {
    constexpr double kMb = 1024.0 * 1024.0;
    ASSERT_GT(before.resident, 0);
    const double resident = static_cast<double>(after.resident - before.resident) / kMb;
    std::printf("long spin, %s: resident %.1f MB, %+.2f MB", phase, static_cast<double>(before.resident) / kMb,
                resident);
    if (before.heap >= 0) {
        const double heap = static_cast<double>(after.heap - before.heap) / kMb;
        std::printf("; heap %+.2f MB", heap);
        EXPECT_LT(heap, 2.0) << "the heap grows " << phase;
    } else {
        EXPECT_LT(resident, 4.0) << "memory grows " << phase;
    }
    std::printf("\n");
}

double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

TEST(LongSpin, FullLogAndBeyondKeepsMemoryFlatAndTheFilmsDrawing) {
    resetScene();
    // Both films beside the main window, counted at every redraw.
    onSpecialKey(GLUT_KEY_F7, 0, 0);
    const int rotation = app.rotationWindow;
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F8, 0, 0);
    const int weissenberg = app.weissenbergWindow;
    ASSERT_NE(rotation, 0);
    ASSERT_NE(weissenberg, 0);
    struct Placement {
        int window;
        void (*display)();
        int x, y;
    };
    for (const Placement& p : {Placement{rotation, countingRotationPhoto, 536, 0},
                               Placement{weissenberg, countingWeissenbergPhoto, 1072, 0}}) {
        glutSetWindow(p.window);
        glutDisplayFunc(p.display);
        glutPositionWindow(p.x, p.y);
        glutReshapeWindow(400, 400);
    }
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F12, 0, 0);
    // The wire Ewald sphere costs some 50 ms a redraw here, the same at any log; it is
    // switched off (F4) for the long run and on again for the last figure.
    onSpecialKey(GLUT_KEY_F4, 0, 0);
    pumpEvents(100);
    ASSERT_EQ(app.session.rotationOpen, 1);
    ASSERT_EQ(app.session.weissenbergOpen, 1);

    // Real reflections of some turns, repeated until the log is nearly full; the spin
    // itself then fills the rest.
    int steps = 0;
    const auto smallLogStart = std::chrono::steady_clock::now();
    while (app.session.log.count() < 2000 && steps < 1200) {
        ASSERT_TRUE(spinStep()) << "step " << steps;
        ++steps;
    }
    const double perStepSmallLog = secondsSince(smallLogStart) / steps;
    const int seen = app.session.log.count();
    ASSERT_GT(seen, 0);
    const int prefill = kLogCapacity - 400;
    ReflectionLog& log = app.session.log;
    for (int i = seen; i < prefill; ++i) {
        const int from = i % seen;
        appendReflection(log, log.logH[from], log.logK[from], log.logL[from], log.logAngle[from],
                         log.filmOrdinate[from]);
    }
    steps = 0;
    while (app.session.log.count() < kLogCapacity && steps < 2000) {
        ASSERT_TRUE(spinStep()) << "step " << steps << " at log " << app.session.log.count();
        ++steps;
    }
    ASSERT_EQ(app.session.log.count(), kLogCapacity) << "the spin did not fill the log";

    // Settle: the film arrays reach their full size at the first redraws of a full log.
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(spinStep());
    const int rotationPoints = colouredPixels(readPicture(rotation));
    const int weissenbergPoints = colouredPixels(readPicture(weissenberg));
    EXPECT_GT(rotationPoints, 100) << "the rotation film shows the log";
    EXPECT_GT(weissenbergPoints, 100) << "the Weissenberg film shows the log";
    const Picture mainAtFull = readPicture(app.mainWindow);
    const Memory atFull = memoryNow();

    // Well beyond: the log stays full, both films follow every step and keep their picture,
    // while the crystal turns on in the main window.
    constexpr int kBeyond = 120;
    const int rotationBefore = rotationRedraws, weissenbergBefore = weissenbergRedraws;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kBeyond; ++i) {
        ASSERT_TRUE(spinStep()) << "step " << i << " beyond the full log";
        ASSERT_EQ(app.session.log.count(), kLogCapacity);
        ASSERT_EQ(app.session.rotationOpen, 1) << "step " << i;
        ASSERT_EQ(app.session.weissenbergOpen, 1) << "step " << i;
    }
    const double perStep = secondsSince(start) / kBeyond;
    expectFlat(atFull, memoryNow(), "after the log is full");
    EXPECT_GE(rotationRedraws - rotationBefore, kBeyond);
    EXPECT_GE(weissenbergRedraws - weissenbergBefore, kBeyond);
    EXPECT_EQ(colouredPixels(readPicture(rotation)), rotationPoints);
    EXPECT_EQ(colouredPixels(readPicture(weissenberg)), weissenbergPoints);
    EXPECT_NE(readPicture(app.mainWindow).rgb, mainAtFull.rgb) << "the main window stands still";

    // After a wavelength step the rotation film keeps its earlier points as traces: the
    // picture it keeps between redraws must not grow either, and the traces spread.
    glutSetWindow(app.mainWindow);
    testing::internal::CaptureStdout();
    onKeyboard('L', 0, 0);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(app.session.lambdaEdited, 1);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(spinStep());
    const Memory edited = memoryNow();
    const int tracesBefore = colouredPixels(readPicture(rotation));
    constexpr int kTraced = 60;
    for (int i = 0; i < kTraced; ++i) {
        ASSERT_TRUE(spinStep()) << "step " << i << " with traces";
        ASSERT_EQ(app.session.rotationOpen, 1) << "step " << i;
        ASSERT_EQ(app.session.weissenbergOpen, 1) << "step " << i;
    }
    expectFlat(edited, memoryNow(), "with traces on the rotation film");
    EXPECT_GT(colouredPixels(readPicture(rotation)), tracesBefore) << "the traces do not spread";

    // The same step with the wire sphere shown, as the program starts.
    glutSetWindow(app.mainWindow);
    onSpecialKey(GLUT_KEY_F4, 0, 0);
    const auto sphereStart = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(spinStep());
    const double perStepWithSphere = secondsSince(sphereStart) / 20;

    std::printf("long spin: %.1f ms a step with a small log, %.1f ms at a full log (main window and both "
                "films, wire sphere off), %.1f ms at a full log with the wire sphere shown\n",
                perStepSmallLog * 1000, perStep * 1000, perStepWithSphere * 1000);
}
