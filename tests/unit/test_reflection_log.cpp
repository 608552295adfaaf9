// The reflection log: appending in order, the exact capacity, clearing.
#include <gtest/gtest.h>

#include "model/reflection_log.h"

TEST(ReflectionLog, AppendsInOrderStopsAtCapacityAndClears) {
    ReflectionLog log;
    appendReflection(log, 1, -2, 3, 0.5, -0.25);
    ASSERT_EQ(log.count(), 1);
    EXPECT_EQ(log.logH[0], 1);
    EXPECT_EQ(log.logK[0], -2);
    EXPECT_EQ(log.logL[0], 3);
    EXPECT_EQ(log.logAngle[0], 0.5);
    EXPECT_EQ(log.filmOrdinate[0], -0.25);

    for (int i = 1; i < kLogCapacity; ++i) appendReflection(log, i % 7, 0, 0, 1.0, 0.0);
    ASSERT_EQ(log.count(), kLogCapacity);
    const int lastH = log.logH[kLogCapacity - 1];
    appendReflection(log, 99, 99, 99, 2.0, 0.0);  // full: nothing is written
    EXPECT_EQ(log.count(), kLogCapacity);
    EXPECT_EQ(log.logH[kLogCapacity - 1], lastH);

    clearReflectionLog(log);
    EXPECT_EQ(log.count(), 0);
    appendReflection(log, 5, 5, 5, 0.0, 0.0);
    EXPECT_EQ(log.logH[0], 5);
}
