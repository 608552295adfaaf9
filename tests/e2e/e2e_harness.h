// Harness of the end-to-end tests: the built program started as a user starts it, on the
// virtual X server named by DISPLAY, driven by real X input events through xdotool.
#pragma once

#include <string>
#include <vector>

// Path of the built program.
const char* programPath();

// Output of a shell command (stdout), and its exit status through *status when given.
std::string shell(const std::string& command, int* status = nullptr);

struct RunningProgram {
    int pid = -1;
    int stdoutFd = -1;
    std::string out;        // stdout collected so far
    std::string errPath;    // file that receives stderr
    bool exited = false;
    int exitStatus = -1;    // exit code once exited; 128+signal when killed by a signal
};

// Starts the program with the given arguments (argv[0] is programPath() unless argv0 is given).
RunningProgram startProgram(const std::vector<std::string>& args, const std::string& argv0 = "");

// Reads what the program wrote so far (non-blocking) and notes whether it ended.
void poll(RunningProgram& p);

// Waits until stdout contains `text`; false on timeout or when the program ended first.
bool waitForOutput(RunningProgram& p, const std::string& text, double seconds = 10);

// Waits for the program to end; false on timeout.
bool waitForExit(RunningProgram& p, double seconds = 10);

// Kills the program if it still runs and collects it.
void stopProgram(RunningProgram& p);

// Everything the program wrote to stderr.
std::string stderrText(const RunningProgram& p);

// X window id of the visible window whose title is exactly `title`, 0 on timeout.
unsigned long waitForWindow(const std::string& title, double seconds = 10);
// Waits until no visible window has this exact title; false on timeout.
bool waitForNoWindow(const std::string& title, double seconds = 10);
// Window id now (0 if none), no waiting.
unsigned long findWindow(const std::string& title);

// Focuses the window and presses the keys (xdotool key names, e.g. "Return", "shift+a").
void pressKeys(unsigned long window, const std::string& keys);

// Window geometry in root coordinates.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};
Geometry windowGeometry(unsigned long window);
// The screen's size (x and y 0); width and height 0 when it cannot be read.
Geometry displayGeometry();

// Rows of the main window's pop-up menu, dividers included; the last is "Beenden (q,ESC)".
constexpr int kMenuRows = 18;
// Height, in the menu window `menu`, of the middle of row `row` (0 = top): kMenuRows equal
// rows inside a 2-pixel border.
int menuRowY(const Geometry& menu, int row);

// Real mouse actions at window-relative positions.
void mouseMove(unsigned long window, int x, int y);
void mouseDown(int button);
void mouseUp(int button);
void click(unsigned long window, int x, int y, int button);

// Screenshot of one window as RGB rows, top row first.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    bool valid() const { return width > 0 && height > 0; }
    void pixel(int x, int y, int& r, int& g, int& b) const;
    // Pixels that are neither white, black nor grey (any channel differs from another by > 40).
    int colouredPixels() const;
};
Screenshot screenshot(unsigned long window);

// Starts the program with arguments it refuses and checks the refusal as a user meets it:
// the box "Eingabefehler" and neither the help box nor the main window; Return on the box
// ends the program with status 1; stdout begins with the greeting and `line` (the console
// line, which the box shows too) and holds `named` (a file name, say) when it is given;
// nothing on stderr. The program is gone afterwards. Failures name the command line.
void expectRefused(const std::vector<std::string>& args, const std::string& line, const std::string& named = "");

// Starts the program with the arguments, waits for the help box "Hinweis", closes it with a
// real Return key press and waits for the main window "Reziprokes Gitter"; returns its id (0 on failure).
unsigned long startToMainWindow(RunningProgram& p, const std::vector<std::string>& args);
