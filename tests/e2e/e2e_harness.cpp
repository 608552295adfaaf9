// End-to-end harness: process control, stdout collection, xdotool and screenshots.
#include "e2e/e2e_harness.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {
double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'') q += "'\\''";
        else q += c;
    }
    return q + "'";
}
int counter = 0;
}  // namespace

const char* programPath() { return WEISSENBERG_EXE; }

std::string shell(const std::string& command, int* status) {
    std::string out;
    FILE* f = popen(command.c_str(), "r");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    const int st = pclose(f);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

RunningProgram startProgram(const std::vector<std::string>& args, const std::string& argv0) {
    RunningProgram p;
    int fds[2];
    if (pipe(fds) != 0) return p;
    p.errPath = "/tmp/weissenberg_e2e_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".err";
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        const int err = open(p.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        close(fds[0]);
        close(fds[1]);
        std::vector<std::string> all;
        all.push_back(argv0.empty() ? std::string(programPath()) : argv0);
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(programPath(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    p.pid = pid;
    p.stdoutFd = fds[0];
    return p;
}

void poll(RunningProgram& p) {
    if (p.stdoutFd >= 0) {
        char buf[4096];
        ssize_t n;
        while ((n = read(p.stdoutFd, buf, sizeof buf)) > 0) p.out.append(buf, static_cast<size_t>(n));
    }
    if (!p.exited && p.pid > 0) {
        int st = 0;
        if (waitpid(p.pid, &st, WNOHANG) == p.pid) {
            p.exited = true;
            p.exitStatus = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
            // collect the rest of stdout
            char buf[4096];
            ssize_t n;
            while ((n = read(p.stdoutFd, buf, sizeof buf)) > 0) p.out.append(buf, static_cast<size_t>(n));
        }
    }
}

bool waitForOutput(RunningProgram& p, const std::string& text, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        poll(p);
        if (p.out.find(text) != std::string::npos) return true;
        if (p.exited) return false;
        sleepMs(20);
    }
    return false;
}

bool waitForExit(RunningProgram& p, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        poll(p);
        if (p.exited) return true;
        sleepMs(20);
    }
    return false;
}

void stopProgram(RunningProgram& p) {
    poll(p);
    if (!p.exited && p.pid > 0) {
        kill(p.pid, SIGKILL);
        int st = 0;
        waitpid(p.pid, &st, 0);
        p.exited = true;
        p.exitStatus = 128 + SIGKILL;
    }
    if (p.stdoutFd >= 0) {
        close(p.stdoutFd);
        p.stdoutFd = -1;
    }
}

std::string stderrText(const RunningProgram& p) {
    std::ifstream f(p.errPath);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

unsigned long findWindow(const std::string& title) {
    const std::string out = shell("xdotool search --onlyvisible --name " + quote("^" + title + "$") + " 2>/dev/null");
    std::istringstream in(out);
    unsigned long id = 0;
    in >> id;
    return id;
}

unsigned long waitForWindow(const std::string& title, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        if (unsigned long id = findWindow(title)) return id;
        sleepMs(50);
    }
    return 0;
}

bool waitForNoWindow(const std::string& title, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (secondsSince(start) < seconds) {
        if (findWindow(title) == 0) return true;
        sleepMs(50);
    }
    return false;
}

void pressKeys(unsigned long window, const std::string& keys) {
    shell("xdotool windowfocus --sync " + std::to_string(window) + " key --delay 30 " + keys + " 2>/dev/null");
}

Geometry windowGeometry(unsigned long window) {
    Geometry g;
    const std::string out = shell("xdotool getwindowgeometry --shell " + std::to_string(window) + " 2>/dev/null");
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X") g.x = value;
        else if (key == "Y") g.y = value;
        else if (key == "WIDTH") g.width = value;
        else if (key == "HEIGHT") g.height = value;
    }
    return g;
}

Geometry displayGeometry() {
    Geometry g;
    std::istringstream(shell("xdotool getdisplaygeometry 2>/dev/null")) >> g.width >> g.height;
    return g;
}

int menuRowY(const Geometry& menu, int row) {
    return static_cast<int>(2 + (menu.height - 4) / static_cast<double>(kMenuRows) * (row + 0.5));
}

void mouseMove(unsigned long window, int x, int y) {
    shell("xdotool mousemove --sync --window " + std::to_string(window) + " " + std::to_string(x) + " " +
          std::to_string(y) + " 2>/dev/null");
}
void mouseDown(int button) { shell("xdotool mousedown " + std::to_string(button) + " 2>/dev/null"); }
void mouseUp(int button) { shell("xdotool mouseup " + std::to_string(button) + " 2>/dev/null"); }
void click(unsigned long window, int x, int y, int button) {
    mouseMove(window, x, y);
    shell("xdotool click " + std::to_string(button) + " 2>/dev/null");
}

void Screenshot::pixel(int x, int y, int& r, int& g, int& b) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    r = rgb[i];
    g = rgb[i + 1];
    b = rgb[i + 2];
}

