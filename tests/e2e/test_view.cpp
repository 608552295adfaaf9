// The main window of the real program: the aspect line at its first show, and the scene
// on screen (lattice planes, axes, balls and the Ewald sphere in colour on white).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_harness.h"

TEST(MainWindow, FirstShowPrintsTheAspectLineAndDrawsTheScene) {
    RunningProgram p;
    const unsigned long window = startToMainWindow(p, {"5", "5", "5", "90", "90", "90", "1.5418"});
    ASSERT_NE(window, 0u) << p.out;
    EXPECT_TRUE(waitForOutput(p, "New aspect ratio: 520:520 = 1.000000\n")) << p.out;

    // The first frame may still be on its way: poll for coloured pixels with a deadline.
    Screenshot shot;
    for (int attempt = 0; attempt < 50; ++attempt) {
        shot = screenshot(window);
        if (shot.valid() && shot.colouredPixels() > 2000) break;
        poll(p);
    }
    ASSERT_TRUE(shot.valid());
    EXPECT_GT(shot.colouredPixels(), 2000);
    int white = 0;
    for (size_t i = 0; i + 2 < shot.rgb.size(); i += 3)
        white += shot.rgb[i] > 250 && shot.rgb[i + 1] > 250 && shot.rgb[i + 2] > 250;
    EXPECT_GT(white, shot.width * shot.height / 4) << "the background is white";
    EXPECT_EQ(stderrText(p), "");
    stopProgram(p);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
