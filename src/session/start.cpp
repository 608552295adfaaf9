// The session of a start request and the console lines that report it.
#include "session/start.h"

#include <cstdio>
#include <memory>

#include "session/commands.h"

namespace {

// "%f" of a huge value (a cell edge of 1e300 is allowed) runs to hundreds of digits.
std::string printed(const char* format, double v) {
    std::string text(static_cast<size_t>(std::snprintf(nullptr, 0, format, v)) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, v);
    text.pop_back();
    return text;
}

}  // namespace

StartedSession startSession(const StartRequest& request) {
    StartedSession started;
    std::vector<std::string>& lines = started.console;
    std::string values;
    for (double v : request.echo) values += printed("%f ", v);
    lines.push_back(values);
    lines.push_back(printed(" Lambda: %f", request.lambda));
    lines.push_back("SPGN " + std::to_string(request.spaceGroup.number));
    if (request.nameGroup) lines.push_back("Raumgruppe " + request.spaceGroup.hm);

    const double* cell = request.cell;
    Crystal crystal = makeCrystal(cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], request.spaceGroup);
    if (request.cif) crystal.intensities = std::make_shared<const Intensities>(*request.cif);
    const ReciprocalCell& r = crystal.reciprocal;
    lines.push_back(printed("%f ", r.aLen) + printed("%f ", r.bLen) + printed("%f   ", r.cLen) +
                    printed("%f ", r.alphaStar) + printed("%f ", r.betaStar) + printed("%f", r.gammaStar));
    if (request.cif) lines.push_back("CIF-Datei " + request.cifPath + ", Datenblock " + request.cif->blockName);
    started.session = newSession(crystal, request.lambda);
    const std::string cut = rangeCutLine(started.session);
    if (!cut.empty()) lines.push_back(cut);
    const std::string hidden = hiddenLatticePointsLine(started.session);
    if (!hidden.empty()) lines.push_back(hidden);
    return started;
}
