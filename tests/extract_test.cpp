// Naming and the information text: the signatures file and its three-pass
// lookup, extensions, names safe for the file system, fork names, the
// panel's text; a batch's numbered names and wildcards.
#include <sys/resource.h>

#include <cstring>
#include <filesystem>

#include "decode/binhex.h"
#include "extract/batch.h"
#include "extract/convert.h"
#include "extract/file_info.h"
#include "extract/naming.h"
#include "extract/signatures.h"
#include "support.h"

namespace fs = std::filesystem;

// The table of the tests' runs (a global: past its end lie the sanitizers'
// red zones).
static SignatureTable table;

// Makes text the signatures file of a new run.
static void UseSignatures(const std::string &text)
{
    OpenSignatureTable(&table, (Scratch("signatures") + "/test.sig").c_str());
    Write(table.path, text);
}

TEST(Signatures, ReadsLinesIntoRowsAfterTheDefaultRow)
{
    const std::string rows[][3] = {   // what, the file, rows from 1 as "extension|type and creator|note"
        {"a note after the type", "PDF,PDF CARO\r\nHQX,TEXTBNHQ,BinHex text\r\n",
         "PDF|PDF CARO| / HQX|TEXTBNHQ|BinHex text / ||"},
        {"comments and empty lines are no rows", "# c\r\n\r\n#x,TEXTabcd\r\nGIF,GIFfGKON\r\n", "GIF|GIFfGKON| / ||"},
        {"4 characters of extension, 8 of type, commas and blanks too", "HTML5, TEXT,drawing\r\n", "HTML| TEXT,dr|"},
        {"a leading blank goes (#x is no comment); no comma, no extension", " #xTEXTttxt\r\n", "|#xTEXTtt|"},
        {"a line of blanks takes a row; a last line without its end", "   \r\nGIF,GIFfGKON", "|| / GIF|GIFfGKON| / ||"},
        {"notes keep 64 characters", "X,ABCDEFGH," + std::string(70, 'n'), "X|ABCDEFGH|" + std::string(64, 'n')},
        {"a zero byte ends a line's text", std::string("\0\0\r\nJPG\0,JPEGabcd\r\n", 19), "|JPG|"},
        {"pieces of 79 characters are lines", std::string(79, 'a') + "J,JPEGJVWR\r\n#" + std::string(78, 'c') + "T,ABCDEFGH",
         "|aaaaaaaa| / J|JPEGJVWR| / T|ABCDEFGH|"},
        {"CR-only line ends: one row a piece", "GIF,GIFfGKON\rPDF,PDF CARO\r" + std::string(60, 'x') + "\rJPG\r",
         "GIF|GIFfGKON| / |xxxxxxx| / ||"},
    };
    UseSignatures("");
    for (const auto &row : rows) {     // each load on the table of the one before
        Write(table.path, row[1]);
        LoadSignatureTable(&table);
        std::string got;
        for (const SignatureEntry *e = table.rows + 1; got.size() < row[2].size(); e++)
            got += std::string(got.empty() ? "" : " / ") + e->extension + "|" + e->typeCreator + "|" + e->note;
        EXPECT_EQ(got, row[2]) << row[0];
    }
}

static std::string Lookup(const std::string &key)
{
    return FindSignature(&table, (const unsigned char *)key.c_str())->extension;
}

TEST(Signatures, LooksUpInThreePassesOverSixtyThreeLines)
{
    UseSignatures("HTM,TEXTStMl\r\nTIF,TIFF????\r\nJPG,JPEGJVWR\r\nJPEG,JPEGogle\r\n   \r\nZ,ZZZZZZZZ\r\n");
    LoadSignatureTable(&table);
    const char *rows[][2] = {
        {"TEXTStMl", "HTM"}, {"TEXTR*ch", "TXT"},   // the whole key; four characters: row 0 first
        {"TIFFJVWR", "TIF"}, {"TIFXabcd", "TIF"},   // four characters; two
        {"JPEGogle", "JPEG"}, {"JPEGxxxx", "JPG"},  // a whole match before an earlier partial one
        {"PICTabcd", "TXT"}, {"ZZZZZZZZ", "TXT"},   // nothing: row 0; rows after an empty one are not read
        {"\0IFFJVWR", "TXT"}, {"TIFF\0JVW", "TIF"}, // a zero byte ends the key
    };
    for (const auto &row : rows)
        EXPECT_EQ(Lookup(std::string(row[0], 8)), row[1]) << row[0];
    std::string file = "# header\r\n";
    for (int i = 1; i <= 70; i++)
        file += "E" + std::to_string(i) + ",TY" + std::to_string(i + 10) + "CREA\r\n" + (i % 10 ? "" : "\r\n# x\r\n");
    UseSignatures(file);
    LoadSignatureTable(&table);
    EXPECT_EQ(Lookup("TY73CREA"), "E63");
    EXPECT_EQ(Lookup("TY74CREA"), "E1");   // not read: TY, in pass 3, finds row 1
}

