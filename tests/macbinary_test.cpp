// The MacBinary writer and CopyBytes.
#include <cstring>

#include "decode/binhex.h"
#include "test_support.h"

namespace {

std::string Pattern(size_t length, int salt)
{
    std::string s;
    for (size_t i = 0; i < length; i++)
        s.push_back(char((i * 31 + salt) & 0xFF));
    return s;
}

// No header to write a MacBinary file of.
const int kCopyNoHeader = -4;

// Runs WriteMacBinary on the stream of `file` and returns the output.
std::string MacBinaryOf(const std::string &stream, int *result = nullptr)
{
    FILE *in = StreamWith(stream);
    FILE *out = tmpfile();
    BinHexHeader header;
    int r = ReadBinHexHeader(in, &header) < 0 ? kCopyNoHeader : WriteMacBinary(&header, in, out);
    if (result != nullptr)
        *result = r;
    std::string bytes = StreamContents(out);
    fclose(in);
    fclose(out);
    return bytes;
}

TEST(WriteMacBinary, PadsTheDataForkOnlyWhenAResourceForkFollows)
{
    struct {
        size_t d, r, fileSize, resourceAt;
    } const cases[] = {
        {300, 10, 522, 512},
        {256, 10, 394, 384},
        {300, 0, 428, 0},
        {0, 10, 138, 128},
        {0, 0, 128, 0},
        {128, 1, 257, 256},
        {1, 1, 257, 256},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "D=" << c.d << " R=" << c.r);
        MacFile file;
        file.name = "Doc";
        file.data = Pattern(c.d, 1);
        file.resource = Pattern(c.r, 7);
        int result;
        std::string bin = MacBinaryOf(BinHexStream(file), &result);
        EXPECT_EQ(result, kCopyDone);
        ASSERT_EQ(bin.size(), c.fileSize);
        EXPECT_EQ(bin.substr(128, c.d), file.data);
        if (c.r != 0) {
            EXPECT_EQ(bin.substr(128 + c.d, c.resourceAt - 128 - c.d),
                      std::string(c.resourceAt - 128 - c.d, '\0'));
            EXPECT_EQ(bin.substr(c.resourceAt), file.resource);
        }
    }
}

TEST(WriteMacBinary, WritesAMacBinaryOneHeader)
{
    MacFile file;
    file.name = "R\x8Esum\x8E";                 // Mac Roman, copied untranslated
    file.type = "APPL";
    file.creator = "ttxt";
    file.data = Pattern(0x1234, 3);
    file.resource = Pattern(0x10, 5);
    std::string stream = BinHexStream(file);
    std::string bin = MacBinaryOf(stream);
    ASSERT_GE(bin.size(), 128u);
    std::string expected(128, '\0');
    expected[1] = 6;
    expected.replace(2, 6, file.name);
    expected.replace(65, 8, "APPLttxt");
    // Offsets 83-90: the eight length bytes exactly as in the stream.
    expected.replace(83, 8, stream.substr(1 + 6 + 11, 8));
    EXPECT_EQ(bin.substr(0, 128), expected);
    EXPECT_EQ(bin.substr(83, 8), std::string("\x00\x00\x12\x34\x00\x00\x00\x10", 8));
}

TEST(WriteMacBinary, StopsTheTypeAtAZeroByteAndTruncatesLongNames)
{
    MacFile file;
    file.name = std::string(100, 'N') ;
    file.name[70] = 'Z';
    file.type = std::string("\0AB\0", 4);
    file.creator = "CREA";
    file.data = "data";
    std::string bin = MacBinaryOf(BinHexStream(file));
    ASSERT_EQ(bin.size(), 128u + 4);
    EXPECT_EQ(bin[1], 63);
    EXPECT_EQ(bin.substr(2, 63), std::string(63, 'N'));
    // A type that starts with zero leaves type and creator empty.
    EXPECT_EQ(bin.substr(65, 8), std::string(8, '\0'));
    // All 100 name bytes were consumed: the data fork is found.
    EXPECT_EQ(bin.substr(128), "data");
}

TEST(WriteMacBinary, WritesWhatThereIsOfAShortStreamAndSaysSo)
{
    MacFile file;
    file.name = "Cut";
    file.data = Pattern(5000, 2);
    file.resource = Pattern(100, 4);
    std::string stream = BinHexStream(file);
    struct {
        const char *label;
        size_t keep;
        int result;
        size_t binSize;
    } const cases[] = {
        {"empty stream", 0, kCopyNoHeader, 0},
        {"inside the name", 2, kCopyNoHeader, 0},
        {"inside the fixed part", 10, kCopyNoHeader, 0},
        {"inside the data fork", 25 + 1000, kCopyShortSource, 128 + 1000},
        {"inside the resource fork", 25 + 5002 + 50, kCopyShortSource, 128 + 5000 + 120 + 50},
        {"only the last CRC missing", stream.size() - 2, kCopyDone, 128 + 5000 + 120 + 100},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        int result;
        std::string bin = MacBinaryOf(stream.substr(0, c.keep), &result);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(bin.size(), c.binSize);
    }
}

TEST(CopyBytes, CopiesInBlocksAndStopsWhenTheSourceEnds)
{
    struct {
        size_t available, count, copied;
        int result;
    } const cases[] = {
        {100000, 100000, 100000, kCopyDone},      // three passes
        {100000, 40960, 40960, kCopyDone},
        {100000, 40961, 40961, kCopyDone},
        {100000, 0, 0, kCopyDone},
        {1000, 5000, 1000, kCopyShortSource},
        {0, 10, 0, kCopyShortSource},
        {81920, 81921, 81920, kCopyShortSource},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.available << " " << c.count);
        std::string source = Pattern(c.available, 9);
        FILE *in = StreamWith(source);
        FILE *out = tmpfile();
        fputs("head", out);                       // copies go at the current position
        EXPECT_EQ(CopyBytes(in, out, uint32_t(c.count)), c.result);
        EXPECT_EQ(StreamContents(out), "head" + source.substr(0, c.copied));
        fclose(in);
        fclose(out);
    }
}

TEST(CopyBytes, ReportsAWriteThatFails)
{
    FILE *in = StreamWith(Pattern(1000, 1));
    FILE *out = fopen("/dev/full", "w+b");
    if (out == nullptr)
        GTEST_SKIP() << "no /dev/full here";
    setvbuf(out, nullptr, _IONBF, 0);
    EXPECT_EQ(CopyBytes(in, out, 1000), kCopyWriteFailed);
    fclose(in);
    fclose(out);
}

}  // namespace
