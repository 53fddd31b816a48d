// quillon-cli end to end: the real binary, run in temporary folders.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "test_support.h"

namespace {

struct CliRun {
    int status;            // exit status, or -1 when it did not exit normally
    std::string out, err;
};

class Cli : public InTempFolder {
protected:
    // Runs quillon-cli with args in the folder `where` (the test folder by
    // default), capturing both output streams.
    CliRun RunCli(const std::vector<std::string> &args, const std::string &where = "")
    {
        std::string outPath = Path(".stdout"), errPath = Path(".stderr");
        pid_t pid = fork();
        if (pid == 0) {
            if (!where.empty() && chdir(where.c_str()) != 0)
                _exit(120);
            int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char *> argv;
            argv.push_back(const_cast<char *>(QUILLON_CLI));
            for (const std::string &a : args)
                argv.push_back(const_cast<char *>(a.c_str()));
            argv.push_back(nullptr);
            execv(QUILLON_CLI, argv.data());
            _exit(121);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        CliRun run;
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadFileBytes(outPath);
        run.err = ReadFileBytes(errPath);
        unlink(outPath.c_str());
        unlink(errPath.c_str());
        return run;
    }
    std::string Input(const MacFile &file, const std::string &name)
    {
        WriteFileBytes(Path(name), EncodeBinHex(file));
        return Path(name);
    }
};

MacFile Sample(const std::string &name = "Read Me", const std::string &typeCreator = "TEXTttxt")
{
    MacFile file;
    file.name = name;
    file.type = typeCreator.substr(0, 4);
    file.creator = typeCreator.substr(4, 4);
    for (int i = 0; i < 5000; i++)
        file.data.push_back(char((i % 300 < 100) ? 'a' : (i * 13) & 0xFF));
    file.resource = std::string(300, '\x90') + "resource";
    return file;
}

const char kSignatures[] = "# test table\r\nTXT,TEXTttxt\r\nGIF,GIFf????,image\r\nPDF,PDF CARO\r\n";

TEST_F(Cli, ReportsUsageVersionAndHelp)
{
    struct {
        std::vector<std::string> args;
        int status;
        const char *out;         // exact, or null: not checked
        const char *errStart;    // what standard error starts with
    } const cases[] = {
        {{"--version"}, 0, "Quillon 1.1\n", ""},
        {{}, 2, "", "quillon-cli: no file given\nusage: quillon-cli"},
        {{"-m", "5", "x.hqx"}, 2, "", "quillon-cli: MODE is 1, 2, 3 or 4\n"},
        {{"-m"}, 2, "", "quillon-cli: an option needs a value\n"},
        {{"-x", "a"}, 2, "", "quillon-cli: unknown option\n"},
        {{"-s", std::string(300, 's'), "x"}, 2, "", "quillon-cli: the signatures file"},
        {{"-h"}, 0, nullptr, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args[0]);
        CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status);
        if (c.out != nullptr) {
            EXPECT_EQ(run.out, c.out);
        }
        EXPECT_EQ(run.err.substr(0, strlen(c.errStart)), c.errStart);
    }
    CliRun help = RunCli({"-h"});
    EXPECT_NE(help.out.find("usage: quillon-cli [-m MODE] [-s SIGNATURES] FILE..."), std::string::npos);
    EXPECT_EQ(help.err, "");
}

TEST_F(Cli, PrintsTheInformationTextOfEachFile)
{
    std::string good = Input(Sample("R\x8Esum\x8E"), "good.hqx");
    WriteFileBytes(Path("plain.txt"), "just text\r\n");
    const char kGood[] = "Nom réel : Résumé\nType : TEXTttxt\nDonnées : 5000\nRessources : 308\n\n";
    const char kBad[] = "Ce fichier n'est pas un fichier BinHex correct.\n\n";
    CliRun one = RunCli({"-i", good});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, kGood);
    CliRun mixed = RunCli({"-i", good, Path("plain.txt"), Path("missing.hqx"), good});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_EQ(mixed.out, std::string(kGood) + kBad + kBad + kGood);
    EXPECT_EQ(mixed.err, "");
    // The panel writes nothing.
    EXPECT_EQ(ListFolder(folder), (std::vector<std::string>{"good.hqx", "plain.txt"}));
}

