// The decoding stages on bytes: where the text starts and how it decodes,
// the run-length rules; the stages' 64 KB block paths and the CRC's
// sixteen-byte steps against plain loops; what is taken for MacBinary. (The
// MacBinary writer and the CRC checks are seen end to end.)
#include <cstring>

#include "decode/binhex.h"
#include "decode/block_io.h"
#include "decode/macbinary.h"
#include "support.h"

// Runs a stage on input; returns its output.
static std::string Stage(int (*stage)(FILE *, FILE *), const std::string &input)
{
    const std::string folder = Scratch("stage");
    Write(folder + "/in", input);
    FILE *in = fopen((folder + "/in").c_str(), "rb"), *out = fopen((folder + "/out").c_str(), "wb");
    EXPECT_EQ(stage(in, out), kDone);
    fclose(in);
    fclose(out);
    return Read(folder + "/out");
}

// The text stage as a plain loop, on the text after the identification.
static std::string PlainText(const std::string &text)
{
    std::string out;
    unsigned bits = 0, filled = 0;
    for (char c : text) {
        const char *at = c != 0 ? strchr(kAlphabet, c) : nullptr;
        if (c == 0 || strchr("\r\n: \t", c) == nullptr)
            bits = bits << 6 | (at != nullptr ? at - kAlphabet : 0), filled++;
        if (filled == 4)
            out += {char(bits >> 16), char(bits >> 8), char(bits)}, bits = filled = 0;
    }
    bits <<= 6 * (4 - filled);   // a short last group: the whole bytes of its 2 or 3 characters
    return out + std::string{char(bits >> 16), char(bits >> 8)}.substr(0, filled != 0 ? filled - 1 : 0);
}

// The run-length stage as a plain loop.
static std::string PlainRuns(const std::string &in)
{
    std::string out;
    char previous = 0;
    for (size_t i = 0; i < in.size(); i++) {
        char c = in[i];
        if (c != '\x90')
            out += c;
        else if (i + 1 < in.size())
            out += in[++i] == 0 ? std::string(1, c) : std::string((unsigned char)in[i] - 1, previous);
        previous = c;
    }
    return out;
}