TEST(Naming, SetExtensionReplacesAtMostThreeCharactersOfTheLastComponent)
{
    const char *rows[][3] = {
        {"C:\\mail\\f.hqx", "BQX", "C:\\mail\\f.bqx"}, {"memo.", "BQX", "memo.bqx"}, {"Notes.1", "TXT", "Notes.txt"},
        {"a.b.c", "TXT", "a.b.txt"}, {"C:\\a.b\\c", "BQX", "C:\\a.b\\c.bqx"}, {"/tmp/a.b/c", "BQX", "/tmp/a.b/c.bqx"},
        {"x.Hq", "bIn", "x.bin"}, {"Read Me", nullptr, "Read Me"},   // the other cases: the fork names below
    };
    for (const auto &row : rows) {
        char path[64];
        strcpy(path, row[0]);
        EXPECT_STREQ(SetExtension(path, row[1]), row[2]);
    }
}

TEST(Naming, SafeNamesStayInTheFolderAndNameNoDevice)
{
    const char *rows[][2] = {
        {"Résumé .hidden", "Résumé .hidden"}, {"a/b", "a_b"}, {"../x", ".._x"}, {"C:\\x", "C__x"},
        {"x:y", "x_y"}, {"tab\there", "tab_here"}, {"what?*<>|\"", "what______"}, {"..", "_.."}, {".", "_."},
        {". .", "_. ."}, {"", "_"}, {"CON", "_CON"}, {"nul.txt", "_nul.txt"}, {"Aux.tar.gz", "_Aux.tar.gz"},
        {"PRN ", "_PRN "}, {"COM1", "_COM1"}, {"lpt9.doc", "_lpt9.doc"}, {"com¹", "_com¹"}, {"CONIN$", "_CONIN$"},
        {"conout$. ", "_conout$. "}, {"CONOUT$.txt", "CONOUT$.txt"}, {"COM0", "COM0"}, {"CONSOLE", "CONSOLE"},
        {"CON2", "CON2"}, {"LPT", "LPT"}, {"xCON", "xCON"},
    };
    for (const auto &row : rows) {
        char safe[32];
        EXPECT_EQ(MakeSafeFileName(row[0], safe, sizeof safe), kDone) << row[0];
        EXPECT_STREQ(safe, row[1]);
    }
}

// The name ReadForkHeader makes for a request, or "(empty)".
static std::string NameFor(const std::string &mac, const char *typeCreator, int request, const char *forks = "dr")
{
    const std::string stream = Stream({mac, std::string(typeCreator, 4), typeCreator + 4,
                                       strchr(forks, 'd') ? "d" : "", strchr(forks, 'r') ? "r" : ""});
    BinHexHeader header;
    ParseBinHexHeader((const unsigned char *)stream.data(), stream.size(), &header);
    char name[kPathCapacity];
    return ReadForkHeader(&table, &header, name, request) == kDone ? name : "(empty)";
}

