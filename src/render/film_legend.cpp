// Legend and scales of the two films as overlay geometry and text.
#include "render/film_legend.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/film_geometry.h"
#include "render/pointer_label.h"

namespace {

constexpr double kLinePixels = 15;     // text line height
constexpr double kMarginPixels = 6;    // from the film's edge to the box, and inside the box
constexpr double kSwatchPixels = 7;    // colour sample: a square point
constexpr double kTickPixels = 6;      // scale ticks at the film's bottom edge
constexpr double kLabelGapPixels = 34; // least distance between two layer labels
constexpr double kBoxWidthPixels = 190;

struct Row {
    const char* text;
    Rgba colour;
    bool swatch;  // false: a line of text only
};

// Film coordinates of a distance in pixels along x and along y.
struct PixelScale {
    double x, y;
};

std::shared_ptr<Geometry> geometryOf(Primitive primitive, std::vector<float> positions, std::vector<float> colours) {
    auto g = std::make_shared<Geometry>();
    g->primitive = primitive;
    g->positionSize = 2;
    g->colourSize = 3;
    g->count = static_cast<int>(positions.size() / 2);
    g->positions = std::move(positions);
    g->colours = std::move(colours);
    return g;
}

void addItem(Frame& frame, std::shared_ptr<Geometry> g, float pointSize = 1.0f) {
    DrawItem item;
    item.geometry = std::move(g);
    item.pointSize = pointSize;
    frame.overlay.push_back(std::move(item));
}

void addRect(std::vector<float>& xy, std::vector<float>& rgb, double x0, double y0, double x1, double y1,
             const Rgba& c) {
    const double corners[6][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y0}, {x1, y1}, {x0, y1}};
    for (const auto& p : corners) {
        xy.insert(xy.end(), {static_cast<float>(p[0]), static_cast<float>(p[1])});
        rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
}

void addLine(std::vector<float>& xy, double x0, double y0, double x1, double y1) {
    xy.insert(xy.end(), {static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
                         static_cast<float>(y1)});
}

std::vector<float> black(size_t vertices) {
    std::vector<float> rgb(3 * vertices, 0.0f);
    return rgb;
}

// The colour code in a white box with a black frame at the top left.
void addColourKey(Frame& frame, const PixelScale& px, const std::vector<Row>& rows) {
    const double left = -1 + kMarginPixels * px.x, top = 1 - kMarginPixels * px.y;
    const double right = left + kBoxWidthPixels * px.x;
    const double bottom = top - (static_cast<double>(rows.size()) * kLinePixels + kMarginPixels) * px.y;
    std::vector<float> boxXy, boxRgb;
    addRect(boxXy, boxRgb, left, bottom, right, top, kWhite);
    addItem(frame, geometryOf(Primitive::triangles, std::move(boxXy), std::move(boxRgb)));
    std::vector<float> frameXy;
    addLine(frameXy, left, bottom, right, bottom);
    addLine(frameXy, right, bottom, right, top);
    addLine(frameXy, right, top, left, top);
    addLine(frameXy, left, top, left, bottom);
    addItem(frame, geometryOf(Primitive::lines, frameXy, black(frameXy.size() / 2)));

    std::vector<float> swatchXy, swatchRgb;
    for (size_t i = 0; i < rows.size(); ++i) {
        const double baseline = top - (static_cast<double>(i + 1) * kLinePixels) * px.y;
        const double textX = left + (rows[i].swatch ? 2 * kMarginPixels + kSwatchPixels : kMarginPixels) * px.x;
        if (rows[i].swatch) {
            const double cx = left + (kMarginPixels + kSwatchPixels / 2) * px.x;
            const double cy = baseline + 4 * px.y;
            swatchXy.insert(swatchXy.end(), {static_cast<float>(cx), static_cast<float>(cy)});
            swatchRgb.insert(swatchRgb.end(), {rows[i].colour.r, rows[i].colour.g, rows[i].colour.b});
        }
        frame.texts.push_back({rows[i].text, textX, baseline, kBlack, TextAlign::left});
    }
    addItem(frame, geometryOf(Primitive::points, std::move(swatchXy), std::move(swatchRgb)),
            static_cast<float>(kSwatchPixels));
}

// A row per line of a colour table, then the rest.
std::vector<Row> tableRows(const ColourTable& table) {
    static const char* const names[2][2] = {{"h = -1", "h = +1"}, {"k = -1", "k = +1"}};
    std::vector<Row> rows;
    for (const PlaneColour& row : table.rows) {
        const int index = row.index == MillerIndex::h ? 0 : 1;
        rows.push_back({names[index][row.value > 0 ? 1 : 0], row.colour, true});
    }
    rows.push_back({"alle anderen", table.other, true});
    return rows;
}

// Ticks up from the bottom edge at the given abscissae, each with its text above it.
void addBottomScale(Frame& frame, const PixelScale& px, const std::vector<double>& xs,
                    const std::vector<std::string>& texts) {
    std::vector<float> ticks;
    for (size_t i = 0; i < xs.size(); ++i) {
        addLine(ticks, xs[i], -1, xs[i], -1 + kTickPixels * px.y);
        // Texts at the film's edges stay inside it.
        TextAlign align = TextAlign::centre;
        if (xs[i] - 20 * px.x < -1) align = TextAlign::left;
        if (xs[i] + 20 * px.x > 1) align = TextAlign::right;
        frame.texts.push_back({texts[i], xs[i], -1 + (kTickPixels + 3) * px.y, kBlack, align});
    }
    addItem(frame, geometryOf(Primitive::lines, ticks, black(ticks.size() / 2)));
}

void addRotationLegend(const Session& s, Frame& frame, const PixelScale& px) {
    addColourKey(frame, px, tableRows(kRotationColours));
    const FilmRedraw redraw = filmRedrawForReading(s);
    std::vector<double> xs;
    std::vector<std::string> texts;
    double lastX = -2;
    // Layers that meet the limiting sphere, from left to right on the film (c*_z may be negative).
    std::vector<std::pair<double, int>> lines;
    const int layers = indexRange(s.crystal, std::fabs(s.ewaldDiameter)).l;
    for (int l = -layers; l <= layers; ++l) {
        double x = 0;
        if (layerLineAbscissa(redraw, l, &x) && std::fabs(x) <= 1) lines.push_back({x, l});
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& [x, l] : lines) {
        // Labels too close to the last one are left out; the equator is always named.
        if (l != 0 && x - lastX < kLabelGapPixels * px.x) continue;
        if (!xs.empty() && x - lastX < kLabelGapPixels * px.x) {
            xs.pop_back();
            texts.pop_back();
        }
        xs.push_back(x);
        texts.push_back("l = " + std::to_string(l));
        lastX = x;
    }
    addBottomScale(frame, px, xs, texts);
}

void addWeissenbergLegend(Frame& frame, const PixelScale& px) {
    std::vector<Row> rows = tableRows(kWeissenbergColours);
    rows.push_back({"h = k = 0: wie der Punkt davor", kBlack, false});
    addColourKey(frame, px, rows);
    std::vector<double> xs;
    std::vector<std::string> texts;
    for (int degrees = -180; degrees <= 180; degrees += 45) {
        xs.push_back(weissenbergAbscissa(radians(degrees)));
        texts.push_back(std::to_string(degrees) + "\u00b0");
    }
    addBottomScale(frame, px, xs, texts);
}

}  // namespace

