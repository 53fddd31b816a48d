// The conversion driver, in process, with the message dialog recorded.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "extract/convert.h"
#include "extract/signatures.h"
#include "test_support.h"

namespace {

MacFile Sample()
{
    MacFile file;
    file.name = "Read Me";
    file.type = "TEXT";
    file.creator = "ttxt";
    for (int i = 0; i < 3000; i++)
        file.data.push_back(char(i % 7 == 0 ? 0x90 : (i / 50) & 0xFF));   // runs and markers
    file.resource = std::string(700, 'R') + "\x90\x90\x90 end";
    return file;
}

class Driver : public InTempFolder {
protected:
    // Writes file as the .hqx input `name` in the folder.
    std::string Input(const MacFile &file, const std::string &name = "in.hqx")
    {
        WriteFileBytes(Path(name), EncodeBinHex(file));
        return Path(name);
    }
    void UseSignatures(const std::string &text)
    {
        WriteFileBytes(Path("s.sig"), text);
        strcpy(SignaturesFilePath, Path("s.sig").c_str());
    }
};

TEST_F(Driver, ConvertsInEachModeAndLeavesBothIntermediates)
{
    MacFile file = Sample();
    std::string stream = BinHexStream(file);
    std::string bin(128, '\0');
    bin[1] = 7;
    bin.replace(2, 7, "Read Me");
    bin.replace(65, 8, "TEXTttxt");
    bin.replace(83, 8, stream.substr(19, 8));
    bin += file.data + std::string(128 - file.data.size() % 128, '\0') + file.resource;

    struct {
        int mode;
        std::vector<std::pair<std::string, std::string>> outputs;  // name, bytes
    } const cases[] = {
        {1, {{"Read Me.txt", file.data}}},
        {2, {{"Read Me.txt", file.resource}}},
        {3, {{"Read Me.dat.txt", file.data}, {"Read Me.res.txt", file.resource}}},
        {4, {{"in.bin", bin}}},
        {0, {}},
        {7, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        TearDown();
        SetUp();
        UseSignatures("# nothing but the default row\r\n");
        std::string hqx = EncodeBinHex(file);
        std::string input = Input(file);
        ConvertFile(input.c_str(), c.mode, &Recorder);
        EXPECT_TRUE(RecordedMessages.empty()) << RecordedMessages[0];
        std::vector<std::string> expected = {"in.bix", "in.bqx", "in.hqx", "s.sig"};
        for (const auto &output : c.outputs) {
            expected.push_back(output.first);
            EXPECT_EQ(ReadFileBytes(Path(output.first)), output.second) << output.first;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFolder(folder), expected);
        EXPECT_EQ(ReadFileBytes(Path("in.bix")).substr(0, stream.size()), stream);
        EXPECT_EQ(ReadFileBytes(Path("in.hqx")), hqx);
    }
}

TEST_F(Driver, ReportsEmptyForksWithTheInputPath)
{
    MacFile noData = Sample();
    noData.data.clear();
    MacFile noResource = Sample();
    noResource.resource.clear();
    struct {
        const char *label;
        MacFile file;
        int mode;
        std::vector<std::string> messages;
        std::vector<std::string> forks;
    } const cases[] = {
        {"mode 1, no data", noData, 1, {"Le fichier %s ne contient pas de données."}, {}},
        {"mode 2, no resources", noResource, 2, {"Le fichier %s ne contient pas de ressources."}, {}},
        {"mode 3, no data: nothing at all", noData, 3, {"Le fichier %s ne contient pas de données."}, {}},
        {"mode 3, no resources: the data stays", noResource, 3,
         {"Le fichier %s ne contient pas de ressources."}, {"Read Me.dat"}},
        {"mode 4 writes whatever the forks", noData, 4, {}, {"in.bin"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TearDown();
        SetUp();
        std::string input = Input(c.file);
        ConvertFile(input.c_str(), c.mode, &Recorder);
        std::vector<std::string> messages;
        for (std::string m : c.messages)
            messages.push_back(m.replace(m.find("%s"), 2, input));
        EXPECT_EQ(RecordedMessages, messages);
        std::vector<std::string> expected = {"in.bix", "in.bqx", "in.hqx"};
        expected.insert(expected.end(), c.forks.begin(), c.forks.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFolder(folder), expected);
    }
}

TEST_F(Driver, DerivesIntermediateNamesFromTheInputsExtension)
{
    struct {
        const char *input;
        const char *bqx, *bix;
    } const cases[] = {
        {"archive", "archive.bqx", "archive.bix"},
        {"archive.binhex", "archive.binhex.bqx", "archive.binhex.bix"},
        {"mail.HQX", "mail.bqx", "mail.bix"},
        {"dotted.dir.hqx", "dotted.dir.bqx", "dotted.dir.bix"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.input);
        std::string input = Input(Sample(), c.input);
        ConvertFile(input.c_str(), 4, &Recorder);
        EXPECT_TRUE(FileExists(Path(c.bqx)));
        EXPECT_TRUE(FileExists(Path(c.bix)));
    }
}

TEST_F(Driver, NeverCreatesAFileOverItsInput)
{
    struct {
        const char *label;
        const char *inputName;
        const char *macName;
        int mode;
        const char *message;          // %s: the file that was not created
        const char *notCreated;
    } const cases[] = {
        {"input named .bqx", "x.bqx", "Read Me", 1, "x.bqx", "x.bqx"},
        {"input named .BQX", "x.BQX", "Read Me", 1, "x.bqx", "x.bqx"},
        {"input named .bix", "x.bix", "Read Me", 2, "x.bix", "x.bix"},
        {"input named .Bix, mode 4", "x.Bix", "Read Me", 4, "x.bix", "x.bix"},
        {"input named .bin in mode 4", "x.bin", "Read Me", 4, "x.bin", "x.bin"},
        {"fork named like the input", "data", "data", 1, "data", "data"},
        {"fork named like the .bqx", "in.hqx", "in.bqx", 1, "in.bqx", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TearDown();
        SetUp();
        MacFile file = Sample();
        file.name = c.macName;
        std::string input = Input(file, c.inputName);
        std::string before = ReadFileBytes(input);
        UseSignatures("BQX,TEXTttxt\r\n");
        if (strcmp(c.macName, "data") == 0)
            SignaturesFilePath[0] = 0;        // no table: the name stays "data"
        ConvertFile(input.c_str(), c.mode, &Recorder);
        EXPECT_EQ(ReadFileBytes(input), before);
        std::string path = std::string(c.message);
        if (path != "data" && path != "in.bqx")
            path = Path(path);
        ASSERT_EQ(RecordedMessages.size(), 1u);
        EXPECT_EQ(RecordedMessages[0], "Le fichier " + path +
                                           " n'est pas créé : il remplacerait le fichier à convertir.");
    }
}

TEST_F(Driver, TheBinFileOfAnInputNamedBinIsAllowedOutsideMode4)
{
    std::string input = Input(Sample(), "x.bin");
    ConvertFile(input.c_str(), 1, &Recorder);
    EXPECT_TRUE(RecordedMessages.empty());
    EXPECT_TRUE(FileExists(Path("Read Me")));
}

TEST_F(Driver, MakesForkNamesSafeForTheFileSystem)
{
    struct {
        const char *macName;
        const char *created;
    } const cases[] = {
        {"a/b", "a_b"},
        {"..", "_.."},
        {"../x", ".._x"},
        {"CON", "_CON"},
        {"nul.txt", "_nul."},
        {"x:y", "x_y"},
        {"", "_"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.macName);
        TearDown();
        SetUp();
        MacFile file = Sample();
        file.name = c.macName;
        ConvertFile(Input(file).c_str(), 1, &Recorder);
        EXPECT_TRUE(RecordedMessages.empty());
        std::vector<std::string> expected = {"in.bix", "in.bqx", "in.hqx", c.created};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListFolder(folder), expected);
        EXPECT_EQ(ReadFileBytes(Path(c.created)), file.data);
    }
}

TEST_F(Driver, ReportsACutDownloadAndKeepsWhatThereWas)
{
    MacFile file = Sample();
    std::string rle = RunLengthEncode(BinHexStream(file));
    // Cut the encoded stream inside the data fork and inside the resource fork.
    struct {
        int mode;
        size_t keepRle;
        const char *output;
    } const cases[] = {
        {1, 400, "Read Me"},
        {3, 400, "Read Me.dat"},
        {2, rle.size() - 8, "Read Me"},
        {4, 400, "in.bin"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.mode);
        TearDown();
        SetUp();
        WriteFileBytes(Path("in.hqx"), BinHexText(rle.substr(0, c.keepRle)));
        ConvertFile(Path("in.hqx").c_str(), c.mode, &Recorder);
        ASSERT_EQ(RecordedMessages.size(), 1u);
        EXPECT_EQ(RecordedMessages[0],
                  "Le fichier " + Path("in.hqx") + " est incomplet : il s'arrête avant la fin annoncée.");
        std::string out = ReadFileBytes(Path(c.output));
        EXPECT_GT(out.size(), 0u);
        const std::string &fork = c.mode == 2 ? file.resource : file.data;
        size_t offset = c.mode == 4 ? 128 : 0;
        EXPECT_EQ(out.substr(offset), fork.substr(0, out.size() - offset));
        EXPECT_FALSE(FileExists(Path("Read Me.res")));
    }
}

TEST_F(Driver, AStreamWithNoHeaderIsNoBinHexInMode4)
{
    WriteFileBytes(Path("in.hqx"), "just one line\r\n");
    ConvertFile(Path("in.hqx").c_str(), 4, &Recorder);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0], "Le fichier " + Path("in.hqx") + " n'est pas un fichier BinHex correct.");
    EXPECT_FALSE(FileExists(Path("in.bin")));
    EXPECT_EQ(ReadFileBytes(Path("in.bqx")), "");
    RecordedMessages.clear();
    ConvertFile(Path("in.hqx").c_str(), 1, &Recorder);
    EXPECT_EQ(RecordedMessages[0], "Le fichier " + Path("in.hqx") + " ne contient pas de données.");
}

TEST_F(Driver, RefusesPathsThatWouldPass255Characters)
{
    std::string longName(254 - folder.size(), 'p');     // the input itself fits
    std::string input = Input(Sample(), longName);
    ASSERT_EQ(input.size(), 255u);
    ConvertFile(input.c_str(), 1, &Recorder);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0], "Le chemin du fichier " + input + " est trop long.");
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{longName});
}