TEST(Naming, ForkNamesComeFromTheMacNameAndTheTable)
{
    UseSignatures("DOC,WDBNMSWD\r\nJPG,JPEG????\r\nHTML,TEXTStMl\r\n,EMPTextn\r\n");
    EXPECT_EQ(NameFor("Read Me", "TEXTttxt", kForkData), "Read Me.txt");
    EXPECT_EQ(NameFor("Report.doc", "WDBNMSWD", kForkData), "Report.doc");
    EXPECT_EQ(NameFor("photo.jpeg", "JPEGJVWR", kForkResource), "photo.jpeg.jpg");
    EXPECT_EQ(NameFor("Page", "TEXTStMl", kForkData), "Page.html");
    EXPECT_EQ(NameFor("Empty ext", "EMPTextn", kForkData), "Empty ext.");
    EXPECT_EQ(NameFor("R\x8Esum\x8E\\1\r\x1E\x7F", "TEXTttxt", kForkData), "Résumé_1_- .txt");
    EXPECT_EQ(NameFor("\xB9.\xBD\xDE\xA5", "TEXTttxt", kForkData), "π.txt");   // three characters, six bytes
    EXPECT_EQ(NameFor(std::string(200, 'n'), "TEXTttxt", kForkResource), std::string(127, 'n') + ".txt");
    EXPECT_EQ(NameFor("Read Me", "TEXTttxt", kForkPairData), "Read Me.dat.txt");
    EXPECT_EQ(NameFor("Report.doc", "WDBNMSWD", kForkPairResource), "Report.res.doc");
    EXPECT_EQ(NameFor("photo.jpeg", "JPEGJVWR", kForkPairResource), "photo.jpeg.res.jpg");
    EXPECT_EQ(NameFor(".ab", "TEXTttxt", kForkPairData), ".dat.txt");   // all of it an extension
    EXPECT_EQ(NameFor("x", "TEXTttxt", kForkData, "r") + NameFor("x", "TEXTttxt", kForkPairData, "r"), "(empty)(empty)");
    EXPECT_EQ(NameFor("x", "TEXTttxt", kForkResource, "d") + NameFor("x", "TEXTttxt", kForkPairResource, "d"),
              "(empty)(empty)");
    char name[kPathCapacity];
    EXPECT_EQ(ReadForkHeader(&table, nullptr, name, kForkPairResource), kNotFound);   // no header, no fork
    // Every Mac Roman character the name table turns into '_', in code
    // order, where names are Unicode and where they are Windows-1252; then
    // the Apple logo, and characters that keep the table's mapping.
    const char *const mac = "\xA0\xA5\xAD\xB0\xB2\xB3\xB6\xB7\xB8\xB9\xBA\xBD\xC3\xC5\xC6\xC9\xCA\xCE\xCF\xD2"
                            "\xD3\xD7\xDC\xDD\xDE\xDF\xE0\xE1\xE2\xE3\xE4\xF9\xFA\xFE\xFF" "\xF0" "\x8E\xAA\xD0\\";
    const std::string names[] = {"†•≠∞≤≥∂∑∏π∫Ω√≈∆…\u00A0Œœ“”◊‹›ﬁﬂ‡·‚„‰˘˙˛ˇ" "_" "é™-_", std::string(36, '_') + "\xE9\x99-_"};
    for (int unicode : {1, 0}) {
        EXPECT_EQ(MacNameToNative(mac, name, sizeof name, unicode), kDone);
        EXPECT_EQ(name, names[1 - unicode]) << unicode;
    }
    // The table is read once a run: a later change of the file is not seen.
    Write(table.path, "ZZZ,TEXTttxt\r\n");
    EXPECT_EQ(NameFor("Read Me", "TEXTttxt", kForkData), "Read Me.txt");
    // A signatures file that is a folder gives no table: no extension.
    OpenSignatureTable(&table, Scratch("a folder").c_str());
    EXPECT_EQ(NameFor("Report.doc", "WDBNMSWD", kForkData), "Report.");
}

TEST(Panel, ShowsTheHeaderOrSaysTheFileIsNotBinHex)
{
    auto panel = [](const std::string &name, const std::string &type, const char *d, const char *r) {
        return "Nom réel : " + name + "\nType : " + type + "\nDonnées : " + d + "\nRessources : " + r;
    };
    const std::string bad = "Ce fichier n'est pas un fichier BinHex correct.", runs(250, 'z');
    const MacFile file = {"Read Me", "TEXT", "ttxt", Pattern(300, 1), Pattern(40, 2)};
    const std::string good = Hqx(file), body = good.substr(good.find('\n') + 1);
    const std::string readMe = panel("Read Me", "TEXTttxt", "300", "40");
    std::string huge = Stream(file), damaged = good;
    huge.replace(19, 8, "\xFF\xFF\xFF\xFF\x80\0\0\0", 8);
    damaged[good.find(':') + 8] ^= 1;   // a letter of the name
    // The header with its CRC is 29 bytes long: its last group is short.
    const std::string seven = Stream({"Read Me", "TEXT", "ttxt", "d", "r"});
    const std::string rows[][3] = {   // what, the file, the text
        {"no identification, a first line naming BinHex", "(Converted with BinHex 5.0)\r\n" + body, readMe},
        {"or not naming it", "(This file must be converted; you knew that already.)\n\n" + body, readMe},
        {"followed by anything", good.substr(0, good.size() - 3) + std::string(100000, '\x90'), readMe},
        {"Mac letters, backslash, trade mark", Hqx({"R\x8Esum\x8E\\\xAA", "APPL", "dude", "x", "yy"}),
         panel("Résumé_™", "APPLdude", "1", "2")},
        {"0x80 in the type, a zero in the creator", Hqx({"x", "\x80GIF", std::string("o\0le", 4), "d", "r"}),
         panel("x", "€GIFo", "1", "1")},
        {"lengths as unsigned numbers", HqxOf(SealHeader(huge)), panel("Read Me", "TEXTttxt", "4294967295", "2147483648")},
        {"a name of runs", Hqx({runs, "TEXT", "ttxt", "", "r"}), panel(runs, "TEXTttxt", "0", "1")},
        {"the header alone, its CRC in a short last group", HqxOf(seven.substr(0, 29), false),
         panel("Read Me", "TEXTttxt", "1", "1")},
        {"the header cut in its CRC", HqxOf(seven.substr(0, 28), false), bad},
        {"the header not matching its CRC", damaged, bad},
        {"a header of the wrong lengths", HqxOf(huge), bad},
        {"BinHex after the 128th character", std::string(130, '-') + "BinHex\r\n" + body, bad},
    };
    const std::string path = Scratch("panel") + "/f.hqx";
    for (const auto &row : rows) {
        Write(path, row[1]);
        char text[kInfoTextCapacity];
        EXPECT_EQ(FormatFileInfo(path.c_str(), text), row[2] == bad ? kNotFound : kDone) << row[0];
        EXPECT_EQ(text, row[2]) << row[0];
    }
}


