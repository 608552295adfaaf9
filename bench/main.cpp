// weissenberg-bench: the figures of the Ewald scan, of the film coordinates, of the redraws
// in real windows and of the spot lookup, then tables side by side with the targets. Runs under an X
// server (bench/run.sh starts a virtual one). Google Benchmark's options apply, e.g.
// --benchmark_filter=scan or --benchmark_repetitions=3.
#include <GL/freeglut.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "bench.h"

namespace {

// The machine the figures come from: processor, cores, and the OpenGL renderer.
void printMachine() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, model = "unknown processor";
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    }
    const auto text = [](GLenum name) {
        const GLubyte* value = glGetString(name);
        return value != nullptr ? reinterpret_cast<const char*>(value) : "?";
    };
    std::printf("Machine: %s, %u cores; OpenGL: %s, %s\n", model.c_str(), std::thread::hardware_concurrency(),
                text(GL_RENDERER), text(GL_VERSION));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    setUpWindows(&argc, argv);
    printMachine();
    const int steps = fillLogBySpin();
    std::printf("Logs: the start crystal spun from its start orientation with both films open, each step "
                "logged as the program logs it: %d entries after %d steps of 0.3 degrees; the smaller log is its "
                "first %d entries\n",
                app.session.log.count(), steps, kTargetLogEntries);
    std::fflush(stdout);

    registerScanBenchmarks();
    registerFilmCoordsBenchmarks();
    registerRedrawBenchmarks();
    registerSpotLookupBenchmarks();
    runBenchmarks();

    printScanSummary();
    printFilmCoordsSummary();
    printRedrawSummary();
    printSpotLookupSummary();
    printTargets();
    std::fflush(stdout);

    // The toolkit destroys the windows at exit and runs their close callbacks; the main
    // window's would end the process through the quit command.
    glutSetWindow(app.mainWindow);
    glutCloseFunc(nullptr);
    return 0;
}
