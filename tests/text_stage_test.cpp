// The text stage: line reading, groups, and the whole stage on real files.
#include <algorithm>
#include <cstring>

#include "decode/binhex.h"
#include "test_support.h"

namespace {

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

struct LineCase {
    const char *label;
    std::string input;
    int capacity;
    int count;              // expected result
    std::string stored;     // expected buffer contents
    int next;               // expected next byte of the stream, or EOF
};

TEST(ReadTextLine, StoresOneLineAndPushesBackTheByteAfterALoneLineEnd)
{
    const LineCase cases[] = {
        {"CR LF pair", "\r\nabc", 128, 2, "\r\n", 'a'},
        {"LF CR pair", "\n\rabc", 128, 2, "\n\r", 'a'},
        {"lone CR", "\rA", 128, 1, "\r", 'A'},
        {"lone LF", "\nB", 128, 1, "\n", 'B'},
        {"CR CR is two lines", "\r\rC", 128, 1, "\r", '\r'},
        {"LF LF is two lines", "\n\nC", 128, 1, "\n", '\n'},
        {"text then CR LF", "Hi\r\nX", 128, 4, "Hi\r\n", 'X'},
        {"line end at end of input", "ab\r", 128, 3, "ab\r", EOF},
        {"no line end", "abc", 128, 3, "abc", EOF},
        {"empty input", "", 128, 0, "", EOF},
        {"cut at the capacity", "abcdef", 3, 3, "abc", 'd'},
        {"line end in the last repetition keeps its partner", "ab\r\nz", 3, 4, "ab\r\n", 'z'},
        {"capacity 1 reads nothing", "abc", 1, 0, "", 'a'},
        {"capacity 0 reads nothing", "abc", 0, 0, "", 'a'},
    };
    for (const LineCase &c : cases) {
        SCOPED_TRACE(c.label);
        FILE *stream = StreamWith(c.input);
        char buffer[140];
        memset(buffer, 'Z', sizeof buffer);
        buffer[0] = 0;
        int count = ReadTextLine(buffer, c.capacity, stream);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(std::string(buffer, strlen(buffer)), c.stored);
        EXPECT_EQ(getc(stream), c.next);
        fclose(stream);
    }
}

TEST(ReadTextLine, LeavesTheBufferAloneWhenTheCapacityIsTooSmall)
{
    FILE *stream = StreamWith("abc");
    char buffer[4] = {'q', 'q', 'q', 0};
    EXPECT_EQ(ReadTextLine(buffer, 1, stream), 0);
    EXPECT_STREQ(buffer, "qqq");
    fclose(stream);
}

TEST(ReadCharGroup, SkipsLineEndsColonsAndBlanksAndKeepsAPartialGroupOnEnd)
{
    FILE *stream = StreamWith(":a\r\nb: \nc\r\td e");
    unsigned char group[4];
    EXPECT_EQ(ReadCharGroup(stream, group), 0);
    EXPECT_EQ(std::string((char *)group, 4), "abcd");
    memcpy(group, "WXYZ", 4);
    EXPECT_EQ(ReadCharGroup(stream, group), 1);      // "e" then the end
    EXPECT_EQ(std::string((char *)group, 4), "eXYZ");
    fclose(stream);
}

TEST(DecodeCharGroup, TurnsFourCharactersIntoThreeBytesAndAZero)
{
    struct {
        const char *chars;
        unsigned char bytes[3];
    } const cases[] = {
        {"B@*M", {0x61, 0x62, 0x63}},
        {"!!!!", {0x00, 0x00, 0x00}},
        {"rrrr", {0xFF, 0xFF, 0xFF}},
        {"\"!!!", {0x04, 0x00, 0x00}},
        {"#!!!", {0x08, 0x00, 0x00}},
        {"!!!\"", {0x00, 0x00, 0x01}},
        // Outside the alphabet a character is worth 0, like '!'.
        {"B@*o", {0x61, 0x62, 0x40}},
        {" \t\x80\xFF", {0x00, 0x00, 0x00}},
        {"rr7r", {0xFF, 0xF0, 0x3F}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chars);
        unsigned char group[4];
        memcpy(group, c.chars, 4);
        DecodeCharGroup(group);
        EXPECT_EQ(group[0], c.bytes[0]);
        EXPECT_EQ(group[1], c.bytes[1]);
        EXPECT_EQ(group[2], c.bytes[2]);
        EXPECT_EQ(group[3], 0);
    }
}

TEST(DecodeCharGroup, GivesEachCharacterOfTheAlphabetItsPosition)
{
    for (int c = 0; c < 256; c++) {
        const char *at = c != 0 ? strchr(kAlphabet, c) : nullptr;
        unsigned char group[4] = {'!', '!', '!', (unsigned char)c};
        DecodeCharGroup(group);
        EXPECT_EQ(group[2], at != nullptr ? at - kAlphabet : 0) << "character " << c;
    }
}

// Runs the stage on a real file and returns what the .bqx file received.
std::string RunTextStage(const std::string &input)
{
    FILE *in = StreamWith(input);
    FILE *out = tmpfile();
    EXPECT_EQ(DecodeTextStage(in, out), 1);
    std::string result = StreamContents(out);
    fclose(in);
    fclose(out);
    return result;
}

const std::string kBanner = "(This file must be converted with BinHex 4.0)";

TEST(DecodeTextStage, DecodesTheTextAfterTheIdentificationOrTheFirstLine)
{
    std::string notes;          // 200 KB of other text before the identification
    while (notes.size() < 200000)
        notes += "A line of notes about the program, as archives had them.\n";
    const std::string abc = "abc";      // "B@*M"
    const std::string abcdef = "abcdef"; // "B@*MC'9Q"
    struct {
        const char *label;
        std::string input;
        std::string bqx;
    } const cases[] = {
        {"CR LF lines", kBanner + "\r\n:B@*M\r\nC'9Q:\r\n", abcdef},
        {"LF lines", kBanner + "\n:B@*M\nC'9Q:\n", abcdef},
        {"CR lines", kBanner + "\r:B@*M\rC'9Q:\r", abcdef},
        {"LF CR lines", kBanner + "\n\r:B@*M\n\rC'9Q:\n\r", abcdef},
        {"blank lines before the text", kBanner + "\r\n\r\n\n\r\n:B@*M:", abc},
        {"colons inside the text", kBanner + "\r\n:B@:*M::C'9Q:", abcdef},
        {"text after the closing colon is decoded too", kBanner + "\r\n:B@*M:C'9Q", abcdef},
        {"a lone last character carries no whole byte", kBanner + "\r\n:B@*MC", abc},
        {"two last characters carry one byte", kBanner + "\r\n:B@*MC':", "abcd"},
        {"three last characters carry two bytes", kBanner + "\r\n:B@*M\r\nC'9:\r\n", "abcde"},
        {"mail headers first", "From: a@b.fr\r\nSubject: x\r\n\r\n" + kBanner + "\r\n:B@*M\r\nC'9Q:", abcdef},
        {"indented, CR lines", "Notes\r\r \t" + kBanner + "\r:B@*M\rC'9Q:\r", abcdef},
        {"far down", notes + kBanner + "\n:B@*M:", abc},
        {"other text after its ')'", "x\n" + kBanner + " then: B@*M\n:C'9Q:", "def"},
        {"a colon after its ')' starts the text", "x\n" + kBanner + " \t:B@*M\nC'9Q:", abcdef},
        {"another version", "(This file must be converted with BinHex 5.0)\n:B@*M:", abc},
        {"blanks on empty and encoded lines", kBanner + "\r\n \r\n\t\r\n:B@ *M \r\nC'9Q\t:", abcdef},
        {"empty input", "", ""},
        {"a single line", kBanner + "\r\n", ""},
        {"a single line without its end", "B@*MB@*M", ""},
        {"text on the first line is discarded", ":B@*M\r\nC'9Q", "def"},
        {"only the first 128 characters of a long first line go",
         std::string(128, 'x') + "B@*M\r\n", abc},
        {"a first line of 127 characters still ends at its line end",
         std::string(127, 'x') + "\r\nB@*M", abc},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(RunTextStage(c.input), c.bqx);
    }
    // Past the search's reach the identification is text like any other.
    std::string far = "x\n" + std::string(kIdentificationSearchLimit, '\n') + kBanner + "\n:B@*M:";
    EXPECT_NE(RunTextStage(far), abc);
    EXPECT_EQ(RunTextStage(far.substr(3000)), abc);
}

// The stage reads blocks; here the same decoding is done a byte at a time:
// ReadTextLine, then every significant character in turn, four to a group,
// the whole bytes of a short last group included. Both must agree across
// block boundaries and in any layout.
std::string ByteAtATime(const std::string &input)
{
    FILE *in = StreamWith(input);
    char line[kTextLineCapacity + 2];
    ReadTextLine(line, kTextLineCapacity, in);
    std::string chars;
    for (int c; (c = getc(in)) != EOF;)
        if (strchr("\r\n: \t", c) == nullptr || c == 0)
            chars.push_back(char(c));
    fclose(in);
    std::string out;
    for (size_t i = 0; i < chars.size(); i += 4) {
        size_t n = std::min<size_t>(4, chars.size() - i);
        unsigned char group[4] = {'!', '!', '!', '!'};
        memcpy(group, chars.data() + i, n);
        DecodeCharGroup(group);
        out.append((char *)group, n == 4 ? 3 : n - 1);
    }
    return out;
}

TEST(DecodeTextStage, AgreesWithTheByteAtATimeOperationsOnLargeInputs)
{
    unsigned seed = 12345;
    auto next = [&seed]() { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const char extras[] = "\r\n: \t\x80\xFF";
    for (int round = 0; round < 4; round++) {
        SCOPED_TRACE(round);
        std::string input;
        size_t size = 150000 + round * 7919;
        for (size_t i = 0; i < size; i++) {
            unsigned r = next();
            input.push_back(r % 9 == 0 ? extras[r % 8] : kAlphabet[r % 64]);
        }
        EXPECT_EQ(RunTextStage(input), ByteAtATime(input));
    }
}

}  // namespace