TEST(Batch, NumbersNamesTheBatchWroteAndExpandsWildcards)
{
    const char *numbered[][3] = {   // name, number, numbered name
        {"Read Me.txt", "2", "Read Me (2).txt"}, {"Read Me", "3", "Read Me (3)"}, {"a.tar.gz", "2", "a.tar (2).gz"},
        {".profile", "2", ".profile (2)"}, {"x.d/Read Me", "12", "x.d/Read Me (12)"}, {"x/.f.bqx", "2", "x/.f (2).bqx"},
    };
    for (const auto &row : numbered) {
        char out[64];
        EXPECT_EQ(NumberedName(row[0], unsigned(atoi(row[1])), out, sizeof out), kDone);
        EXPECT_STREQ(out, row[2]);
    }
    // Each name taken counts on from the last number it gave, without
    // trying the numbers below it again.
    const std::string folder = Scratch("taken");
    TakenNames taken;
    StartTakenNames(&taken);
    std::string got;
    for (int i = 0; i < 3; i++) {
        char path[kPathCapacity];
        strcpy(path, (folder + "/Read Me.txt").c_str());
        EXPECT_EQ(ChooseFreeName(&taken, path, sizeof path), kDone);
        Write(path, "x");
        RecordWritten(&taken, path);
        got += std::string(path + folder.size() + 1) + "|";
        if (i == 1)
            remove(path);
    }
    FreeTakenNames(&taken);
    EXPECT_EQ(got, "Read Me.txt|Read Me (2).txt|Read Me (3).txt|");

    const char *matches[][3] = {   // name, pattern, matches
        {"Read Me.HQX", "*.hqx", "1"}, {"a.hqxold", "*.hqx", "0"}, {"f1.hqx", "f?.hqx", "1"}, {"f10.hqx", "f?.hqx", "0"},
        {"été.hqx", "?té.hqx", "1"}, {"abcbc", "a*bc", "1"}, {"ab", "a*b*c", "0"}, {"x", "*", "1"},
    };
    for (const auto &row : matches)
        EXPECT_EQ(MatchesWildcard(row[0], row[1]), atoi(row[2])) << row[0] << " " << row[1];
    for (const char *name : {"b.hqx", "A.HQX", "c.txt"})
        Write(folder + "/" + name, "x");
    fs::create_directory(folder + "/D.hqx");
    FileList list;
    StartFileList(&list);
    EXPECT_EQ(AddMatchingPaths(&list, (folder + "/*.hqx").c_str()), 3);
    EXPECT_EQ(AddMatchingPaths(&list, (folder + "/*.xyz").c_str()), 0);
    got.clear();
    for (const char *path = NextInList(&list, nullptr); path != nullptr; path = NextInList(&list, path))
        got += std::string(path + folder.size() + 1) + "|";
    FreeFileList(&list);
    EXPECT_EQ(got, "A.HQX|b.hqx|D.hqx|");

    // A walk leaves no folder or file open: forty walks within 32 handles
    // each find A.HQX, b.hqx and the MacBinary m.bin (D.hqx is a folder).
    Write(folder + "/m.bin", MacBinary({"M", "TEXT", "ttxt", "data"}, 1));
    const Reporter quiet = {[](void *, const char *) {}, nullptr, nullptr};
    rlimit handles, few;
    getrlimit(RLIMIT_NOFILE, &handles);
    few = {32, handles.rlim_max};
    setrlimit(RLIMIT_NOFILE, &few);
    int found = 0;
    for (int i = 0; i < 40; i++, FreeFileList(&list))
        found += AddFolderFiles(&list, folder.c_str(), &quiet);
    setrlimit(RLIMIT_NOFILE, &handles);
    EXPECT_EQ(found, 40 * 3);
}
