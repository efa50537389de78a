#include "text/text_fields.h"

#include <climits>
#include <gtest/gtest.h>
#include <tuple>

namespace rl4 {
namespace {

TEST(TextFields, NumericValueTakesTheLeadingNumber) {
    const std::pair<const char*, int> cases[] = {{"12a", 12}, {" -1", -1}, {"  7", 7}, {"+5 ", 5},
                                                 {"1 2", 1},  {"abc", 0},  {"", 0},    {"   ", 0},
                                                 {"-", 0},    {"- 3", 0}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(numericValue(text), value) << text;
    EXPECT_EQ(numericValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(numericValue("-99999999999999999999"), INT_MIN);
}

TEST(TextFields, SlicesCountCharactersNotBytes) {
    const std::string line = "Caméra ✓|  5|";
    const std::tuple<int, int, const char*> slices[] = {{0, 6, "Caméra"}, {7, 2, "✓|"}, {9, 3, "  5"},
                                                        {11, 3, "5|"},    {13, 3, ""},  {40, 3, ""}};
    for (const auto& [start, length, text] : slices)
        EXPECT_EQ(characterSlice(line, start, length), text) << start;
    EXPECT_EQ(trimBlanks("  a b  "), "a b");
    EXPECT_EQ(trimBlanks("    "), "");
}

} // namespace
} // namespace rl4
