// Systematic absences of the supported space groups, as one table of conditions.
// A row applies to the space-group numbers it lists; it holds when every index it names
// is 0 and its test is true; a reflection is absent as soon as one applicable row holds.
#include "unit/legacy_conditions.h"

namespace {

// Odd with the remainder of the division truncated toward zero: -1, -3, ... are odd.
bool isOdd(long long x) { return x % 2 != 0; }

enum class Test { hOdd, kOdd, lOdd, hPlusKOdd, minusHPlusKPlusLNotMultipleOf3 };

struct Condition {
    int groups[3];             // space-group numbers the row applies to; 0 = unused slot
    bool hZero, kZero, lZero;  // indices that must be 0 for the row to apply
    Test test;
};

// Reflection class in the comment; implied conditions kept as the tables list them.
const Condition kConditions[] = {
    {{4, 11, 0}, true, false, true, Test::kOdd},          // 0k0
    {{5, 8, 12}, false, false, false, Test::hPlusKOdd},   // hkl: C centring
    {{5, 8, 12}, false, true, false, Test::hOdd},         // h0l
    {{5, 8, 12}, true, false, true, Test::kOdd},          // 0k0
    {{7, 13, 0}, false, true, false, Test::hOdd},         // h0l: a glide
    {{9, 15, 0}, false, false, false, Test::hPlusKOdd},   // hkl: C centring
    {{9, 15, 0}, false, true, false, Test::hOdd},         // h0l
    {{9, 15, 0}, false, true, false, Test::lOdd},         // h0l: c glide
    {{9, 15, 0}, true, false, true, Test::kOdd},          // 0k0
    {{14, 0, 0}, false, true, false, Test::lOdd},         // h0l: c glide
    {{14, 0, 0}, true, false, true, Test::kOdd},          // 0k0: 2_1 along b
    {{19, 0, 0}, true, true, false, Test::lOdd},          // 00l
    {{19, 0, 0}, false, true, true, Test::hOdd},          // h00
    {{19, 0, 0}, true, false, true, Test::kOdd},          // 0k0
    {{61, 0, 0}, true, false, false, Test::kOdd},         // 0kl: b glide
    {{61, 0, 0}, false, true, false, Test::lOdd},         // h0l: c glide
    {{61, 0, 0}, false, false, true, Test::hOdd},         // hk0: a glide
    {{61, 0, 0}, true, true, false, Test::lOdd},          // 00l
    {{61, 0, 0}, false, true, true, Test::hOdd},          // h00
    {{61, 0, 0}, true, false, true, Test::kOdd},          // 0k0
    {{146, 0, 0}, false, false, false, Test::minusHPlusKPlusLNotMultipleOf3},  // hkl: R centring, obverse
};

bool appliesTo(const Condition& c, int spaceGroup) {
    for (int g : c.groups)
        if (g != 0 && g == spaceGroup) return true;
    return false;
}

// Sums are taken in long long so that no int index can overflow.
bool testHolds(Test test, long long h, long long k, long long l) {
    switch (test) {
        case Test::hOdd: return isOdd(h);
        case Test::kOdd: return isOdd(k);
        case Test::lOdd: return isOdd(l);
        case Test::hPlusKOdd: return isOdd(h + k);
        case Test::minusHPlusKPlusLNotMultipleOf3: return (-h + k + l) % 3 != 0;
    }
    return false;
}

}  // namespace

int isAbsent(int h, int k, int l, int spaceGroup) {
    for (const Condition& c : kConditions) {
        if (!appliesTo(c, spaceGroup)) continue;
        if ((c.hZero && h != 0) || (c.kZero && k != 0) || (c.lZero && l != 0)) continue;
        if (testHolds(c.test, h, k, l)) return 1;
    }
    return 0;
}
