// From a start request to the running session: the crystal of the request and the console
// lines that report what was read (the values, lambda, the space group, the reciprocal cell,
// the file's block, a cut index range). Every front end prints these lines the same way.
#pragma once

#include <string>
#include <vector>

#include "session/command_line.h"
#include "session/session.h"

struct StartedSession {
    Session session;
    std::vector<std::string> console;  // lines without the newline
};

// The session of a request of kind run.
StartedSession startSession(const StartRequest& request);
