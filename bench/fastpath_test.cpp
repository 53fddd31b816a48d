// The block-at-a-time stages against the byte-at-a-time reference decoder:
// whole conversions of generated files of a few megabytes, and the stages
// alone on streams built to put markers, counts, skipped characters and
// short groups on every side of the stages' block edges.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/hqx_encode.h"
#include "bench/reference_decode.h"
#include "decode/binhex.h"
#include "decode/block_io.h"
#include "extract/convert.h"
#include "tests/recorder.h"

namespace {

std::string ReadAll(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return "<missing " + path + ">";
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) != 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

void WriteAll(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

FILE *StreamOf(const std::string &bytes)
{
    FILE *f = tmpfile();
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    return f;
}

std::string Contents(FILE *f)
{
    std::string bytes;
    rewind(f);
    int c;
    while ((c = getc(f)) != EOF)
        bytes.push_back(char(c));
    return bytes;
}

// Runs a stage of the program and the reference on the same bytes.
void CompareStage(const std::string &input, int (*stage)(FILE *, FILE *),
                  void (*reference)(FILE *, FILE *), const std::string &what)
{
    FILE *in = StreamOf(input);
    FILE *out = tmpfile();
    stage(in, out);
    fflush(out);
    std::string fast = Contents(out);
    fclose(in);
    fclose(out);
    in = StreamOf(input);
    out = tmpfile();
    reference(in, out);
    fflush(out);
    std::string slow = Contents(out);
    fclose(in);
    fclose(out);
    ASSERT_EQ(fast.size(), slow.size()) << what;
    // Name the first difference rather than print megabytes.
    size_t i = 0;
    while (i < fast.size() && fast[i] == slow[i])
        i++;
    EXPECT_EQ(i, fast.size()) << what << ": first difference at byte " << i;
}

// Small seeded generator for the built streams.
struct Random {
    uint64_t state;
    unsigned Below(unsigned n)
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return unsigned((state >> 33) % n);
    }
};

// A folder of its own, current while a test runs.
class FastPath : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quillon-fastpath.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous = cwd;
        ASSERT_EQ(chdir(folder.c_str()), 0);
        RecordedMessages.clear();
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previous.c_str()), 0);
        std::string command = "rm -rf '" + folder + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
    std::string Path(const std::string &name) const { return folder + "/" + name; }

    // Decodes hqxName with the reference into ref.* files.
    void ReferenceDecode(const std::string &hqxName)
    {
        FILE *in = fopen(Path(hqxName).c_str(), "rb");
        FILE *bqx = fopen(Path("ref.bqx").c_str(), "w+b");
        ASSERT_TRUE(in != nullptr && bqx != nullptr);
        ReferenceTextStage(in, bqx);
        fclose(in);
        rewind(bqx);
        FILE *bix = fopen(Path("ref.bix").c_str(), "w+b");
        ASSERT_NE(bix, nullptr);
        ReferenceRunLength(bqx, bix);
        fclose(bqx);
        ReferenceHeader header;
        ASSERT_EQ(ReferenceReadHeader(bix, &header), 0);
        const char *names[2] = {"ref.data", "ref.rsrc"};
        for (int fork = 0; fork < 2; fork++) {
            FILE *out = fopen(Path(names[fork]).c_str(), "wb");
            ReferenceCopyFork(bix, &header, fork, out);
            fclose(out);
        }
        FILE *bin = fopen(Path("ref.bin").c_str(), "wb");
        ReferenceMacBinary(bix, &header, bin);
        fclose(bin);
        fclose(bix);
    }

    std::string folder;
    std::string previous;
};

// A generated file whose text is rewrapped: CR LF line ends every 61
// characters (so groups straddle lines), and colons here and there.
std::string Rewrapped(const std::string &hqx)
{
    size_t firstLineEnd = hqx.find('\n');
    std::string text;
    for (size_t i = firstLineEnd + 1; i < hqx.size(); i++)
        if (hqx[i] != '\n' && hqx[i] != ':')
            text.push_back(hqx[i]);
    std::string out = "(This file must be converted with BinHex 4.0)\r\n\r\n:";
    for (size_t i = 0; i < text.size(); i++) {
        if (i != 0 && i % 61 == 0)
            out += "\r\n";
        if (i % 997 == 500)
            out += ":";
        out.push_back(text[i]);
    }
    out += ":\r\n";
    return out;
}

struct Generated {
    const char *kind;
    uint64_t size;
    bool rewrap;
};

