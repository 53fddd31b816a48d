// Output names: string helpers, MacNameTable, safe names and ReadForkHeader.
#include <cstring>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/signatures.h"
#include "test_support.h"

namespace {

TEST(SetExtension, ReplacesAnExtensionOfAtMostThreeCharactersInTheLastComponent)
{
    struct {
        const char *path;
        const char *extension;       // null: none
        const char *result;
    } const cases[] = {
        {"C:\\mail\\report.hqx", "BQX", "C:\\mail\\report.bqx"},
        {"C:\\mail\\report", "BQX", "C:\\mail\\report.bqx"},
        {"archive.binhex", "BQX", "archive.binhex.bqx"},
        {"memo.", "BQX", "memo.bqx"},
        {"Notes.1", "TXT", "Notes.txt"},
        {"a.b.c", "TXT", "a.b.txt"},
        {"photo.jpeg", "JPG", "photo.jpeg.jpg"},
        {"Page", "HTML", "Page.html"},
        {"Read Me", "", "Read Me."},
        {"Report.doc", nullptr, "Report."},
        {"Read Me", nullptr, "Read Me"},
        {"C:\\a.b\\c", "BQX", "C:\\a.b\\c.bqx"},
        {"/tmp/a.b/c", "BQX", "/tmp/a.b/c.bqx"},
        {"/tmp/a.b/c.hqx", "BIX", "/tmp/a.b/c.bix"},
        {"x.Hq", "bIn", "x.bin"},
        {"", "TXT", ".txt"},
        {"Mixed.CASE", "A1_Z", "Mixed.CASE.a1_z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        char buffer[64];
        strcpy(buffer, c.path);
        EXPECT_EQ(SetExtension(buffer, c.extension), buffer);
        EXPECT_STREQ(buffer, c.result);
    }
}

TEST(StringHelpers, StripLeadingBlanksAndAppendChar)
{
    struct {
        const char *before;
        int result;
        const char *after;
    } const cases[] = {
        {"   x", 1, "x"}, {"x", 0, "x"}, {"\tx", 0, "\tx"}, {"   ", 1, ""}, {"", 0, ""},
        {" a b ", 1, "a b "},
    };
    for (const auto &c : cases) {
        char buffer[16];
        strcpy(buffer, c.before);
        EXPECT_EQ(StripLeadingBlanks(buffer), c.result) << c.before;
        EXPECT_STREQ(buffer, c.after);
    }
    char s[8] = "ab";
    EXPECT_STREQ(AppendChar(AppendChar(s, '\\'), 'c'), "ab\\c");
}

TEST(MacNameTable, KeepsPrintableAsciiButTheBackslashAndTranslatesMacRoman)
{
    for (int c = 0; c < 256; c++) {
        unsigned char expected;
        if (c == 0x1E)
            expected = '-';
        else if (c < 0x20 || c == 0x5C)
            expected = '_';
        else if (c < 0x7F)
            expected = (unsigned char)c;
        else if (c == 0x7F)
            expected = ' ';
        else
            continue;
        EXPECT_EQ(MacNameTable[c], expected) << "byte " << c;
    }
    // Letters keep their look; signs without one become '_'.
    struct {
        unsigned char mac, ansi;
    } const high[] = {
        {0x80, 0xC4}, {0x8E, 0xE9}, {0x8F, 0xE8}, {0x9A, 0xF6}, {0xAA, 0x99}, {0xD4, 0x91},
        {0xD5, 0x92}, {0xDB, 0xA4}, {0xD0, '-'}, {0xD1, '-'}, {0xD9, 'Y'}, {0xDA, 0xA6},
        {0xF5, 'i'}, {0xF6, '^'}, {0xF7, '"'}, {0xFD, '"'}, {0xFB, 0xB0}, {0xA0, '_'},
        {0xA5, '_'}, {0xC9, '_'}, {0xCA, '_'}, {0xCE, '_'}, {0xCF, '_'}, {0xD2, '_'},
        {0xD3, '_'}, {0xA7, 0xDF}, {0xD8, 0xFF}, {0xFF, '_'},
    };
    for (const auto &h : high)
        EXPECT_EQ(MacNameTable[h.mac], h.ansi) << "byte " << int(h.mac);
    // No byte becomes a terminator.
    for (int c = 0; c < 256; c++)
        EXPECT_NE(MacNameTable[c], 0) << c;
}

TEST(TranslateChars, TranslatesInPlaceAndStopsAtTheTerminator)
{
    char name[16] = "R\x8Esum\x8E\\x\ry";
    EXPECT_EQ(TranslateChars(name, name, MacNameTable), name);
    EXPECT_STREQ(name, "R\xE9sum\xE9_x_y");
    char empty[2] = "";
    char out[2] = "q";
    TranslateChars(out, empty, MacNameTable);
    EXPECT_STREQ(out, "");
}

TEST(MakeSafeFileName, NeverLeavesTheFolderOrNamesADevice)
{
    struct {
        const char *name;
        const char *safe;
    } const cases[] = {
        {"Read Me.txt", "Read Me.txt"},
        {"R\xE9sum\xE9.txt", "R\xE9sum\xE9.txt"},
        {"a/b", "a_b"},
        {"../x", ".._x"},
        {"..", "_.."},
        {".", "_."},
        {". .", "_. ."},
        {"", "_"},
        {"C:x", "C_x"},
        {"x:y", "x_y"},
        {"what?*<>|\"", "what______"},
        {"tab\there", "tab_here"},
        {"CON", "_CON"},
        {"con", "_con"},
        {"nul.txt", "_nul.txt"},
        {"Aux.tar.gz", "_Aux.tar.gz"},
        {"PRN ", "_PRN "},
        {"COM1", "_COM1"},
        {"lpt9.doc", "_lpt9.doc"},
        {"CONIN$", "_CONIN$"},
        {"conout$. ", "_conout$. "},
        {"CONOUT$.txt", "CONOUT$.txt"},
        {"COM0", "COM0"},
        {"CONSOLE", "CONSOLE"},
        {"CON2", "CON2"},
        {"LPT", "LPT"},
        {"xCON", "xCON"},
        {".hidden", ".hidden"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        char out[32];
        EXPECT_EQ(MakeSafeFileName(c.name, out, sizeof out), 0);
        EXPECT_STREQ(out, c.safe);
    }
    char small[4];
    EXPECT_EQ(MakeSafeFileName("abcd", small, sizeof small), -1);
    EXPECT_EQ(MakeSafeFileName("CON", small, sizeof small), -1);
    EXPECT_EQ(MakeSafeFileName("abc", small, sizeof small), 0);
}

// ReadForkHeader on the expanded stream of a file.
class ForkHeader : public InTempFolder {
protected:
    void UseSignatures(const std::string &text)
    {
        WriteFileBytes(Path("s.sig"), text);
        strcpy(SignaturesFilePath, Path("s.sig").c_str());
    }
    // The name made for request, or "-N" for a negative result N.
    std::string NameFor(const MacFile &file, int request, int *n = nullptr)
    {
        FILE *stream = StreamWith(BinHexStream(file));
        char name[kPathCapacity];
        BinHexHeader header;
        bool have = ReadBinHexHeader(stream, &header) == 0;
        int result = ReadForkHeader(have ? &header : nullptr, name, request);
        long position = ftell(stream);
        fclose(stream);
        if (n != nullptr)
            *n = result;
        if (result < 0)
            return std::to_string(result);
        EXPECT_EQ(position, long(file.name.size()) + 22);
        EXPECT_EQ(header.dataLength, file.data.size());
        return name;
    }
};

MacFile Named(const std::string &name, const std::string &type = "TEXTttxt")
{
    MacFile file;
    file.name = name;
    file.type = type.substr(0, 4);
    file.creator = type.substr(4, 4);
    file.data = "d";
    file.resource = "r";
    return file;
}

TEST_F(ForkHeader, NamesFilesFromTheMacNameAndTheTable)
{
    UseSignatures("DOC,WDBNMSWD\r\nJPG,JPEG????\r\nHTML,TEXTStMl\r\n,EMPTextn\r\n");
    struct {
        const char *mac;
        const char *typeCreator;
        int request;
        const char *name;
    } const cases[] = {
        {"Read Me", "TEXTttxt", kForkData, "Read Me.txt"},
        {"Report.doc", "WDBNMSWD", kForkData, "Report.doc"},
        {"photo.jpeg", "JPEGJVWR", kForkResource, "photo.jpeg.jpg"},
        {"a.b.c", "TEXTttxt", kForkData, "a.b.txt"},
        {"Page", "TEXTStMl", kForkData, "Page.html"},
        {"Empty ext", "EMPTextn", kForkData, "Empty ext."},
        {"", "TEXTttxt", kForkData, ".txt"},
        {"R\x8Esum\x8E", "TEXTttxt", kForkData, "R\xE9sum\xE9.txt"},
        {"back\\slash\rcr", "TEXTttxt", kForkData, "back_slash_cr.txt"},
        {"a/b", "TEXTttxt", kForkData, "a/b.txt"},     // kept: made safe only when created
        {"Read Me", "TEXTttxt", kForkPairData, "Read Me.dat.txt"},
        {"Read Me", "TEXTttxt", kForkPairResource, "Read Me.res.txt"},
        {"Report.doc", "WDBNMSWD", kForkPairData, "Report.dat.doc"},
        {"photo.jpeg", "JPEGJVWR", kForkPairResource, "photo.jpeg.res.jpg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mac);
        EXPECT_EQ(NameFor(Named(c.mac, c.typeCreator), c.request), c.name);
    }
}

TEST_F(ForkHeader, WithoutATableNamesGetNoExtension)
{
    struct {
        const char *mac;
        int request;
        const char *name;
    } const cases[] = {
        {"Read Me", kForkData, "Read Me"},
        {"Report.doc", kForkData, "Report."},
        {"photo.jpeg", kForkResource, "photo.jpeg"},
        {"Read Me", kForkPairData, "Read Me.dat"},
        {"Read Me", kForkPairResource, "Read Me.res"},
        {"Report.doc", kForkPairResource, "Report.res"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mac);
        EXPECT_EQ(NameFor(Named(c.mac), c.request), c.name);
    }
}

TEST_F(ForkHeader, AnEmptyForkGivesMinusTheRequest)
{
    MacFile noData = Named("x");
    noData.data.clear();
    MacFile noResource = Named("x");
    noResource.resource.clear();
    EXPECT_EQ(NameFor(noData, kForkData), "-1");
    EXPECT_EQ(NameFor(noData, kForkPairData), "-3");
    EXPECT_EQ(NameFor(noData, kForkResource), "x");
    EXPECT_EQ(NameFor(noResource, kForkResource), "-2");
    EXPECT_EQ(NameFor(noResource, kForkPairResource), "-4");
    EXPECT_EQ(NameFor(noResource, kForkData), "x");
}

TEST_F(ForkHeader, ReadsLongNamesWholeButKeepsTheirFirst127Characters)
{
    for (size_t length : {63u, 64u, 127u, 128u, 200u, 255u}) {
        SCOPED_TRACE(length);
        MacFile file = Named(std::string(length, 'n'));
        int n;
        std::string name = NameFor(file, kForkData, &n);
        EXPECT_EQ(n, int(length));
        EXPECT_EQ(name, std::string(length < 127 ? length : 127, 'n'));
    }
}

TEST_F(ForkHeader, AStreamTooShortForItsHeaderHoldsNoFork)
{
    std::string stream = BinHexStream(Named("Short"));
    for (size_t keep : {0u, 1u, 4u, 6u, 20u, 26u}) {
        SCOPED_TRACE(keep);
        FILE *f = StreamWith(stream.substr(0, keep));
        char name[kPathCapacity];
        BinHexHeader header;
        EXPECT_EQ(ReadBinHexHeader(f, &header), -1);
        EXPECT_EQ(ReadForkHeader(nullptr, name, kForkData), -1);
        EXPECT_EQ(ReadForkHeader(nullptr, name, kForkPairResource), -4);
        fclose(f);
    }
}

TEST_F(ForkHeader, LoadsTheTableOnceAtTheFirstCallOfTheRun)
{
    UseSignatures("ONE,TEXTttxt\r\n");
    MacFile empty = Named("first");
    empty.data.clear();
    EXPECT_EQ(NameFor(empty, kForkData), "-1");         // loads even so
    UseSignatures("TWO,TEXTttxt\r\n");
    EXPECT_EQ(NameFor(Named("second"), kForkData), "second.one");

    // A first load that found no file is not tried again.
    ResetSignatureLoad();
    strcpy(SignaturesFilePath, Path("missing.sig").c_str());
    EXPECT_EQ(NameFor(Named("third"), kForkData), "third");
    UseSignatures("TWO,TEXTttxt\r\n");
    EXPECT_EQ(NameFor(Named("fourth"), kForkData), "fourth");
}

}  // namespace