TEST_F(Cli, ConvertsInEachModeWithNamesFromTheSignaturesFile)
{
    MacFile text = Sample("Read Me", "TEXTttxt");
    MacFile image = Sample("photo.gif", "GIFfGKON");
    MacFile pdf = Sample("Manual.PDF", "PDF CARO");
    struct {
        std::string mode;
        bool table;
        std::vector<std::pair<std::string, std::string>> forks;   // in the current folder
        std::vector<std::string> beside;                          // beside the inputs
    } const cases[] = {
        {"1", true, {{"Read Me.txt", text.data}, {"photo.gif", image.data}, {"Manual.pdf", pdf.data}}, {}},
        {"1", false, {{"Read Me", text.data}, {"photo.", image.data}, {"Manual.", pdf.data}}, {}},
        {"2", true, {{"Read Me.txt", text.resource}, {"photo.gif", image.resource}, {"Manual.pdf", pdf.resource}}, {}},
        {"3", true,
         {{"Read Me.dat.txt", text.data}, {"Read Me.res.txt", text.resource},
          {"photo.dat.gif", image.data}, {"photo.res.gif", image.resource},
          {"Manual.dat.pdf", pdf.data}, {"Manual.res.pdf", pdf.resource}},
         {}},
        {"3", false,
         {{"Read Me.dat", text.data}, {"Read Me.res", text.resource}, {"photo.dat", image.data},
          {"photo.res", image.resource}, {"Manual.dat", pdf.data}, {"Manual.res", pdf.resource}},
         {}},
        {"4", true, {}, {"a.bin", "b.bin", "c.bin"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("mode " + c.mode + (c.table ? " with a table" : " without"));
        TearDown();
        SetUp();
        mkdir(Path("in").c_str(), 0755);
        mkdir(Path("out").c_str(), 0755);
        WriteFileBytes(Path("in/q.sig"), kSignatures);
        std::vector<std::string> args = {"-m", c.mode};
        if (c.table) {
            args.push_back("-s");
            args.push_back(Path("in/q.sig"));
        }
        args.push_back(Input(text, "in/a.hqx"));
        args.push_back(Input(image, "in/b.hqx"));
        args.push_back(Input(pdf, "in/c.hqx"));
        CliRun run = RunCli(args, Path("out"));
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        std::vector<std::string> outNames;
        for (const auto &fork : c.forks) {
            outNames.push_back(fork.first);
            EXPECT_EQ(ReadFileBytes(Path("out/" + fork.first)), fork.second) << fork.first;
        }
        std::sort(outNames.begin(), outNames.end());
        EXPECT_EQ(ListFolder(Path("out")), outNames);
        std::vector<std::string> inNames = {"a.bix", "a.bqx", "a.hqx", "b.bix", "b.bqx", "b.hqx",
                                            "c.bix", "c.bqx", "c.hqx", "q.sig"};
        inNames.insert(inNames.end(), c.beside.begin(), c.beside.end());
        std::sort(inNames.begin(), inNames.end());
        EXPECT_EQ(ListFolder(Path("in")), inNames);
    }
}

TEST_F(Cli, WritesMacBinaryFilesBesideTheInputs)
{
    MacFile file = Sample("R\x8Esum\x8E", "TEXTttxt");
    Input(file, "r.hqx");
    CliRun run = RunCli({"-m", "4", "r.hqx"});
    EXPECT_EQ(run.status, 0);
    std::string bin = ReadFileBytes(Path("r.bin"));
    ASSERT_EQ(bin.size(), 128u + 5000 + 120 + 308);
    EXPECT_EQ(bin.substr(0, 11), std::string("\0\6R\x8Esum\x8E\0\0\0", 11));
    EXPECT_EQ(bin.substr(65, 8), "TEXTttxt");
    EXPECT_EQ(bin.substr(83, 8), std::string("\0\0\x13\x88\0\0\x01\x34", 8));
    EXPECT_EQ(bin.substr(128, 5000), file.data);
    EXPECT_EQ(bin.substr(5248), file.resource);
}

TEST_F(Cli, PrintsEachMessageAsOneLineAndGoesOn)
{
    MacFile noData = Sample("Empty");
    noData.data.clear();
    MacFile unsafe = Sample("../up/CON");
    Input(noData, "a.hqx");
    Input(unsafe, "b.hqx");
    Input(Sample("c"), "c.bqx");
    Input(Sample("d"), "d.bin");
    Input(Sample("x"), "x");
    Input(Sample("R\x8Esum\x8E/2"), "r.hqx");
    struct {
        std::vector<std::string> args;
        const char *err;
        std::vector<std::string> created;
    } const cases[] = {
        {{"-m", "3", "a.hqx", "b.hqx"}, "Le fichier a.hqx ne contient pas de données.\n",
         {".._up_CON.dat", ".._up_CON.res"}},
        {{"c.bqx", "r.hqx"}, "Le fichier c.bqx n'est pas créé : il remplacerait le fichier à convertir.\n",
         {"r.bix", "r.bqx", "Résumé_2"}},
        {{"-m", "4", "d.bin"}, "Le fichier d.bin n'est pas créé : il remplacerait le fichier à convertir.\n", {}},
        {{"x"}, "Le fichier x n'est pas créé : il remplacerait le fichier à convertir.\n", {"x.bix", "x.bqx"}},
        {{"-m", "2", "a.hqx"}, "", {"a.bix", "a.bqx", "Empty"}},
    };
    std::vector<std::string> before = ListFolder(folder);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.back());
        CliRun run = RunCli(c.args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, c.err);
        for (const std::string &name : c.created)
            EXPECT_TRUE(FileExists(Path(name))) << name;
    }
    // Inputs are untouched and nothing was written outside the folder.
    EXPECT_EQ(ReadFileBytes(Path("c.bqx")), EncodeBinHex(Sample("c")));
    EXPECT_EQ(ReadFileBytes(Path("d.bin")), EncodeBinHex(Sample("d")));
    EXPECT_EQ(ReadFileBytes(Path("x")), EncodeBinHex(Sample("x")));
    EXPECT_FALSE(FileExists(Path("../up")));
}

TEST_F(Cli, StopsTheBatchWhenAFileCannotBeOpened)
{
    Input(Sample("first"), "a.hqx");
    Input(Sample("third"), "c.hqx");
    CliRun run = RunCli({"a.hqx", "missing.hqx", "c.hqx"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Erreur à l'ouverture des fichiers\n");
    EXPECT_TRUE(FileExists(Path("first")));
    EXPECT_FALSE(FileExists(Path("missing.bqx")));
    EXPECT_FALSE(FileExists(Path("third")));
    EXPECT_FALSE(FileExists(Path("c.bqx")));

    CliRun folderInput = RunCli({folder});
    EXPECT_EQ(folderInput.status, 1);
    EXPECT_EQ(folderInput.err, "Erreur à l'ouverture des fichiers\n");
}

}  // namespace
