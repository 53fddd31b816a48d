// The run-length stage: 0x90 markers and the previous-byte rule.
#include "decode/binhex.h"
#include "test_support.h"

namespace {

std::string Expand(const std::string &input)
{
    FILE *in = StreamWith(input);
    FILE *out = tmpfile();
    EXPECT_EQ(ExpandRunLength(in, out), 1);
    std::string result = StreamContents(out);
    fclose(in);
    fclose(out);
    return result;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

TEST(ExpandRunLength, RepeatsThePreviousStepsFirstByte)
{
    struct {
        const char *label;
        std::string input;
        std::string output;
    } const cases[] = {
        {"empty", "", ""},
        {"plain bytes", "ABC", "ABC"},
        {"a run of four", Bytes({0x41, 0x90, 0x04}), "AAAA"},
        {"a count of one adds nothing", Bytes({0x41, 0x90, 0x01}), "A"},
        {"a literal marker", Bytes({0x90, 0x00}), Bytes({0x90})},
        {"after a literal marker the previous byte is 0x90",
         Bytes({0x2B, 0x90, 0x00, 0x90, 0x05}), Bytes({0x2B, 0x90, 0x90, 0x90, 0x90, 0x90})},
        {"after a run the previous byte is 0x90, not the run's",
         Bytes({0x41, 0x90, 0x03, 0x90, 0x03}), Bytes({0x41, 0x41, 0x41, 0x90, 0x90})},
        {"a count of 0x90 is an ordinary count", Bytes({0x41, 0x90, 0x90}), std::string(144, 'A')},
        {"the previous byte starts as zero", Bytes({0x90, 0x05}), std::string(4, '\0')},
        {"a marker at the end writes nothing", Bytes({0x41, 0x90}), "A"},
        {"a count of 255", Bytes({0x00, 0x90, 0xFF, 0x42}), std::string(255, '\0') + "B"},
        {"the count byte is not the previous byte",
         Bytes({0x41, 0x90, 0x02, 0x43, 0x90, 0x03}), "AACCC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Expand(c.input), c.output);
    }
}

TEST(ExpandRunLength, ExpandsLongStreamsAcrossItsBuffers)
{
    // Runs of every count and literal markers, far past one buffer, checked
    // against a plain reading of the rules.
    std::string input, expected;
    unsigned char previous = 0;
    for (int i = 0; i < 40000; i++) {
        unsigned char c = (unsigned char)(i * 7 + 3);
        int count = i % 256;
        if (c == 0x90) {
            input += Bytes({0x90, 0x00});
            expected.push_back(char(0x90));
        } else {
            input.push_back(char(c));
            expected.push_back(char(c));
            previous = c;
            input += Bytes({0x90, count});
            if (count == 0)
                expected.push_back(char(0x90));
            else
                expected.append(count - 1, char(previous));
        }
    }
    EXPECT_EQ(Expand(input), expected);
}

}  // namespace
