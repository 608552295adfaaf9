// Command line: atof of each argument, at most eight, and the space-group number from a value.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "session/command_line.h"

namespace {
CommandLine read(std::vector<std::string> args) {
    args.insert(args.begin(), "weissenberg");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return readCommandLine(static_cast<int>(args.size()), argv.data());
}
}  // namespace

TEST(CommandLine, ReadsEachArgumentWithAtof) {
    const CommandLine line = read({"5", " 6.5", "7e1", "-90", "abc", "1,5418", "1.5418xyz", "14.7"});
    ASSERT_EQ(line.given, 8);
    const double expected[] = {5, 6.5, 70, -90, 0, 1, 1.5418, 14.7};
    for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(line.values[i], expected[i]) << "argument " << i + 1;
}

TEST(CommandLine, CountsAtMostEightArguments) {
    struct Case {
        std::vector<std::string> args;
        int given;
    };
    const Case cases[] = {
        {{}, 0},
        {{"1", "2", "3", "4", "5", "6"}, 6},
        {{"1", "2", "3", "4", "5", "6", "7"}, 7},
        {{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}, 8},
    };
    for (const Case& c : cases) EXPECT_EQ(read(c.args).given, c.given) << c.args.size() << " arguments";
    EXPECT_EQ(read({"1", "2", "3", "4", "5", "6", "7", "8", "9"}).values[7], 8.0);
}

TEST(CommandLine, SpaceGroupTruncatesTowardZeroAndRefusesWhatNoIntHolds) {
    struct Case {
        double value;
        int spaceGroup;
    };
    const Case cases[] = {
        {14.0, 14},          {14.7, 14},        {14.2, 14},          {-3.9, -3},
        {0.0, 0},            {-0.5, 0},         {2147483647.9, INT_MAX}, {-2147483648.9, INT_MIN},
        {2147483648.0, 0},   {-2147483649.0, 0}, {1e30, 0},           {-1e30, 0},
        {HUGE_VAL, 0},       {-HUGE_VAL, 0},    {std::nan(""), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(spaceGroupFromValue(c.value), c.spaceGroup) << c.value;
    // Through atof, as start-up reads it.
    const CommandLine line = read({"1", "2", "3", "4", "5", "6", "7", "nan"});
    EXPECT_EQ(spaceGroupFromValue(line.values[7]), 0);
    EXPECT_EQ(spaceGroupFromValue(read({"1", "2", "3", "4", "5", "6", "7", "abc"}).values[7]), 0);
}
