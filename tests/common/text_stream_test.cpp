#include <gtest/gtest.h>

#include <random>

#include "common/bounded_text.h"
#include "common/text_stream.h"

TEST(TextStream, LineEndTranslation)
{
    EXPECT_EQ(diskToMemoryText("a\r\nb\r\n"), "a\nb\n");
    // CR CR LF is a line break held as CR LF inside a page text.
    EXPECT_EQ(diskToMemoryText("a\r\r\nb"), "a\r\nb");
    EXPECT_EQ(diskToMemoryText("a\rb\nc\r"), "a\rb\nc\r");
    EXPECT_EQ(memoryToDiskText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(memoryToDiskText("a\r\nb"), "a\r\r\nb");
    EXPECT_EQ(memoryToDiskText("a\rb"), "a\rb");
}

TEST(TextStream, MemoryTextSurvivesTheDisk)
{
    std::mt19937 random(7);
    const char alphabet[] = {'a', '\r', '\n', '#'};
    for (int round = 0; round < 2000; ++round) {
        std::string memory;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            memory += alphabet[random() % 4];
        EXPECT_EQ(diskToMemoryText(memoryToDiskText(memory)), memory) << testing::PrintToString(memory);
    }
}

TEST(TextReader, ExtractsTokensAndIntegersAcrossAnyWhiteSpace)
{
    TextReader reader(" intro.bgi\t\t-12\n\n+7 \v\f\r0042 x");
    std::string token;
    int a = 0, b = 0, c = 0;
    EXPECT_TRUE(reader.readToken(token));
    EXPECT_EQ(token, "intro.bgi");
    EXPECT_TRUE(reader.readInt(a));
    EXPECT_TRUE(reader.readInt(b));
    EXPECT_TRUE(reader.readInt(c));
    EXPECT_EQ(a, -12);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(c, 42);
    EXPECT_FALSE(reader.onlyWhiteSpaceLeft());
    EXPECT_TRUE(reader.readToken(token));
    EXPECT_EQ(token, "x");
    EXPECT_TRUE(reader.onlyWhiteSpaceLeft());
    EXPECT_FALSE(reader.readToken(token));
    EXPECT_TRUE(reader.failed());
}

TEST(TextReader, AFailedExtractionFailsEveryLaterOne)
{
    for (const char* bad : {"abc 5", "- 5", "+x 5", "2147483648 5", "-2147483649 5"}) {
        TextReader reader(bad);
        int value = 99;
        EXPECT_FALSE(reader.readInt(value)) << bad;
        EXPECT_EQ(value, 99);
        EXPECT_NE(reader.peekToken(), "5") << bad;  // still at the offending token
        std::string token;
        EXPECT_FALSE(reader.readToken(token));
        EXPECT_FALSE(reader.readInt(value));
        EXPECT_FALSE(reader.skipByte());
        EXPECT_FALSE(reader.readUntil('#', token));
    }
    int value = 0;
    TextReader limits("2147483647 -2147483648");
    EXPECT_TRUE(limits.readInt(value));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(limits.readInt(value));
    EXPECT_EQ(value, -2147483647 - 1);

    // As with a stream, digits end an integer: the rest is the next token.
    TextReader glued("12abc");
    std::string token;
    EXPECT_TRUE(glued.readInt(value));
    EXPECT_EQ(value, 12);
    EXPECT_FALSE(TextReader(glued).readInt(value));
    EXPECT_TRUE(glued.readToken(token));
    EXPECT_EQ(token, "abc");
}

TEST(TextReader, DelimitedFields)
{
    TextReader reader("Mine#\nThe irs#\n2\nlast");
    std::string field;
    EXPECT_TRUE(reader.readUntil('#', field));
    EXPECT_EQ(field, "Mine");
    EXPECT_TRUE(reader.skipByte());
    EXPECT_TRUE(reader.readUntil('#', field));
    EXPECT_EQ(field, "The irs");
    int count = 0;
    EXPECT_TRUE(reader.readInt(count));
    EXPECT_EQ(count, 2);
    // The text ends before the delimiter: what is there is the field.
    EXPECT_TRUE(reader.readUntil('#', field));
    EXPECT_EQ(field, "\nlast");
    EXPECT_TRUE(reader.atEnd());
    EXPECT_FALSE(reader.skipByte());
    EXPECT_FALSE(reader.readUntil('#', field));

    TextReader empty("#");
    EXPECT_TRUE(empty.readUntil('#', field));
    EXPECT_EQ(field, "");
    EXPECT_TRUE(empty.atEnd());
}

TEST(TextReader, ANameWithoutWhiteSpaceIsOneToken)
{
    // containsWhiteSpace must agree with the reader's separators, or a name the
    // writers accept would read back as several tokens.
    for (int b = 1; b < 256; ++b) {
        const std::string name = std::string("a") + static_cast<char>(b) + "b";
        TextReader reader(name);
        std::string token;
        reader.readToken(token);
        EXPECT_EQ(token == name, !containsWhiteSpace(name)) << b;
    }
}
