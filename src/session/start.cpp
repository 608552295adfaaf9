// The session of a start request and the console lines that report it.
#include "session/start.h"

#include <memory>

#include "session/commands.h"

StartedSession startSession(const StartRequest& request) {
    StartedSession started;
    std::vector<std::string>& lines = started.console;
    std::string values;
    for (double v : request.echo) values += formatted("%f ", v);
    lines.push_back(values);
    lines.push_back(formatted(" Lambda: %f", request.lambda));
    lines.push_back("SPGN " + std::to_string(request.spaceGroup.number));
    if (request.nameGroup) lines.push_back("Raumgruppe " + request.spaceGroup.hm);

    const double* cell = request.cell;
    Crystal crystal = makeCrystal(cell[0], cell[1], cell[2], cell[3], cell[4], cell[5], request.spaceGroup);
    if (request.cif) crystal.intensities = std::make_shared<const Intensities>(*request.cif);
    const ReciprocalCell& r = crystal.reciprocal;
    lines.push_back(formatted("%f ", r.aLen) + formatted("%f ", r.bLen) + formatted("%f   ", r.cLen) +
                    formatted("%f ", r.alphaStar) + formatted("%f ", r.betaStar) + formatted("%f", r.gammaStar));
    if (request.cif) lines.push_back("CIF-Datei " + request.cifPath + ", Datenblock " + request.cif->blockName);
    started.session = newSession(crystal, request.lambda);
    const std::string cut = rangeCutLine(started.session);
    if (!cut.empty()) lines.push_back(cut);
    const std::string hidden = hiddenLatticePointsLine(started.session);
    if (!hidden.empty()) lines.push_back(hidden);
    return started;
}
