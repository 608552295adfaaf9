// Space groups by number, symbol and operations, and their precomputed absences: against
// gemmi's own absence test for every setting gemmi knows, and against the program's own
// table of conditions for the numbers that had conditions before.
#include <gemmi/symmetry.hpp>
#include <gtest/gtest.h>

#include <climits>

#include "unit/legacy_conditions.h"
#include "model/space_group.h"

namespace {

// Counts (and reports the first few) reflections with |h|, |k|, |l| <= n where our
// absences and gemmi's operations disagree.
int mismatchesWithGemmi(const Absences& absences, const gemmi::GroupOps& ops, int n, const std::string& name) {
    int mismatches = 0;
    for (int h = -n; h <= n; ++h)
        for (int k = -n; k <= n; ++k)
            for (int l = -n; l <= n; ++l) {
                const bool expected = ops.is_systematically_absent({{h, k, l}});
                if (absences.isAbsent(h, k, l) != expected && ++mismatches <= 3)
                    ADD_FAILURE() << name << " hkl " << h << " " << k << " " << l << " gemmi: "
                                  << (expected ? "absent" : "allowed");
            }
    return mismatches;
}

const int kKeptNumbers[] = {4, 5, 7, 8, 9, 11, 12, 13, 14, 15, 19, 61, 146};

}  // namespace

// Every number 1..230 names a setting of that number whose absences are gemmi's, up to 12.
TEST(SpaceGroup, EveryNumberAgreesWithGemmi) {
    for (int n = 1; n <= 230; ++n) {
        const SpaceGroupChoice choice = spaceGroupFromNumber(n);
        ASSERT_EQ(choice.number, n);
        const gemmi::SpaceGroup* sg = gemmi::find_spacegroup_by_name(choice.hm);
        ASSERT_NE(sg, nullptr) << n << " " << choice.hm;
        EXPECT_EQ(sg->number, n) << choice.hm;
        EXPECT_EQ(std::string(sg->hall), choice.hall) << choice.hm;
        EXPECT_EQ(mismatchesWithGemmi(Absences(choice), sg->operations(), 12, choice.hm), 0);
    }
}

// The numbers with conditions before keep their results exactly; the others up to 230 take
// gemmi's first listed setting (origin choice 1, hexagonal axes).
TEST(SpaceGroup, NumbersKeepTheirSettings) {
    for (int n : kKeptNumbers) {
        const Absences absences(spaceGroupFromNumber(n));
        int mismatches = 0;
        for (int h = -12; h <= 12; ++h)
            for (int k = -12; k <= 12; ++k)
                for (int l = -12; l <= 12; ++l)
                    if (absences.isAbsent(h, k, l) != (isAbsent(h, k, l, n) != 0) && ++mismatches <= 3)
                        ADD_FAILURE() << n << " hkl " << h << " " << k << " " << l;
        EXPECT_EQ(mismatches, 0) << n;
    }
    struct Case {
        int number;
        const char* hm;
    };
    const Case cases[] = {
        {1, "P 1"},          {4, "P 1 21 1"},   {7, "P 1 a 1"},         {13, "P 1 2/a 1"},
        {14, "P 1 21/c 1"},  {61, "P b c a"},   {146, "R 3:H"},         {136, "P 42/m n m"},
        {225, "F m -3 m"},   {227, "F d -3 m:1"}, {229, "I m -3 m"},    {167, "R -3 c:H"},
    };
    for (const Case& c : cases) EXPECT_EQ(spaceGroupFromNumber(c.number).hm, c.hm) << c.number;
    // Centring absences from numbers that had none before.
    EXPECT_TRUE(Absences(spaceGroupFromNumber(225)).isAbsent(1, 0, 0));
    EXPECT_FALSE(Absences(spaceGroupFromNumber(225)).isAbsent(2, 0, 0));
    EXPECT_TRUE(Absences(spaceGroupFromNumber(229)).isAbsent(1, 0, 0));
    EXPECT_TRUE(Absences(spaceGroupFromNumber(227)).isAbsent(2, 0, 0));  // d glide: 0kl with k + l = 4n only
}

// A number outside 1..230 keeps its value and selects no conditions, as it always did.
TEST(SpaceGroup, NumbersOutsideTheTablesSelectNoConditions) {
    for (int n : {0, -1, -14, 231, 100000, INT_MIN, INT_MAX}) {
        const SpaceGroupChoice choice = spaceGroupFromNumber(n);
        EXPECT_EQ(choice.number, n);
        EXPECT_TRUE(choice.hall.empty()) << n;
        const Absences absences(choice);
        EXPECT_FALSE(absences.hasConditions()) << n;
        for (int h = -3; h <= 3; ++h)
            for (int k = -3; k <= 3; ++k)
                for (int l = -3; l <= 3; ++l) EXPECT_FALSE(absences.isAbsent(h, k, l)) << n;
    }
    EXPECT_FALSE(Absences().isAbsent(1, 0, 0));
}

