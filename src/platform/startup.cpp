// Start-up before the event loop: greeting, toolkit, command line (or the usage error),
// echo of the values, wavelength, space group, reciprocal basis, help box; then the main
// window "Reziprokes Gitter" with its handlers, session and pop-up menu.
#include "platform/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/app.h"
#include "platform/message_box.h"
#include "platform/windows.h"
#include "session/command_line.h"
#include "session/start.h"
#include "session/user_texts.h"

namespace {

// Too few values: tell the user how to start the program, then end with status 0.
[[noreturn]] void failUsage(const char* programName) {
    const char* const boxFormat = "Bitte von der Eingabe-Aufforderung mit '%s a b c alpha beta gamma lambda' starten.";
    std::vector<char> text(static_cast<size_t>(std::snprintf(nullptr, 0, boxFormat, programName)) + 1);
    std::snprintf(text.data(), text.size(), boxFormat, programName);
    showMessageBox(text.data(), "SHUTDOWN ERROR", kMbOk | kMbIconError);
    std::printf("Bitte mit '%s a b c alpha beta gamma lambda' starten\n", programName);
    std::exit(0);
}

}  // namespace

namespace {

// A value or file the program cannot use: the box and the same line on the console, then
// the end with status 1, before any main window exists.
[[noreturn]] void failInput(const std::string& message, bool box) {
    if (box) showMessageBox(message.c_str(), "Eingabefehler", kMbOk | kMbIconError);
    std::printf("%s\n", message.c_str());
    std::exit(1);
}

}  // namespace

Session sessionFromRequest(const StartRequest& request) {
    StartedSession started = startSession(request);
    for (const std::string& line : started.console) std::printf("%s\n", line.c_str());
    return std::move(started.session);
}

StartRequest readArguments(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return readStartRequest(args);
}

void startProgram(int* argc, char** argv) {
    // Each console line reaches a pipe as soon as it is written.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);

    std::printf("Hallo!\n");

    glutInit(argc, argv);
    // Closing a window through the window manager is decided by its close callback.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);

    const StartRequest request = readArguments(*argc, argv);
    if (request.kind == StartRequest::Kind::usage) failUsage(argv[0]);
    if (request.kind == StartRequest::Kind::error) failInput(request.error, true);

    app.session = sessionFromRequest(request);

    showMessageBox(kHelpText, "Hinweis", kMbOk | kMbIconInformation);

    openMainWindow();
}

void openMainWindow() {
    createMainWindow();
    glutCreateMenu(onMenu);
    for (const MenuEntry& entry : kMenuEntries) glutAddMenuEntry(entry.caption, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}