bool layerLineAbscissa(const FilmRedraw& redraw, int l, double* x) {
    // u_z = h a*_z + k b*_z + l c*_z is the same for every h, k only when a*_z = b*_z = 0,
    // up to rounding of the turns (relative to the basis's length).
    const double scale = length(redraw.aStarRot) + length(redraw.bStarRot) + length(redraw.cStarRot);
    const double tolerance = 1e-9 * scale;
    if (!(std::fabs(redraw.aStarRot.z) <= tolerance && std::fabs(redraw.bStarRot.z) <= tolerance)) return false;
    *x = rotationAbscissa(l * redraw.cStarRot.z, redraw.filmRadius);
    return std::isfinite(*x);
}

void addFilmLegend(const Session& s, Film film, Frame& frame) {
    if (s.showLegend == 0 || frame.width <= 0 || frame.height <= 0) return;
    const PixelScale px{2.0 / frame.width, 2.0 / frame.height};
    if (film == Film::rotation) addRotationLegend(s, frame, px);
    else addWeissenbergLegend(frame, px);
}

Frame decoratedFrame(const Session& s, const Film* film, Frame frame, const std::string& label, int pointerX,
                     int pointerY) {
    if (film) addFilmLegend(s, *film, frame);
    addPointerLabel(frame, label, pointerX, pointerY);
    return frame;
}
