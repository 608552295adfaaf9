// The log as CSV text.
#include "render/log_table.h"

#include <cstdio>

#include "render/film_spots.h"

namespace {

void appendPair(std::string& out, bool has, float x, float y) {
    char text[64];
    if (has) std::snprintf(text, sizeof text, ",%.6f,%.6f", static_cast<double>(x), static_cast<double>(y));
    else std::snprintf(text, sizeof text, ",,");
    out += text;
}

}  // namespace

std::string reflectionLogCsv(const Session& s) {
    std::string out = "h,k,l,kristallwinkel_grad,drehkristall_x,drehkristall_y,weissenberg_x,weissenberg_y\n";
    const ReflectionLog& log = s.log;
    const FilmRedraw redraw = filmRedrawForReading(s);
    out.reserve(out.size() + static_cast<size_t>(log.count()) * 64);
    for (int i = 0; i < log.count(); ++i) {
        char text[96];
        std::snprintf(text, sizeof text, "%d,%d,%d,%.6f", log.logH[i], log.logK[i], log.logL[i],
                      log.logAngle[i] * 180.0 / kPi);
        out += text;
        float x = 0, y = 0;
        const bool onRotation = rotationSpotPosition(log, i, redraw, &x, &y);
        appendPair(out, onRotation, x, y);
        const bool onWeissenberg = weissenbergSpotPosition(log, i, redraw, &x, &y);
        appendPair(out, onWeissenberg, x, y);
        out += '\n';
    }
    return out;
}
