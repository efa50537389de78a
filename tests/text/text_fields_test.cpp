#include "text/text_fields.h"

#include <climits>
#include <gtest/gtest.h>

namespace rl4 {
namespace {

TEST(TextFields, NumericValueTakesTheLeadingNumber) {
    EXPECT_EQ(numericValue("12a"), 12);
    EXPECT_EQ(numericValue("abc"), 0);
    EXPECT_EQ(numericValue(" -1"), -1);
    EXPECT_EQ(numericValue("  7"), 7);
    EXPECT_EQ(numericValue("+5 "), 5);
    EXPECT_EQ(numericValue("1 2"), 1);
    EXPECT_EQ(numericValue(""), 0);
    EXPECT_EQ(numericValue("   "), 0);
    EXPECT_EQ(numericValue("-"), 0);
    EXPECT_EQ(numericValue("- 3"), 0);
    EXPECT_EQ(numericValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(numericValue("-99999999999999999999"), INT_MIN);
}

TEST(TextFields, SlicesCountCharactersNotBytes) {
    const std::string line = "Caméra ✓|  5|";
    EXPECT_EQ(characterSlice(line, 0, 6), "Caméra");
    EXPECT_EQ(characterSlice(line, 7, 2), "✓|");
    EXPECT_EQ(characterSlice(line, 9, 3), "  5");
    EXPECT_EQ(characterSlice(line, 11, 3), "5|");
    EXPECT_EQ(characterSlice(line, 13, 3), "");
    EXPECT_EQ(characterSlice(line, 40, 3), "");
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("    "), "");
}

} // namespace
} // namespace rl4
