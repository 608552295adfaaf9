// The modal message box, built on the toolkit itself: a small window titled with the
// caption, an error or information icon, the text lines and one OK button. It runs its
// own event loop and returns only after the box is closed (OK, Return, Space, Escape or
// the window manager's close request) and its window is gone.
#include "platform/message_box.h"

#include "model/vec3.h"
#include "render/frame.h"

#include <GL/freeglut.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---- layout, in pixels ------------------------------------------------------------
void* const kFont = GLUT_BITMAP_HELVETICA_12;
constexpr int kMargin = 16;       // border around icon, text and button
constexpr int kIconSize = 32;     // diameter of the icon's circle
constexpr int kIconGap = 14;      // between icon and text
constexpr int kLineHeight = 18;   // baseline to baseline
constexpr int kTextAscent = 12;   // baseline below the top of a text line
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kButtonGap = 16;    // between text and button

// ---- keys that close the box -------------------------------------------------------
constexpr unsigned char kCloseKeys[] = {'\r', '\n', ' ', 27};

// ---- the one box that is open --------------------------------------------------------
struct Box {
    int window = 0;               // toolkit id of the box window
    std::vector<std::string> lines;
    bool errorIcon = false;       // true: red circle with a cross; false: blue circle with an "i"
    int width = 0, height = 0;    // window size
    int buttonX = 0, buttonY = 0; // top-left corner of the OK button (y from the top)
    bool buttonPressed = false;   // left button went down on OK and is still held
    bool done = false;            // closed by the user
    bool closedByWindowManager = false;  // the toolkit destroyed the window itself
    bool destroyRequested = false;       // the box's window is gone, or goes at the end of this turn
};
Box box;

std::vector<std::string> splitLines(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') lines.emplace_back();
        else lines.back() += *p;
    }
    return lines;
}

int textWidth(const std::string& line) {
    return glutBitmapLength(kFont, reinterpret_cast<const unsigned char*>(line.c_str()));
}

void drawText(int x, int baseline, const std::string& line) {
    glRasterPos2i(x, baseline);
    glutBitmapString(kFont, reinterpret_cast<const unsigned char*>(line.c_str()));
}

void fillRect(int x, int y, int w, int h) { glRecti(x, y, x + w, y + h); }

void fillCircle(double cx, double cy, double r) {
    glBegin(GL_TRIANGLE_FAN);
    glVertex2d(cx, cy);
    for (int i = 0; i <= 48; ++i) {
        const double t = 2.0 * kPi * i / 48.0;
        glVertex2d(cx + r * std::cos(t), cy + r * std::sin(t));
    }
    glEnd();
}

void drawIcon(int x, int y) {
    const double r = kIconSize / 2.0, cx = x + r, cy = y + r;
    if (box.errorIcon) {
        glColor3d(0.80, 0.10, 0.10);
        fillCircle(cx, cy, r);
        glColor3d(1.0, 1.0, 1.0);
        glLineWidth(3.5f);
        glBegin(GL_LINES);
        glVertex2d(cx - 7, cy - 7);
        glVertex2d(cx + 7, cy + 7);
        glVertex2d(cx + 7, cy - 7);
        glVertex2d(cx - 7, cy + 7);
        glEnd();
        glLineWidth(1.0f);
    } else {
        glColor3d(0.15, 0.35, 0.80);
        fillCircle(cx, cy, r);
        glColor3d(1.0, 1.0, 1.0);
        fillRect(static_cast<int>(cx) - 2, static_cast<int>(cy) - 10, 4, 4);  // dot of the "i"
        fillRect(static_cast<int>(cx) - 2, static_cast<int>(cy) - 3, 4, 13);  // stem of the "i"
    }
}

void drawButton() {
    const int x = box.buttonX, y = box.buttonY;
    glColor3d(0.25, 0.25, 0.25);
    fillRect(x, y, kButtonWidth, kButtonHeight);
    const double face = box.buttonPressed ? 0.78 : 0.88;
    glColor3d(face, face, face);
    fillRect(x + 1, y + 1, kButtonWidth - 2, kButtonHeight - 2);
    glColor3d(0.0, 0.0, 0.0);
    const std::string label = "OK";
    drawText(x + (kButtonWidth - textWidth(label)) / 2, y + kButtonHeight / 2 + 4, label);
}

void drawMessageBox() {
    glViewport(0, 0, box.width, box.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, box.width, box.height, 0, -1, 1);  // pixels, y from the top
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);

    glClearColor(0.94f, 0.94f, 0.94f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    drawIcon(kMargin, kMargin);
    glColor3d(0.0, 0.0, 0.0);
    const int textX = kMargin + kIconSize + kIconGap;
    for (size_t i = 0; i < box.lines.size(); ++i)
        drawText(textX, kMargin + kTextAscent + static_cast<int>(i) * kLineHeight, box.lines[i]);
    drawButton();
    glutSwapBuffers();
}

