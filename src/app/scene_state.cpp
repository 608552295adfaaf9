// The one instance of the scene state and of the reflection log, and the log's two operations.
#include "app/scene_state.h"

SceneState scene;
ReflectionLog reflectionLog;

void appendReflection(ReflectionLog& log, int h, int k, int l, double angle) {
    if (log.logCount < 0 || log.logCount >= kLogCapacity) return;
    const int i = log.logCount;
    log.logH[i] = h;
    log.logK[i] = k;
    log.logL[i] = l;
    log.logAngle[i] = angle;
    log.logCount = i + 1;
}

void clearReflectionLog(ReflectionLog& log) { log.logCount = 0; }
