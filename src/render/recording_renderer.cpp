// The recording back end.
#include "render/recording_renderer.h"

namespace {
// p' = M p for a point (w = 1), with the perspective divide (1 for the orthographic box).
Vec3 transformPoint(const Mat4& m, double x, double y, double z) {
    const double w = m[3] * x + m[7] * y + m[11] * z + m[15];
    return {(m[0] * x + m[4] * y + m[8] * z + m[12]) / w, (m[1] * x + m[5] * y + m[9] * z + m[13]) / w,
            (m[2] * x + m[6] * y + m[10] * z + m[14]) / w};
}
}  // namespace

std::vector<RecordedItem> recordFrame(const Frame& frame) {
    std::vector<RecordedItem> out;
    for (const DrawItem& item : frame.items) {
        if (!item.geometry) continue;
        const Geometry& g = *item.geometry;
        RecordedItem r;
        r.primitive = g.primitive;
        r.lit = frame.lighting && item.lit;
        r.kept = g.kept;
        r.pointSize = item.pointSize;
        r.lineWidth = item.lineWidth;
        const Mat4 m = multiply(frame.projection, item.modelview);
        const size_t n = static_cast<size_t>(g.count);
        const size_t ps = static_cast<size_t>(g.positionSize);
        const size_t cs = static_cast<size_t>(g.colourSize);
        for (size_t i = 0; i < n; ++i) {
            const double z = ps == 3 ? g.positions[ps * i + 2] : 0.0;
            r.picture.push_back(transformPoint(m, g.positions[ps * i], g.positions[ps * i + 1], z));
            if (g.colours.empty()) {
                r.colours.push_back(item.colour);
            } else {
                r.colours.push_back({g.colours[cs * i], g.colours[cs * i + 1], g.colours[cs * i + 2],
                                     cs == 4 ? g.colours[cs * i + 3] : 1.0f});
            }
        }
        out.push_back(std::move(r));
    }
    return out;
}