// Whole conversions: the fast path's intermediates and outputs equal the
// reference decoding, and the forks equal the generated ones.
TEST_F(FastPath, ConversionsMatchTheByteAtATimeDecoding)
{
    const Generated files[] = {
        {"runs", 3u << 20, false},
        {"both", 2u << 20, false},
        {"random", 1u << 20, false},
        {"both", 1u << 20, true},
    };
    for (const Generated &g : files) {
        SCOPED_TRACE(std::string(g.kind) + (g.rewrap ? ", rewrapped" : ""));
        BenchFile file;
        ASSERT_EQ(SetUpBenchFile(&file, g.kind, g.size, 7), 0);
        ASSERT_EQ(SizeBenchFile(&file), 0);
        ASSERT_EQ(WriteBenchFile(&file, Path("in.hqx").c_str(), Path("gen.data").c_str(),
                                 Path("gen.rsrc").c_str()), 0);
        if (g.rewrap)
            WriteAll(Path("in.hqx"), Rewrapped(ReadAll(Path("in.hqx"))));
        ReferenceDecode("in.hqx");
        EXPECT_EQ(ReadAll(Path("ref.data")), ReadAll(Path("gen.data")));
        EXPECT_EQ(ReadAll(Path("ref.rsrc")), ReadAll(Path("gen.rsrc")));

        std::string name = file.name;
        bool both = file.resourceLength != 0;
        ConvertFile(Path("in.hqx").c_str(), both ? kModeBoth : kModeData, &Recorder);
        EXPECT_TRUE(RecordedMessages.empty()) << RecordedMessages[0];
        EXPECT_TRUE(ReadAll(Path("in.bqx")) == ReadAll(Path("ref.bqx")));
        EXPECT_TRUE(ReadAll(Path("in.bix")) == ReadAll(Path("ref.bix")));
        if (both) {
            EXPECT_TRUE(ReadAll(Path(name + ".dat")) == ReadAll(Path("ref.data")));
            EXPECT_TRUE(ReadAll(Path(name + ".res")) == ReadAll(Path("ref.rsrc")));
        } else {
            EXPECT_TRUE(ReadAll(Path(name)) == ReadAll(Path("ref.data")));
        }
        ConvertFile(Path("in.hqx").c_str(), kModeMacBinary, &Recorder);
        EXPECT_TRUE(RecordedMessages.empty());
        EXPECT_TRUE(ReadAll(Path("in.bin")) == ReadAll(Path("ref.bin")));
        EXPECT_EQ(system("rm -f ./*"), 0);
    }
}

// A text stage input whose skipped characters, short last group and
// out-of-alphabet characters fall around the block edges.
std::string EdgeText(Random *r, size_t length, unsigned skipOneIn)
{
    static const char kSignificant[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
    static const char kOthers[] = "\r\n: ~\x00\xC9.7gno";
    std::string text = "(first line)";
    text += "\r\n\n"[r->Below(3)];
    while (text.size() < length) {
        if (r->Below(skipOneIn) == 0)
            text.push_back(kOthers[r->Below(sizeof kOthers - 1)]);
        else
            text.push_back(kSignificant[r->Below(64)]);
    }
    return text;
}

TEST_F(FastPath, TextStageAroundBlockEdges)
{
    Random r = {11};
    const size_t block = kStageBufferSize;
    const size_t lengths[] = {0, 5, 14, 15, 16, 17, block - 1, block, block + 1, block + 2,
                              block + 3, block + 4, 2 * block + 13, 3 * block - 2};
    const unsigned density[] = {2, 5, 64, 100000};
    for (size_t length : lengths)
        for (unsigned d : density)
            CompareStage(EdgeText(&r, length, d), DecodeTextStage, ReferenceTextStage,
                         "length " + std::to_string(length) + ", one in " + std::to_string(d));
    // A first line that runs past 128 characters, and lone line ends.
    CompareStage(std::string(300, 'A') + "\nBCDE", DecodeTextStage, ReferenceTextStage, "long line");
    CompareStage("\rBCDEFGH", DecodeTextStage, ReferenceTextStage, "lone CR");
    CompareStage("\n\rBCDEFG", DecodeTextStage, ReferenceTextStage, "LF CR");
}

// A run-length input with a marker step at a chosen offset, so that the
// marker or its count is the last byte of a block, or the expansion ends
// right at the output buffer's end.
TEST_F(FastPath, RunLengthAroundBlockEdges)
{
    const size_t block = kStageBufferSize;
    const unsigned counts[] = {0, 1, 2, 3, 9, 254, 255};
    for (size_t at = block - 3; at <= block + 1; at++) {
        for (unsigned count : counts) {
            std::string s(at, 'x');
            s[at - 1] = 'Y';
            s += '\x90';
            s.push_back(char(count));
            s += "\x90";              // and a marker without a count at the end
            CompareStage(s, ExpandRunLength, ReferenceRunLength,
                         "marker at " + std::to_string(at) + ", count " + std::to_string(count));
        }
    }
    // Runs of 255 from every alignment: the output crosses its buffer's end
    // inside a run, after one and between two.
    for (size_t lead = 0; lead < 12; lead++) {
        std::string s(lead, 'q');
        for (int i = 0; i < 600; i++)
            s += std::string("A\x90\xFF", 3);
        CompareStage(s, ExpandRunLength, ReferenceRunLength, "runs after " + std::to_string(lead));
    }
}

// Dense random run-length inputs: markers, literal 0x90s, counts of every
// value and stretches without markers, in every mix.
TEST_F(FastPath, RunLengthOnRandomStreams)
{
    Random r = {5};
    for (int round = 0; round < 40; round++) {
        unsigned markerOneIn = 2 + r.Below(40);
        size_t length = r.Below(3) == 0 ? r.Below(64) : 60000 + r.Below(80000);
        std::string s;
        while (s.size() < length) {
            if (r.Below(markerOneIn) == 0) {
                s += '\x90';
                s.push_back(char(r.Below(4) == 0 ? 0 : r.Below(256)));
            } else {
                unsigned stretch = 1 + r.Below(r.Below(2) ? 4 : 40);
                for (unsigned i = 0; i < stretch; i++)
                    s.push_back(char(r.Below(5) == 0 ? 'a' : r.Below(256) == 0x90 ? 0x91 : r.Below(256)));
            }
        }
        CompareStage(s, ExpandRunLength, ReferenceRunLength, "round " + std::to_string(round));
    }
}

}  // namespace