void onMessageBoxReshape(int width, int height) {
    box.width = width;
    box.height = height;
    box.buttonX = (width - kButtonWidth) / 2;
    box.buttonY = height - kMargin - kButtonHeight;
}

void onMessageBoxKey(unsigned char key, int, int) {
    for (unsigned char closeKey : kCloseKeys)
        if (key == closeKey) box.done = true;
}

bool onButton(int x, int y) {
    return x >= box.buttonX && x < box.buttonX + kButtonWidth && y >= box.buttonY && y < box.buttonY + kButtonHeight;
}

void onMessageBoxMouse(int button, int state, int x, int y) {
    if (button != GLUT_LEFT_BUTTON) return;
    if (state == GLUT_DOWN) {
        box.buttonPressed = onButton(x, y);
    } else {
        if (box.buttonPressed && onButton(x, y)) box.done = true;
        box.buttonPressed = false;
    }
    glutPostRedisplay();
}

// The window manager's close request: the toolkit destroys the window after this call.
void onMessageBoxClose() {
    box.done = true;
    box.closedByWindowManager = true;
}

// Destroys the box unless the window manager closed it in the same turn of the toolkit. It
// runs from a timer, after the turn's input: a close request in that input destroys the
// window at once, and destroying it here as well would destroy it twice.
void destroyUnlessClosed(int) {
    if (!box.closedByWindowManager) glutDestroyWindow(box.window);
    box.destroyRequested = true;
}

}  // namespace

void showMessageBox(const char* text, const char* caption, int style) {
    box = Box{};
    // The toolkit's bitmap fonts hold Latin-1: a message with umlauts (a CIF file's error, say)
    // is turned into it, so that "größer" does not come out as two odd signs per letter.
    box.lines = splitLines(latin1FromUtf8(text).c_str());
    box.errorIcon = (style & kMbIconError) == kMbIconError && (style & kMbIconInformation) != kMbIconInformation;

    int textWidthMax = 0;
    for (const std::string& line : box.lines)
        if (textWidth(line) > textWidthMax) textWidthMax = textWidth(line);
    const int textHeight = static_cast<int>(box.lines.size()) * kLineHeight;
    const int contentHeight = textHeight > kIconSize ? textHeight : kIconSize;
    int width = kMargin + kIconSize + kIconGap + textWidthMax + kMargin;
    if (width < kButtonWidth + 2 * kMargin) width = kButtonWidth + 2 * kMargin;
    const int height = kMargin + contentHeight + kButtonGap + kButtonHeight + kMargin;

    // The box must not change what the next window is created with, nor how a window
    // manager's close request is handled afterwards.
    const int previousWindow = glutGetWindow();
    const int previousMode = glutGet(GLUT_INIT_DISPLAY_MODE);
    const int previousX = glutGet(GLUT_INIT_WINDOW_X), previousY = glutGet(GLUT_INIT_WINDOW_Y);
    const int previousWidth = glutGet(GLUT_INIT_WINDOW_WIDTH), previousHeight = glutGet(GLUT_INIT_WINDOW_HEIGHT);
    const int previousCloseAction = glutGet(GLUT_ACTION_ON_WINDOW_CLOSE);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

    const int screenWidth = glutGet(GLUT_SCREEN_WIDTH), screenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(width, height);
    if (screenWidth > width && screenHeight > height)
        glutInitWindowPosition((screenWidth - width) / 2, (screenHeight - height) / 2);
    box.window = glutCreateWindow(latin1FromUtf8(caption).c_str());
    onMessageBoxReshape(width, height);
    glutDisplayFunc(drawMessageBox);
    glutReshapeFunc(onMessageBoxReshape);
    glutKeyboardFunc(onMessageBoxKey);
    glutMouseFunc(onMessageBoxMouse);
    glutCloseFunc(onMessageBoxClose);

    glutInitDisplayMode(static_cast<unsigned int>(previousMode));
    glutInitWindowSize(previousWidth, previousHeight);
    glutInitWindowPosition(previousX, previousY);

    while (!box.done) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    // The toolkit runs the timer after the turn's input and removes a destroyed window at the
    // end of that same turn.
    glutTimerFunc(0, destroyUnlessClosed, 0);
    while (!box.destroyRequested) glutMainLoopEvent();
    box.window = 0;

    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, previousCloseAction);
    if (previousWindow != 0) glutSetWindow(previousWindow);
}
