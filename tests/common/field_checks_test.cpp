#include <gtest/gtest.h>

#include "common/field_checks.h"

TEST(FieldChecks, IntegerFields)
{
    const struct {
        const char* text;
        bool valid;
        int value;
    } cases[] = {
        {"150", true, 150},       {"  -3 ", true, -3}, {"+4", true, 4},
        {"\t7\t", true, 7},       {"0007", true, 7},   {"-2147483648", true, -2147483647 - 1},
        {"", false, 0},           {"   ", false, 0},   {"abc", false, 0},
        {"1 2", false, 0},        {"12a", false, 0},   {"-", false, 0},
        {"+-3", false, 0},        {"--3", false, 0},   {"1.5", false, 0},
        {"2147483648", false, 0},
    };
    for (const auto& c : cases) {
        int value = -99;
        const auto message = checkIntegerField(c.text, value);
        if (c.valid) {
            EXPECT_FALSE(message.has_value()) << c.text;
            EXPECT_EQ(value, c.value) << c.text;
        } else {
            EXPECT_EQ(message, std::optional<std::string>("Please enter an integer.")) << c.text;
            EXPECT_EQ(value, -99) << c.text;
        }
    }
}

TEST(FieldChecks, RangesAndLengths)
{
    int value = -1;
    EXPECT_FALSE(checkIntegerField("999", 0, 999, value).has_value());
    EXPECT_EQ(value, 999);
    EXPECT_FALSE(checkIntegerField("0", 0, 999, value).has_value());
    EXPECT_EQ(value, 0);
    EXPECT_EQ(checkIntegerField("1000", 0, 999, value),
              std::optional<std::string>("Please enter an integer between 0 and 999."));
    EXPECT_EQ(checkIntegerField("-1", 1, 9, value),
              std::optional<std::string>("Please enter an integer between 1 and 9."));
    EXPECT_EQ(checkIntegerField("x", 1, 9, value), std::optional<std::string>("Please enter an integer."));
    EXPECT_EQ(value, 0);

    EXPECT_FALSE(checkTextLength("123456789012345", 15).has_value());
    EXPECT_EQ(checkTextLength("1234567890123456", 15),
              std::optional<std::string>("Please enter no more than 15 characters."));
}
