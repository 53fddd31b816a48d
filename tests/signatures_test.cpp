// The signatures file and the three-pass lookup.
#include <cstring>

#include "extract/signatures.h"
#include "test_support.h"

namespace {

class Signatures : public InTempFolder {
protected:
    // Loads a signatures file holding text.
    void Load(const std::string &text)
    {
        WriteFileBytes(Path("test.sig"), text);
        strcpy(SignaturesFilePath, Path("test.sig").c_str());
        LoadSignatureTable();
    }
    // Row i as "ext|typeCreator|note".
    std::string Row(int i)
    {
        const SignatureEntry &e = SignatureTable[i];
        return std::string(e.extension) + "|" + e.typeCreator + "|" + e.note;
    }
    // The extension found for an 8-byte key, or "<none>" without a table.
    std::string Lookup(const std::string &key)
    {
        unsigned char bytes[8] = {0};
        memcpy(bytes, key.data(), key.size() < 8 ? key.size() : 8);
        const SignatureEntry *e = FindSignature(bytes);
        return e == nullptr ? "<none>" : e->extension;
    }
};

TEST_F(Signatures, ReadsLinesIntoRowsAfterTheDefaultRow)
{
    struct {
        const char *label;
        std::string file;
        std::vector<std::string> rows;     // rows 0.. in use or not
    } const cases[] = {
        {"typical lines", "PDF,PDF CARO\r\nHQX,TEXTBNHQ,BinHex text\r\n",
         {"TXT|TEXT????|", "PDF|PDF CARO|", "HQX|TEXTBNHQ|BinHex text", "||"}},
        {"comments and empty lines are not rows", "# c\r\n\r\n#x,TEXTabcd\r\nGIF,GIFfGKON\r\n",
         {"TXT|TEXT????|", "GIF|GIFfGKON|", "||"}},
        {"a blank after the comma belongs to the type", "TXT, TEXTttxt\r\n",
         {"TXT|TEXT????|", "TXT| TEXTttx|"}},
        {"extensions keep four characters", "HTML5,TEXTStMl\r\n",
         {"TXT|TEXT????|", "HTML|TEXTStMl|"}},
        {"the type is eight characters, commas included", "AI,TEXT,drawing\r\n",
         {"TXT|TEXT????|", "AI|TEXT,dra|"}},
        {"a note after the eighth character", "EPS,EPSFART5,vector art\r\n",
         {"TXT|TEXT????|", "EPS|EPSFART5|vector art"}},
        {"no comma, no extension", "TEXTttxt\r\n", {"TXT|TEXT????|", "|TEXTttxt|"}},
        {"leading blanks go, so #x is no comment", "  #x\r\n", {"TXT|TEXT????|", "|#x|"}},
        {"a tab is no blank", "\tAB,CDEFGHIJ\r\n", {"TXT|TEXT????|", "\tAB|CDEFGHIJ|"}},
        {"a line of blanks takes an empty row", "   \r\nGIF,GIFfGKON\r\n",
         {"TXT|TEXT????|", "||", "GIF|GIFfGKON|"}},
        {"bare LF line ends stay in the text", "AI,TEXT\n\n",
         {"TXT|TEXT????|", "AI|TEXT\n|", "|\n|"}},
        {"a last line without a line end", "GIF,GIFfGKON", {"TXT|TEXT????|", "GIF|GIFfGKON|"}},
        {"notes keep 64 characters", "X,ABCDEFGH," + std::string(70, 'n') + "\r\n",
         {"TXT|TEXT????|", "X|ABCDEFGH|" + std::string(64, 'n')}},
        {"a 100-character comment leaves its tail as a line",
         "#" + std::string(78, 'c') + "TAIL,ABCDEFGH" + std::string(8, 'z') + "\r\n",
         {"TXT|TEXT????|", "TAIL|ABCDEFGH|"}},
        {"a long line gives pieces of 79 characters",
         std::string(79, 'a') + "J,JPEGJVWR\r\n",
         {"TXT|TEXT????|", "|aaaaaaaa|", "J|JPEGJVWR|"}},
        {"CR-only line ends: one row a piece, from the text before its first CR",
         "GIF,GIFfGKON\rPDF,PDF CARO\r" + std::string(60, 'x') + "\rJPG,JPEGJVWR\r",
         {"TXT|TEXT????|", "GIF|GIFfGKON|", "|xxxxxxx|", "||"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        ResetSignatureLoad();
        Load(c.file);
        ASSERT_NE(SignatureTable, nullptr);
        for (size_t i = 0; i < c.rows.size(); i++)
            EXPECT_EQ(Row(int(i)), c.rows[i]) << "row " << i;
    }
}

TEST_F(Signatures, TakesAtMostSixtyThreeLines)
{
    std::string file = "# header\r\n";
    for (int i = 1; i <= 70; i++) {
        char line[32];
        snprintf(line, sizeof line, "E%02d,TY%02dCREA\r\n", i, i);
        file += line;
        if (i % 10 == 0)
            file += "\r\n# not counted\r\n";
    }
    Load(file);
    EXPECT_EQ(Row(1), "E01|TY01CREA|");
    EXPECT_EQ(Row(63), "E63|TY63CREA|");
    EXPECT_EQ(Lookup("TY63CREA"), "E63");
    EXPECT_EQ(Lookup("TY64CREA"), "E01");   // TY in pass 3 finds row 1 first
}

TEST_F(Signatures, LooksUpInThreePassesWithTheDefaultRowLast)
{
    Load("HTM,TEXTStMl\r\nTIF,TIFF????\r\nJPG,JPEGJVWR\r\nJPEG,JPEGogle\r\n   \r\nZ,ZZZZZZZZ\r\n");
    struct {
        std::string key;
        const char *extension;
    } const cases[] = {
        {"TEXTStMl", "HTM"},                    // pass 1
        {"TEXTR*ch", "TXT"},                    // pass 2 meets row 0 first
        {"TIFFJVWR", "TIF"},                    // pass 2
        {"TIFXabcd", "TIF"},                    // pass 3
        {"JPEGogle", "JPEG"},                   // an exact match beats an earlier type match
        {"JPEGxxxx", "JPG"},
        {"PICTabcd", "TXT"},                    // nothing: the default row
        {std::string("\0IFFJVWR", 8), "TXT"},  // an empty key matches nothing
        {std::string("TIFF\0JVW", 8), "TIF"},  // the key ends at a zero byte
        {"ZZZZZZZZ", "TXT"},                    // after a row not in use: never found
        {"TEXT????", "TXT"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(Lookup(c.key), c.extension);
    }
}

TEST_F(Signatures, OnlyCommentsGiveTheDefaultRowForEveryKey)
{
    Load("# nothing\r\n\r\n# else\r\n");
    EXPECT_EQ(Row(1), "||");
    EXPECT_EQ(Lookup("PDF CARO"), "TXT");
}

TEST_F(Signatures, WithoutAFileThereIsNoTable)
{
    struct {
        const char *label;
        std::string path;
    } const cases[] = {
        {"no path", ""},
        {"a missing file", "/nonexistent/none.sig"},
        {"a folder", "/tmp"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        ResetSignatureLoad();
        strcpy(SignaturesFilePath, c.path.c_str());
        LoadSignatureTable();
        EXPECT_EQ(SignatureTable, nullptr);
        EXPECT_EQ(Lookup("TEXTttxt"), "<none>");
    }
}

TEST_F(Signatures, AReadOnlyFileIsLoaded)
{
    WriteFileBytes(Path("ro.sig"), "GIF,GIFfGKON\r\n");
    if (!MakeReadOnly(Path("ro.sig")))
        GTEST_SKIP() << "cannot make a file read-only here";
    strcpy(SignaturesFilePath, Path("ro.sig").c_str());
    LoadSignatureTable();
    UndoReadOnly(Path("ro.sig"));
    EXPECT_EQ(Row(1), "GIF|GIFfGKON|");
}

TEST_F(Signatures, ALaterLoadStartsFromAnEmptyTable)
{
    Load("A,AAAAAAAA\r\nB,BBBBBBBB\r\n");
    Load("C,CCCCCCCC\r\n");
    EXPECT_EQ(Row(1), "C|CCCCCCCC|");
    EXPECT_EQ(Row(2), "||");
}

}  // namespace
