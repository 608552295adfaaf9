// The reference table of the first thirteen numbers: hand-picked reflections and agreement
// with gemmi over a cube of indices; numbers without rows have no conditions in it.
#include <gemmi/symmetry.hpp>
#include <gtest/gtest.h>

#include <climits>

#include "unit/legacy_conditions.h"

TEST(ReflectionConditions, HandPickedReflections) {
    struct Case {
        int group, h, k, l, absent;
    };
    const Case cases[] = {
        {4, 0, 1, 0, 1},    {4, 0, 1, 1, 0},   {4, 1, 1, 0, 0},  {4, 0, 2, 0, 0},
        {5, 1, 2, 3, 1},    {5, 1, 0, 0, 1},   {5, 1, 1, 0, 0},  {5, 2, 0, 1, 0},
        {7, 1, 0, 2, 1},    {7, 2, 0, 1, 0},
        {9, 2, 0, 1, 1},    {9, 1, 1, 1, 0},
        {14, 0, 0, 1, 1},   {14, 2, 0, 1, 1},  {14, 1, 0, 2, 0}, {14, 0, 0, 2, 0},
        {19, -1, 0, 0, 1},  {19, 1, 1, 0, 0},
        {61, 0, 1, 2, 1},   {61, 1, 1, 1, 0},
        {146, 1, 0, 0, 1},  {146, 1, 1, 0, 0}, {146, 0, 1, 2, 0}, {146, -1, 0, 2, 0}, {146, 2, 0, -1, 0},
        {146, -2, 0, 0, 1}, {146, 0, 0, -1, 1},  // negative sums not multiples of 3
    };
    for (const Case& c : cases)
        EXPECT_EQ(isAbsent(c.h, c.k, c.l, c.group), c.absent)
            << "group " << c.group << " hkl " << c.h << " " << c.k << " " << c.l;
}

// gemmi's settings that carry exactly the conditions of each supported number.
TEST(ReflectionConditions, AgreeWithGemmiOverAllIndicesUpTo20) {
    struct Setting {
        int group;
        const char* name;
    };
    const Setting settings[] = {
        {4, "P 1 21 1"},   {5, "C 1 2 1"},   {7, "P 1 a 1"},      {8, "C 1 m 1"},     {9, "C 1 c 1"},
        {11, "P 1 21/m 1"}, {12, "C 1 2/m 1"}, {13, "P 1 2/a 1"}, {14, "P 1 21/c 1"}, {15, "C 1 2/c 1"},
        {19, "P 21 21 21"}, {61, "P b c a"},  {146, "R 3:H"},
    };
    for (const Setting& s : settings) {
        const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(s.name);
        ASSERT_NE(sg, nullptr) << s.name;
        ASSERT_EQ(sg->number, s.group) << s.name;
        const gemmi::GroupOps ops = sg->operations();
        int mismatches = 0, absences = 0;
        for (int h = -20; h <= 20; ++h)
            for (int k = -20; k <= 20; ++k)
                for (int l = -20; l <= 20; ++l) {
                    const bool expected = ops.is_systematically_absent({{h, k, l}});
                    absences += expected ? 1 : 0;
                    if ((isAbsent(h, k, l, s.group) != 0) != expected && ++mismatches <= 5)
                        ADD_FAILURE() << s.name << " hkl " << h << " " << k << " " << l << " gemmi says "
                                      << (expected ? "absent" : "allowed");
                }
        EXPECT_EQ(mismatches, 0) << s.name;
        EXPECT_GT(absences, 0) << s.name;
    }
}

TEST(ReflectionConditions, NumbersWithoutConditionsNeverAbsent) {
    const int groups[] = {0, -1, -14, 1, 2, 3, 6, 10, 16, 18, 20, 60, 62, 145, 147, 230, 231, 100000};
    for (int g : groups)
        for (int h = -3; h <= 3; ++h)
            for (int k = -3; k <= 3; ++k)
                for (int l = -3; l <= 3; ++l)
                    EXPECT_EQ(isAbsent(h, k, l, g), 0) << "group " << g << " hkl " << h << " " << k << " " << l;
    // No index overflows, whatever int it is given.
    EXPECT_EQ(isAbsent(INT_MIN, INT_MAX, INT_MAX, 146), isAbsent(INT_MIN % 3, INT_MAX % 3, INT_MAX % 3, 146));
    EXPECT_EQ(isAbsent(INT_MAX, INT_MAX, 0, 5), 0);
}
