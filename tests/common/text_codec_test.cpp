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
    EXPECT_EQ(windows1252ToUtf8("\x80"), "\u20AC");            // euro sign
    EXPECT_EQ(windows1252ToUtf8("\x8A\x9F"), "\u0160\u0178");  // S caron, Y diaeresis
    EXPECT_EQ(windows1252ToUtf8("\x93\x94\x96"), "\u201C\u201D\u2013");
    EXPECT_EQ(windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(windows1252ToUtf8("caf\xE9 \xA0\xFF"), "caf\u00E9 \u00A0\u00FF");
    EXPECT_EQ(windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextCodec, RefusesCharactersWithoutASingleByteForm)
{
    EXPECT_EQ(utf8ToWindows1252("Stra\u00DFe \u20AC"), std::optional<std::string>("Stra\xDF"
                                                                                  "e \x80"));
    for (const char* text : {"\u0100", "\u4E2D", "\U0001F600", "a\u2015b",
                             "\xC2\x80",  // U+0080: its byte is taken by the euro sign
                             "\xC2\x9F"}) {
        EXPECT_FALSE(utf8ToWindows1252(text).has_value()) << text;
    }
}

TEST(TextCodec, RefusesMalformedUtf8)
{
    for (const char* text :
         {"\x80", "a\xC3", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF", "\xC3\x28"}) {
        EXPECT_FALSE(utf8ToWindows1252(text).has_value()) << testing::PrintToString(std::string(text));
    }
}

TEST(TextCodec, TheByteOrderMarkNamesTheEncoding)
{
    const std::pair<std::string, ByteOrderMark> cases[] = {
        {"", ByteOrderMark::None},
        {"\xEF\xBB", ByteOrderMark::None},  // cut short: Windows-1252 bytes
        {"\xEF\xBB\xBF"
         "2\r\n",
         ByteOrderMark::Utf8},
        {"\xFF\xFE"
         "2",
         ByteOrderMark::Utf16},
        {"\xFE\xFF", ByteOrderMark::Utf16},
        {" \xEF\xBB\xBF", ByteOrderMark::None},  // only at the very start
    };
    for (const auto& [bytes, mark] : cases)
        EXPECT_EQ(byteOrderMarkOf(bytes), mark) << testing::PrintToString(bytes);
}

TEST(TextCodec, Utf8ConvertsAsFarAsItGoesAndNamesTheFirstFailure)
{
    struct Case {
        std::string utf8;
        std::string text;
        int unconvertible;
        int line;  // of the first failure
        bool malformed;
        char32_t codePoint;
        std::string bytes;
    };
    const Case cases[] = {
        {"caf\u00E9 \u20AC\r\n\u2013", "caf\xE9 \x80\r\n\x96", 0, 0, false, 0, ""},
        {"a\nb\n\u2603c\u4E2D", "a\nb\n?c?", 2, 3, false, 0x2603, "\u2603"},
        {"\U0001F600", "?", 1, 1, false, 0x1F600, "\U0001F600"},
        {"\xC2\x80", "?", 1, 1, false, 0x80, "\xC2\x80"},  // U+0080: its byte is the euro sign's
        // Malformed UTF-8 is replaced a byte at a time and reading resumes after it.
        {"x\r\ncaf\xE9!", "x\r\ncaf?!", 1, 2, true, 0xE9, "\xE9"},
        {"\xE2\x98", "??", 2, 1, true, 0xE2, "\xE2"},
        {"\xC0\x80\u00E9", "??\xE9", 2, 1, true, 0xC0, "\xC0"},
        {"\xED\xA0\x80", "???", 3, 1, true, 0xED, "\xED"},
    };
    for (const Case& c : cases) {
        const Windows1252Text converted = convertUtf8(c.utf8);
        const std::string name = testing::PrintToString(c.utf8);
        EXPECT_EQ(converted.text, c.text) << name;
        EXPECT_EQ(converted.unconvertible, c.unconvertible) << name;
        ASSERT_EQ(converted.first.has_value(), c.unconvertible > 0) << name;
        if (!converted.first)
            continue;
        EXPECT_EQ(converted.first->line, c.line) << name;
        EXPECT_EQ(converted.first->malformed, c.malformed) << name;
        EXPECT_EQ(converted.first->codePoint, c.codePoint) << name;
        EXPECT_EQ(converted.first->bytes, c.bytes) << name;
    }
}
