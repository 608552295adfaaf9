// The reflection log's two operations.
#include "model/reflection_log.h"

void appendReflection(ReflectionLog& log, int h, int k, int l, double angle, double ordinate) {
    if (log.count() >= kLogCapacity) return;
    log.logH.push_back(h);
    log.logK.push_back(k);
    log.logL.push_back(l);
    log.logAngle.push_back(angle);
    log.filmOrdinate.push_back(ordinate);
    ++log.revision;
}

void clearReflectionLog(ReflectionLog& log) {
    log.logH.clear();
    log.logK.clear();
    log.logL.clear();
    log.logAngle.clear();
    log.filmOrdinate.clear();
    ++log.revision;
}
