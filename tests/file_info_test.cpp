// The information panel's text.
#include "extract/file_info.h"
#include "test_support.h"

namespace {

const char kNotCorrect[] = "Ce fichier n'est pas un fichier BinHex correct.";

class FileInfo : public InTempFolder {
protected:
    // The panel text for a file holding bytes; *result gets the result.
    std::string InfoFor(const std::string &bytes, int *result = nullptr)
    {
        WriteFileBytes(Path("f.hqx"), bytes);
        char text[kInfoTextCapacity];
        int r = FormatFileInfo(Path("f.hqx").c_str(), text);
        if (result != nullptr)
            *result = r;
        return text;
    }
};

MacFile File(const std::string &name, const std::string &type, size_t d, size_t r)
{
    MacFile file;
    file.name = name;
    file.type = type.substr(0, 4);
    file.creator = type.substr(4, 4);
    file.data = std::string(d, 'd');
    file.resource = std::string(r, 'r');
    return file;
}

TEST_F(FileInfo, ShowsNameTypeAndForkLengths)
{
    struct {
        const char *label;
        MacFile file;
        const char *text;
        std::string before = "";     // text before the identification line
    } const cases[] = {
        {"a text file", File("Read Me", "TEXTttxt", 1234, 0),
         "Nom réel : Read Me\nType : TEXTttxt\nDonnées : 1234\nRessources : 0"},
        {"Mac accents and a backslash", File("R\x8Esum\x8E\\1", "APPLdude", 1, 2),
         "Nom réel : Résumé_1\nType : APPLdude\nDonnées : 1\nRessources : 2"},
        {"a type that starts with zero", File("x", std::string("\0EXTttxt", 8), 5, 5),
         "Nom réel : x\nType : \nDonnées : 5\nRessources : 5"},
        {"an empty name", File("", "TEXTttxt", 0, 0),
         "Nom réel : \nType : TEXTttxt\nDonnées : 0\nRessources : 0"},
        {"a name of 44 characters", File(std::string(44, 'a'), "TEXTttxt", 9, 0),
         "Nom réel : aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\nType : TEXTttxt\nDonnées : 9\nRessources : 0"},
        {"after mail headers", File("Mail", "TEXTttxt", 7, 0),
         "Nom réel : Mail\nType : TEXTttxt\nDonnées : 7\nRessources : 0", "From: a@b\r\nSubject: x\r\n\r\n   "},
        {"after an empty line", File("E", "TEXTttxt", 1, 1),
         "Nom réel : E\nType : TEXTttxt\nDonnées : 1\nRessources : 1", "\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        int result;
        EXPECT_EQ(InfoFor(c.before + EncodeBinHex(c.file), &result), c.text);
        EXPECT_EQ(result, 0);
    }
}

TEST_F(FileInfo, ReadsFurtherForLongNamesAndHeadersFullOfRuns)
{
    for (size_t length : {45u, 63u, 127u, 200u, 255u}) {
        SCOPED_TRACE(length);
        std::string name(length, 'n');
        for (size_t i = 0; i < length; i += 3)
            name[i] = char('a' + i % 26);
        std::string text = InfoFor(EncodeBinHex(File(name, "TEXTttxt", 77, 88)));
        EXPECT_EQ(text, "Nom réel : " + name + "\nType : TEXTttxt\nDonnées : 77\nRessources : 88");
    }
    // A name of runs: 64 tokens expand far past the header, and must not
    // overflow anything.
    std::string text = InfoFor(EncodeBinHex(File(std::string(250, 'z'), "TEXTttxt", 1, 1)));
    EXPECT_EQ(text, "Nom réel : " + std::string(250, 'z') + "\nType : TEXTttxt\nDonnées : 1\nRessources : 1");
}

TEST_F(FileInfo, ShowsLengthsInFullAsUnsignedNumbers)
{
    MacFile file = File("Big", "TEXTttxt", 0, 0);
    std::string stream = BinHexStream(file);
    stream.replace(1 + 3 + 11, 8, std::string("\xFF\xFF\xFF\xFF\x80\x00\x00\x00", 8));
    EXPECT_EQ(InfoFor(BinHexText(RunLengthEncode(stream))),
              "Nom réel : Big\nType : TEXTttxt\nDonnées : 4294967295\nRessources : 2147483648");
}

TEST_F(FileInfo, ShowsTheMessageForFilesThatAreNotCorrectBinHex)
{
    const std::string good = EncodeBinHex(File("Read Me", "TEXTttxt", 10, 0));
    const std::string body = good.substr(good.find('\n') + 1);
    struct {
        const char *label;
        std::string bytes;
    } const cases[] = {
        {"empty file", ""},
        {"no identification, mail headers first", "From: someone\r\n" + body},
        {"binhex in other letter case", "(convert with binhex 4.0)\r\n" + body},
        {"BinHex after the 128th character", std::string(130, '-') + "BinHex\r\n" + body},
        {"a MacBinary file", std::string(128, '\0') + "data"},
        {"banner only", "(This file must be converted with BinHex 4.0)\r\n"},
        {"cut inside the header", good.substr(0, good.find('\n') + 10)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        int result;
        EXPECT_EQ(InfoFor(c.bytes, &result), kNotCorrect);
        EXPECT_EQ(result, -1);
    }
    // Without the identification, a first line naming BinHex is taken for it.
    EXPECT_EQ(InfoFor("(Converted with BinHex 5.0)\r\n" + body).substr(0, 20), "Nom réel : Read Me\n");
}

TEST_F(FileInfo, ShowsTheMessageForFilesItCannotReadAndReadsReadOnlyFiles)
{
    char text[kInfoTextCapacity];
    EXPECT_EQ(FormatFileInfo(Path("missing.hqx").c_str(), text), -1);
    EXPECT_STREQ(text, kNotCorrect);
    EXPECT_EQ(FormatFileInfo(folder.c_str(), text), -1);
    EXPECT_STREQ(text, kNotCorrect);

    WriteFileBytes(Path("ro.hqx"), EncodeBinHex(File("x", "TEXTttxt", 1, 1)));
    if (!MakeReadOnly(Path("ro.hqx")))
        GTEST_SKIP() << "cannot make a file read-only here";
    int result = FormatFileInfo(Path("ro.hqx").c_str(), text);
    UndoReadOnly(Path("ro.hqx"));
    EXPECT_EQ(result, 0);
    EXPECT_STREQ(text, "Nom réel : x\nType : TEXTttxt\nDonnées : 1\nRessources : 1");
}

TEST_F(FileInfo, ReadsOnlyTheStartOfTheFile)
{
    // Whatever follows the header, even garbage, changes nothing.
    std::string hqx = EncodeBinHex(File("Read Me", "TEXTttxt", 3, 4));
    std::string text = InfoFor(hqx.substr(0, hqx.size() - 3) + std::string(100000, '\x90'));
    EXPECT_EQ(text, "Nom réel : Read Me\nType : TEXTttxt\nDonnées : 3\nRessources : 4");
}

}  // namespace