TEST(Stages, FindTheTextAndDecodeItsGroupsAndRuns)
{
    // The identification up to its version number ends where the search ends, at 1 MB.
    const std::string atLimit = std::string((1 << 20) - kId.find(" 4.0"), '\n') + kId + "\n:B@*M:";
    const auto text = DecodeTextStage, runs = ExpandRunLength;
    const struct {
        const char *label;
        int (*stage)(FILE *, FILE *);
        std::string input, output;
    } rows[] = {
        {"LF CR lines, empty lines, blanks", text, kId + "\n\r \n\r\t\n\r:B@ *M \n\rC'9Q\t:\n\r", "abcdef"},
        {"CR lines, indented, after mail headers", text,
         "From: a@b.fr\rSubject: x\r\r \t" + kId + "\r:B@*M\rC'9Q:\r", "abcdef"},
        {"colons inside, text after the closing one", text, kId + "\n:B@:*M::C'9Q", "abcdef"},
        {"outside the alphabet a character is worth 0", text, kId + "\n:B@*oB@*\xFF:", "ab@ab@"},
        {"the alphabet, each character worth its position", text, kId + "\n:" + kAlphabet + ":", PlainText(kAlphabet)},
        {"a lone last character carries no byte", text, kId + "\n:B@*MC", "abc"},
        {"two last characters carry one byte", text, kId + "\n:B@*MC':", "abcd"},
        {"three last characters carry two bytes", text, kId + "\n:B@*MC'9:", "abcde"},
        {"starting 39 bytes before the first 64 KB searched end", text,
         std::string(65536 - 39, '\n') + kId + "\n:B@*M:", "abc"},
        {"ending where the search ends", text, atLimit, "abc"},
        {"a byte further: text like any other", text, "\n" + atLimit, PlainText(atLimit)},
        {"a colon after its ')' starts the text", text, "x\n" + kId + " \t:B@*M\nC'9Q:", "abcdef"},
        {"another version, other text after its ')'", text,
         "(This file must be converted with BinHex 5.0) to: B@*M\n:C'9Q:", "def"},
        {"no identification: the first line goes", text, ":B@*M\r\nC'9Q", "def"},
        {"the byte after a lone CR stays", text, "x\rB@*M", "abc"},
        {"a first line goes up to 128 characters", text, std::string(128, 'x') + "B@*M\r\n", "abc"},
        {"a run of four; a count of one adds nothing", runs, "A\x90\x04" "B\x90\x01", "AAAAB"},
        {"a literal marker, repeated by the next run", runs, std::string("+\x90\0\x90\x05", 5), "+\x90\x90\x90\x90\x90"},
        {"after a run, its marker repeats", runs, "A\x90\x03\x90\x03", "AAA\x90\x90"},
        {"a count of 0x90 is a count", runs, "A\x90\x90", std::string(144, 'A')},
        {"the first previous byte is zero; a marker at the end writes nothing", runs, "\x90\x05" "A\x90",
         std::string(4, '\0') + "A"},
        {"a count of 255", runs, std::string("\0\x90\xFF" "B\x90\x03", 6), std::string(255, '\0') + "BBB"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(Stage(row.stage, row.input), row.output) << row.label;
}

TEST(BlockPaths, AgreeWithPlainLoopsAroundTheBlockEdges)
{
    // The CRC, sixteen bytes a step, against a bit loop, in pieces of any size.
    EXPECT_EQ(UpdateCrc16(0, (const unsigned char *)"123456789", 9), 0x31C3);
    const std::string crcBytes = Pattern(40, 5);
    const unsigned char *crcData = (const unsigned char *)crcBytes.data();
    for (size_t length = 0; length <= crcBytes.size(); length++)
        for (size_t cut : {length / 3, length})
            EXPECT_EQ(UpdateCrc16(UpdateCrc16(0, crcData, cut), crcData + cut, length - cut), Crc(crcBytes.substr(0, length)))
                << length << " " << cut;

    const size_t block = kStageBufferSize;
    unsigned seed = 1;
    auto random = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    // Text: skipped and foreign characters, one in `every`, at all lengths
    // around the edges; the output crosses its own buffer's edge too.
    for (size_t length : {block - 1, block, block + 1, block + 2, block + 3, 3 * block + 13}) {
        for (unsigned every : {2u, 9u, 64u, 1u << 30}) {
            std::string text;
            for (unsigned r; text.size() < length;)
                text += (r = random()) % every == 0 ? "\r\n: \t\xFF~7"[r / every % 8] : kAlphabet[r % 64];
            EXPECT_EQ(Stage(DecodeTextStage, kId + "\n" + text), PlainText(text)) << length << " " << every;
        }
    }
    // Runs: a marker or its count last in a block, runs of 255 that cross
    // the output buffer's edge from every alignment, random markers.
    for (size_t at = block - 3; at <= block + 1; at++) {
        for (int count : {0, 1, 2, 255}) {
            std::string runs = std::string(at - 1, 'x') + "Y\x90" + char(count) + "\x90";
            EXPECT_EQ(Stage(ExpandRunLength, runs), PlainRuns(runs)) << at << " " << count;
        }
    }
    for (size_t lead = 0; lead < 12; lead++) {
        std::string runs(lead, 'q');
        for (int i = 0; i < 600; i++)
            runs += "A\x90\xFF";
        EXPECT_EQ(Stage(ExpandRunLength, runs), PlainRuns(runs)) << lead;
    }
    for (unsigned every : {3u, 40u}) {
        std::string runs;
        for (unsigned r; runs.size() < 3 * block;)
            runs += (r = random()) % every == 0 ? '\x90' : char(r >> 8);
        EXPECT_EQ(Stage(ExpandRunLength, runs), PlainRuns(runs)) << every;
    }
}


TEST(MacBinary, IsToldFromOtherDataAsTodaysReadersTellIt)
{
    // II: data at 128 (300 bytes), resource at 512 (40), 640 bytes in all.
    const std::string two = MacBinary({"Read Me", "TEXT", "ttxt", Pattern(300, 1), Pattern(40, 2)}, 0x12345678);
    auto set = [](std::string bytes, size_t at, const std::string &with) { return bytes.replace(at, with.size(), with); };
    auto sealed = [](std::string bytes) {
        const uint16_t crc = Crc(bytes.substr(0, 124));
        return bytes.replace(124, 2, {char(crc >> 8), char(crc)});
    };
    const std::string one = set(two, 99, std::string(29, '\0')), undated = set(one, 91, std::string(8, '\0'));
    const struct {
        const char *label;
        std::string header;
        uint64_t size, dataAt, resourceAt;   // 0, 0: not MacBinary
    } rows[] = {
        {"II", two, 640, 128, 512},
        {"II cut short: its CRC tells", two, 200, 128, 512},
        {"II with version bytes 0 and a CRC made right", sealed(set(two, 122, std::string(2, '\0'))), 640, 128, 512},
        {"II with a secondary header of 5 bytes: forks a block later", sealed(set(two, 120, std::string("\0\x05", 2))), 768, 256, 640},
        {"III with a wrong CRC: no MacBinary I either", set(two, 102, "mBIN"), 640, 0, 0},
        {"I with dates", one, 640, 128, 512},
        {"I, its last fork unpadded", one, 552, 128, 512},
        {"I cut in its last fork", one, 551, 0, 0},
        {"I without dates, exactly its size", undated, 552, 128, 512},
        {"I without dates, longer", undated, 700, 0, 0},
        {"byte 0 set", sealed(set(two, 0, "\x01")), 640, 0, 0},
        {"byte 74 set", sealed(set(two, 74, "\x01")), 640, 0, 0},
        {"no name", sealed(set(two, 1, std::string(1, '\0'))), 640, 0, 0},
        {"a name of 64 bytes", sealed(set(two, 1, "\x40")), 640, 0, 0},
        {"I with a zero byte in its name", set(one, 3, std::string(1, '\0')), 640, 0, 0},
        {"I with byte 82 set", set(one, 82, "\x01"), 640, 0, 0},
        {"I with a data fork of 2 GiB", set(one, 83, "\x80\0\0\0"), uint64_t(1) << 33, 0, 0},
        {"I in less than 128 bytes", one.substr(0, 127), 640, 0, 0},
    };
    for (const auto &row : rows) {
        BinHexHeader header;
        MacBinaryLayout layout = {0, 0, 0};
        int found = ParseMacBinaryHeader((const unsigned char *)row.header.data(), row.header.size(), row.size, &header, &layout);
        EXPECT_EQ(found, row.dataAt != 0 ? kDone : kNotFound) << row.label;
        EXPECT_EQ(layout.dataOffset, row.dataAt) << row.label;
        EXPECT_EQ(layout.resourceOffset, row.resourceAt) << row.label;
    }
}
