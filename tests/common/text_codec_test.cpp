#include <gtest/gtest.h>

#include "common/text_codec.h"

TEST(TextCodec, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = windows1252ToUtf8(all);
    const auto back = utf8ToWindows1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(TextCodec, DecodesTheHighRangeByTheTable)
{
    EXPECT_EQ(windows1252ToUtf8("\x80"), "\u20AC");          // euro sign
    EXPECT_EQ(windows1252ToUtf8("\x8A\x9F"), "\u0160\u0178");  // S caron, Y diaeresis
    EXPECT_EQ(windows1252ToUtf8("\x93\x94\x96"), "\u201C\u201D\u2013");
    EXPECT_EQ(windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(windows1252ToUtf8("caf\xE9 \xA0\xFF"), "caf\u00E9 \u00A0\u00FF");
    EXPECT_EQ(windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodec, RefusesCharactersWithoutASingleByteForm)
{
    EXPECT_EQ(utf8ToWindows1252("Stra\u00DFe \u20AC"), std::optional<std::string>("Stra\xDF" "e \x80"));
    for (const char* text : {"\u0100", "\u4E2D", "\U0001F600", "a\u2015b",
                             "\xC2\x80",  // U+0080: its byte is taken by the euro sign
                             "\xC2\x9F"}) {
        EXPECT_FALSE(utf8ToWindows1252(text).has_value()) << text;
    }
}

TEST(TextCodec, RefusesMalformedUtf8)
{
    for (const char* text : {"\x80", "a\xC3", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                             "\xFF", "\xC3\x28"}) {
        EXPECT_FALSE(utf8ToWindows1252(text).has_value()) << testing::PrintToString(std::string(text));
    }
}