TEST(SpaceGroup, Symbols) {
    struct Case {
        const char* text;
        double alpha, gamma;  // cell angles, degrees; 0: not given
        int number;
        const char* hm;
    };
    const Case cases[] = {
        {"P21/c", 0, 0, 14, "P 1 21/c 1"},
        {"P 1 21/c 1", 0, 0, 14, "P 1 21/c 1"},
        {"  p21/a ", 0, 0, 14, "P 1 21/a 1"},
        {"P2_1/n", 0, 0, 14, "P 1 21/n 1"},
        {"-P 2ybc", 0, 0, 14, "P 1 21/c 1"},  // Hall
        {"Fm-3m", 0, 0, 225, "F m -3 m"},
        {"F d -3 m", 0, 0, 227, "F d -3 m:1"},
        {"Fd-3m:2", 0, 0, 227, "F d -3 m:2"},
        {"-F 4vw 2vw 3", 0, 0, 227, "F d -3 m:2"},  // Hall
        {"P 1 c 1", 0, 0, 7, "P 1 c 1"},
        {"P c", 0, 0, 7, "P 1 c 1"},
        {"R -3 c:H", 0, 0, 167, "R -3 c:H"},
        {"R 3", 0, 0, 146, "R 3:H"},
        {"R 3", 80, 80, 146, "R 3:R"},       // rhombohedral axes: alpha = gamma
        {"R 3", 90, 120, 146, "R 3:H"},
        {"I m -3 m", 0, 0, 229, "I m -3 m"},
        {"Im-3m", 0, 0, 229, "I m -3 m"},
        {"P4_2/mnm", 0, 0, 136, "P 42/m n m"},
        {"P b c a", 0, 0, 61, "P b c a"},
        {"P 21 21 21", 0, 0, 19, "P 21 21 21"},
    };
    for (const Case& c : cases) {
        const std::optional<SpaceGroupChoice> choice = spaceGroupFromSymbol(c.text, c.alpha, c.gamma);
        ASSERT_TRUE(choice.has_value()) << c.text;
        EXPECT_EQ(choice->number, c.number) << c.text;
        EXPECT_EQ(choice->hm, c.hm) << c.text;
    }
    for (const char* unknown : {"", "   ", "abc", "P 5", "Q 1", "14", "225", "P21/q", "x,y,z"})
        EXPECT_FALSE(spaceGroupFromSymbol(unknown).has_value()) << unknown;
}

// Every setting in gemmi's table is found by its own symbol and its absences are gemmi's
// (a smaller cube than for the numbers: about 530 settings).
TEST(SpaceGroup, EverySettingFoundBySymbolAndAgreesWithGemmi) {
    for (const gemmi::SpaceGroup& sg : gemmi::spacegroup_tables::main) {
        const std::optional<SpaceGroupChoice> choice = spaceGroupFromSymbol(sg.xhm());
        ASSERT_TRUE(choice.has_value()) << sg.xhm();
        EXPECT_EQ(choice->hall, sg.hall) << sg.xhm();
        EXPECT_EQ(mismatchesWithGemmi(Absences(*choice), sg.operations(), 6, sg.xhm()), 0);
    }
}

TEST(SpaceGroup, Operations) {
    const std::optional<SpaceGroupChoice> p21c =
        spaceGroupFromOperations({"x,y,z", "-x,y+1/2,-z+1/2", "-x,-y,-z", "x,-y+1/2,z+1/2"});
    ASSERT_TRUE(p21c.has_value());
    EXPECT_EQ(p21c->hm, "P 1 21/c 1");
    // Translations outside 0..1 and centring written out, as CIF files list them.
    const std::optional<SpaceGroupChoice> c2 =
        spaceGroupFromOperations({"x, y, z", "-x, y, -z", "x+1/2, y+1/2, z", "-x+1/2, y+1/2, -z"});
    ASSERT_TRUE(c2.has_value());
    EXPECT_EQ(c2->hm, "C 1 2 1");
    const std::optional<SpaceGroupChoice> p21 = spaceGroupFromOperations({"x,y,z", "-x+2,y-1/2,-z"});
    ASSERT_TRUE(p21.has_value());
    EXPECT_EQ(p21->hm, "P 1 21 1");
    // The same group about another origin is no setting of the table.
    EXPECT_FALSE(spaceGroupFromOperations({"x,y,z", "-x+1/2,y+1/2,-z"}).has_value());
    EXPECT_FALSE(spaceGroupFromOperations({}).has_value());
    EXPECT_FALSE(spaceGroupFromOperations({"x,y,z", "not an operation"}).has_value());
    EXPECT_FALSE(spaceGroupFromOperations({"-x,-y,-z"}).has_value());           // no identity
    EXPECT_FALSE(spaceGroupFromOperations({"x,y,z", "x+1/3,y,z"}).has_value());  // no space group
}

// No index overflows, whatever int it is given (the old table answered these too).
TEST(SpaceGroup, ExtremeIndices) {
    for (int n : kKeptNumbers) {
        const Absences absences(spaceGroupFromNumber(n));
        const int big[][3] = {{INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, INT_MAX, 0}, {0, INT_MIN, 0}, {INT_MAX, 0, INT_MIN}};
        for (const auto& hkl : big)
            EXPECT_EQ(absences.isAbsent(hkl[0], hkl[1], hkl[2]), isAbsent(hkl[0], hkl[1], hkl[2], n) != 0) << n;
    }
}
