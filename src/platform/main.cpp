// Entry point of weissenberg: the desktop program, or without any window the usage text
// (--help) and the headless export (--export).
#include <GL/freeglut.h>

#include <cstdio>
#include <utility>

#include "platform/export.h"
#include "platform/startup.h"

namespace {
// --help and --export: no toolkit, as there may be no display at all.
int runWithoutWindow(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    const StartRequest request = readArguments(argc, argv);
    if (request.kind == StartRequest::Kind::help) {
        std::printf("%s", usageText(argv[0]).c_str());
        return 0;
    }
    if (request.kind != StartRequest::Kind::run) {
        std::printf("%s\n", request.kind == StartRequest::Kind::error ? request.error.c_str()
                                                                       : usageText(argv[0]).c_str());
        return 1;
    }
    std::printf("Hallo!\n");
    Session session = sessionFromRequest(request);
    return runExport(std::move(session), request.exportOptions);
}
}  // namespace

int main(int argc, char** argv) {
    if (runsWithoutWindow(argc, argv)) return runWithoutWindow(argc, argv);
    startProgram(&argc, argv);
    glutMainLoop();
    return 0;
}