int Screenshot::colouredPixels() const {
    int n = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        const int r = rgb[i], g = rgb[i + 1], b = rgb[i + 2];
        const int hi = std::max(r, std::max(g, b)), lo = std::min(r, std::min(g, b));
        if (hi - lo > 40) ++n;
    }
    return n;
}

Screenshot screenshot(unsigned long window) {
    Screenshot s;
    const std::string ppm = shell("import -window " + std::to_string(window) + " -depth 8 ppm:- 2>/dev/null");
    // binary PPM: "P6\n<w> <h>\n<max>\n" then the pixels
    std::istringstream in(ppm);
    std::string magic;
    int w = 0, h = 0, maxv = 0;
    in >> magic >> w >> h >> maxv;
    if (magic != "P6" || w <= 0 || h <= 0 || maxv != 255) return s;
    in.get();
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * 3;
    const size_t offset = static_cast<size_t>(in.tellg());
    if (ppm.size() < offset + bytes) return s;
    s.width = w;
    s.height = h;
    s.rgb.assign(ppm.begin() + static_cast<long>(offset), ppm.begin() + static_cast<long>(offset + bytes));
    return s;
}

void expectRefused(const std::vector<std::string>& args, const std::string& line, const std::string& named) {
    std::string commandLine;
    for (const std::string& a : args) commandLine += " '" + a + "'";
    SCOPED_TRACE("command line" + commandLine + ", console line " + line);
    RunningProgram p = startProgram(args);
    const unsigned long box = waitForWindow("Eingabefehler", 15);
    if (box == 0) {
        poll(p);
        stopProgram(p);
        FAIL() << "no box \"Eingabefehler\"; stdout:\n" << p.out << "stderr:\n" << stderrText(p);
    }
    EXPECT_EQ(findWindow("Hinweis"), 0u);
    EXPECT_EQ(findWindow("Reziprokes Gitter"), 0u);
    pressKeys(box, "Return");
    const bool ended = waitForExit(p, 15);
    stopProgram(p);
    ASSERT_TRUE(ended) << "still running after Return on the box";
    EXPECT_EQ(p.exitStatus, 1);
    EXPECT_EQ(p.out.rfind("Hallo!\n" + line, 0), 0u) << p.out;
    if (!named.empty()) {
        EXPECT_NE(p.out.find(named), std::string::npos) << p.out;
    }
    EXPECT_EQ(stderrText(p), "");
}

unsigned long startToMainWindow(RunningProgram& p, const std::vector<std::string>& args) {
    p = startProgram(args);
    const unsigned long box = waitForWindow("Hinweis", 15);
    if (box == 0) return 0;
    pressKeys(box, "Return");
    return waitForWindow("Reziprokes Gitter", 15);
}