TEST_F(Driver, ReportsFilesThatCannotBeCreatedAndGoesOn)
{
    mkdir(Path("Read Me").c_str(), 0755);         // a folder in the fork's place
    ConvertFile(Input(Sample()).c_str(), 1, &Recorder);
    ASSERT_EQ(RecordedMessages.size(), 1u);
    EXPECT_EQ(RecordedMessages[0], "Le fichier Read Me ne peut pas être créé.");
}

TEST_F(Driver, ReportsWritesThatFail)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full here";
    struct {
        const char *link;     // made to point at /dev/full
        int mode;
        const char *file;
    } const cases[] = {
        {"Read Me", 1, "Read Me"},
        {"in.bin", 4, "@in.bin"},
        {"in.bqx", 1, "@in.bqx"},
        {"in.bix", 1, "@in.bix"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        TearDown();
        SetUp();
        ASSERT_EQ(symlink("/dev/full", Path(c.link).c_str()), 0);
        std::string input = Input(Sample());
        ConvertFile(input.c_str(), c.mode, &Recorder);
        std::string file = c.file[0] == '@' ? Path(c.file + 1) : c.file;
        ASSERT_EQ(RecordedMessages.size(), 1u);
        EXPECT_EQ(RecordedMessages[0], "Erreur d'écriture dans le fichier " + file + ".");
    }
}

TEST_F(Driver, AnInputThatCannotBeOpenedEndsTheProgram)
{
    std::string missing = Path("missing.hqx");
    EXPECT_EQ(ConvertFile(missing.c_str(), 1, &Recorder), kConvertFatal);
    EXPECT_EQ(ConvertFile(folder.c_str(), 1, &Recorder), kConvertFatal);
    EXPECT_EQ(RecordedMessages, std::vector<std::string>(2, "Erreur à l'ouverture des fichiers"));
    // Nothing was made before the failure.
    EXPECT_EQ(ListFolder(folder), std::vector<std::string>{});
}

TEST_F(Driver, AReadOnlyInputIsConverted)
{
    std::string input = Input(Sample());
    if (!MakeReadOnly(input))
        GTEST_SKIP() << "cannot make a file read-only here";
    ConvertFile(input.c_str(), 1, &Recorder);
    UndoReadOnly(input);
    EXPECT_EQ(RecordedMessages, std::vector<std::string>{});
    EXPECT_EQ(ReadFileBytes(Path("Read Me")), Sample().data);
}

}  // namespace
