// quillon-cli end to end: one table of runs of the real program. Each row
// runs in a fresh box: in/ and in2/ for inputs, cwd/ the current folder,
// outside/keep.txt. A row makes its files, runs the program and expects its
// exit status, all of its standard output and error, and every new or
// replaced file (with its bytes, or kAny); every
// other file and folder of the box must stay as it was, inputs included.
//
// The program runs without root's right to pass over file modes, so that a
// read-only or unreadable file is one for root too; a read-only medium is
// an immutable folder. A full disk is /dev/full, a file-size limit (SIGXFSZ
// ignored) or, when the tests run as root, a 64 KiB tmpfs. Every file given
// was last modified at kModified, and the program runs with TZ=UTC0 unless
// a row says otherwise: a .bin file is dated kMacDate.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <map>

#include "support.h"

namespace fs = std::filesystem;

const std::string kLink = "\x01 link to ", kDevFull = kLink + "/dev/full", kAny = "\x01 any bytes";
const time_t kModified = 1000000000;
const uint32_t kMacDate = uint32_t(kModified + 2082844800);
const int kImmutable = -1;   // a folder's mode: chattr +i
// Without root's rights to pass over file modes.
const std::string kUnprivileged = "setpriv --bounding-set -dac_override,-dac_read_search,-fowner ";
static std::string Starts(const std::string &text) { return text + "\x03"; }   // that, then anything

struct File {
    std::string path, bytes;   // for a folder that is there, nothing: only its mode is set
    int mode = 0;              // then given to it; 0: as made; or kImmutable
};

struct Row {
    const char *label;
    std::vector<File> given;
    std::vector<std::string> args;
    int status = 0;
    std::string err, out;
    std::vector<std::string> converted;       // "in/f": in/f.bqx and in/f.bix are made
    std::map<std::string, std::string> made;  // every other new or replaced file
    long fileSizeLimit = 0;
    const char *tmpfs = nullptr;              // a folder of the box to mount it on
    const char *tz = "UTC0";
};

static MacFile Named(const std::string &name, const std::string &typeCreator = "TEXTttxt")
{
    return {name, typeCreator.substr(0, 4), typeCreator.substr(4), Pattern(300, 1), Pattern(40, 2)};
}

// hqx with its character at `at` changed, as a damaged copy has it.
static std::string Altered(std::string hqx, size_t at)
{
    hqx[at] = hqx[at] == 'A' ? 'B' : 'A';
    return hqx;
}

static std::vector<Row> Rows()
{
    const MacFile readMe = Named("Read Me"), noData = {"No data", "TEXT", "ttxt", "", "r"};
    const MacFile odd = {std::string(100, 'N'), std::string("TE\0T", 4), "CREA", Pattern(100000, 7), "", 0xFFFF};
    const MacFile zeros = {"Zeros", "TEXT", "ttxt", std::string(100000, 0)};   // a .bix of 100,032 bytes
    const MacFile medium = {"Medium", "TEXT", "ttxt", std::string(65450, 0)};  // .bix 65,482, .bin 65,578
    std::string liar = Stream(Named("Liar")), cut = Stream(readMe);   // Read Me: data at 29, resource at 331
    liar = SealHeader(liar.replace(16, 4, "\xFF\xFF\xFF\xFF"));             // a data fork of 4 GB
    const std::string in = "../in/f.hqx", hqx = Hqx(readMe), data = readMe.data, sig = "TXT,TEXTttxt\r\n";
    const std::string longOk = "../in/" + std::string(240, 'p') + "ééééé.hqx", longBad = "../in/" + std::string(249, 'q');
    const std::string bad = "Ce fichier n'est pas un fichier BinHex correct.\n\n";
    const std::string cannotOpen = " ne peut pas être ouvert.\n";
    const std::string binary = MacBinary(readMe, kMacDate), readMePanel = "Nom réel : Read Me\nType : TEXTttxt\nDonnées : 300\nRessources : 40\n\n";
    const std::string incomplete = " est incomplet : il s'arrête avant la fin annoncée.\n";
    const std::string replaceInput = " n'est pas créé : il remplacerait le fichier à convertir.\n";
    const std::string replaceSignatures = " n'est pas créé : il remplacerait le fichier des signatures.\n";
    const std::string writeFailed = "Erreur d'écriture dans le fichier ";
    const std::string notBinHex = " n'est pas un fichier BinHex correct.\n";
    const std::string crcFails = " sont endommagées : leur CRC ne correspond pas.\n";
    // One character changed in the middle of the text (the data fork), near
    // its end (the resource fork), in the name.
    const MacFile d = Named("D"), r = Named("R");
    const std::string dataDamaged = Altered(Hqx(d), Hqx(d).size() / 2);
    const std::string resourceDamaged = Altered(Hqx(r), Hqx(r).size() - 12);
    const std::string headerDamaged = Altered(hqx, hqx.find(':') + 8);
    return {
        {.label = "the version", .args = {"--version"}, .out = "Quillon 1.1\n"},
        {.label = "the usage", .args = {"-h"}, .out = Starts("usage: quillon-cli [-m MODE] [-s SIGNATURES] FILE...\n")},
        {.label = "no file", .args = {"-m", "1"}, .status = 2, .err = Starts("quillon-cli: no file given\nusage: quillon-cli")},
        {.label = "mode 5", .args = {"-m", "5", in}, .status = 2, .err = Starts("quillon-cli: MODE is 1, 2, 3 or 4\n")},
        {.label = "-m alone", .args = {"-m"}, .status = 2, .err = Starts("quillon-cli: an option needs a value\n")},
        {.label = "a file after --, named like an option", .args = {"--", "-m"}, .status = 3, .err = "Le fichier -m" + cannotOpen},
        {.label = "a signatures path of 256 characters", .args = {"-s", std::string(255, 's') + "é", in}, .status = 2,
         .err = Starts("quillon-cli: the signatures file's path is longer than 255 characters\n")},
        {.label = "-i on a read-only file, in UTF-8, the Mac name whole", .given = {{"in/f.hqx", Hqx(Named("R\x8Esum\x8E \xB9")), 0444}},
         .args = {"-i", in}, .out = "Nom réel : Résumé π\nType : TEXTttxt\nDonnées : 300\nRessources : 40\n\n"},
        {.label = "-i on text, a folder without BinHex, a missing file, MacBinary", .given = {{"in/f.hqx", hqx},
         {"in/plain.txt", "text\r\n"}, {"in/m.bin", binary}}, .args = {"-i", "../in/plain.txt", "../in2", "../in/missing.hqx", in,
         "../in/m.bin"}, .status = 3, .err = "Le dossier ../in2 ne contient aucun fichier BinHex.\n",
         .out = bad + bad + readMePanel + readMePanel},
        {.label = "-t on a tree: .hqx in any case and MacBinary .bin in path order; other files, links to folders left",
         .given = {{"in/A/deeper/y.hqx", hqx}, {"in/A/x.HQX", hqx}, {"in/A/up", kLink + ".."}, {"in/b.hqx", hqx},
                   {"in/loop", kLink + "."}, {"in/m.bin", binary}, {"in/notes.txt", hqx}, {"in/t.bin", hqx}, {longBad.substr(3) + ".hqx", hqx}},
         .args = {"-t", "../in"}, .status = 3, .err = "Le chemin du fichier " + longBad + ".hqx est trop long.\n",
         .out = "../in/A/deeper/y.hqx : intact\n../in/A/x.HQX : intact\n../in/b.hqx : intact\n../in/m.bin : intact\n"},

        {.label = "mode 1 by default, a table of 255 characters that is not there: inputs in two folders, a .bin",
         .given = {{"in/f.hqx", Hqx(Named("F"))}, {"in2/Archive.HQX", Hqx(Named("Report.doc"))}, {"in/g.bin", hqx}},
         .args = {"-s", std::string(254, 's') + "é", in, "../in2/Archive.HQX", "../in/g.bin"}, .converted = {"in/f", "in2/Archive", "in/g"},
         .made = {{"cwd/F", data}, {"cwd/Report.", data}, {"cwd/Read Me", data}}},
        {.label = "paths of 255 and 259 characters, counted in characters", .given = {{longOk.substr(3), hqx},
         {longBad.substr(3), hqx}}, .args = {longOk, longBad}, .status = 3,
         .err = "Le chemin du fichier " + longBad + " est trop long.\n",
         .converted = {longOk.substr(3, longOk.size() - 7)}, .made = {{"cwd/Read Me", data}}},
        {.label = "a Mac name with π, Ω and ﬁ kept whole", .given = {{"in/f.hqx", Hqx(Named("\xB9 Calc \xBD\xC5\xDE\xA5"))}},
         .args = {in}, .converted = {"in/f"}, .made = {{"cwd/π Calc Ω≈ﬁ•", data}}},
        {.label = "mode 2 with a table", .given = {{"in/f.hqx", hqx}, {"cwd/q.sig", sig}},
         .args = {"-m", "2", "-s", "q.sig", in}, .converted = {"in/f"}, .made = {{"cwd/Read Me.txt", readMe.resource}}},
        {.label = "a data fork longer than the file: cut", .given = {{"in/g", HqxOf(liar)}},
         .args = {"-m", "2", "../in/g"}, .status = 3, .err = "Le fichier ../in/g" + incomplete,
         .converted = {"in/g"}, .made = {{"cwd/Liar", ""}}},
        {.label = "a fork named like the table", .given = {{"in/h.hqx", Hqx(Named("q", "TEXTqqqq"))},
         {"cwd/q.sig", sig + "SIG,TEXTqqqq\r\n"}}, .args = {"-s", "q.sig", "../in/h.hqx"}, .status = 3,
         .err = "Le fichier q.sig" + replaceSignatures, .converted = {"in/h"}},
        {.label = "mode 4 beside the inputs: long name, zero in the type, no data or resource fork",
         .given = {{"in/archive", Hqx(odd)}, {"in2/g.hqx", Hqx(noData)}},
         .args = {"-m", "4", "../in/archive", "../in2/g.hqx"}, .converted = {"in/archive", "in2/g"},
         .made = {{"in/archive.bin", MacBinary(odd, kMacDate + 3600)}, {"in2/g.bin", MacBinary(noData, kMacDate + 3600)}},
         .tz = "CET-1"},
        {.label = "mode 4, cut in the resource fork: what there was, then told",
         .given = {{"in/cut.hqx", HqxOf(cut.substr(0, 331 + 17))}}, .args = {"-m", "4", "../in/cut.hqx"}, .status = 3,
         .err = "Le fichier ../in/cut.hqx" + incomplete, .converted = {"in/cut"},
         .made = {{"in/cut.bin", binary.substr(0, 512 + 17)}}},
        {.label = "a .bin that can't be replaced", .given = {{"in/f.hqx", hqx}, {"in/f.bin", "old", 0444}},
         .args = {"-m", "4", in}, .status = 3, .err = "Le fichier ../in/f.bin ne peut pas être créé.\n",
         .converted = {"in/f"}},
        {.label = "a header cut: nothing is created", .given = {{"in/h.hqx", HqxOf(cut.substr(0, 28))}},
         .args = {"-m", "4", "../in/h.hqx"}, .status = 3, .err = "Le fichier ../in/h.hqx" + notBinHex},
        {.label = "mode 3, cut in the data fork: no resource fork", .given = {{"in/cut.hqx", HqxOf(cut.substr(0, 29 + 150))}},
         .args = {"-m", "3", "../in/cut.hqx"}, .status = 3, .err = "Le fichier ../in/cut.hqx" + incomplete,
         .converted = {"in/cut"}, .made = {{"cwd/Read Me.dat", data.substr(0, 150)}}},
        {.label = "a missing file amid a batch: told, the batch goes on", .given = {{"in/a.hqx", Hqx(Named("A"))}, {"in/c.hqx", hqx}},
         .args = {"-m", "3", "../in/a.hqx", "../in/missing.hqx", "../in/c.hqx"}, .status = 3,
         .err = "Le fichier ../in/missing.hqx" + cannotOpen, .converted = {"in/a", "in/c"},
         .made = {{"cwd/A.dat", data}, {"cwd/A.res", readMe.resource}, {"cwd/Read Me.dat", data}, {"cwd/Read Me.res", readMe.resource}}},
        {.label = "three inputs of one Mac name; a file of the second's name from before is replaced",
         .given = {{"in/a.hqx", hqx}, {"in/b.hqx", hqx}, {"in2/a.hqx", hqx}, {"cwd/Read Me (2).txt", "old"}, {"cwd/q.sig", sig}},
         .args = {"-s", "q.sig", "../in/a.hqx", "../in/b.hqx", "../in2/a.hqx"}, .converted = {"in/a", "in/b", "in2/a"},
         .made = {{"cwd/Read Me.txt", data}, {"cwd/Read Me (2).txt", data}, {"cwd/Read Me (3).txt", data}}},
        {.label = "MacBinary in: forks where they lie, numbered names; a cut one keeps what there was",
         .given = {{"in/m.bin", binary}, {"in/cut", binary.substr(0, 512 + 8)}}, .args = {"-m", "3", "../in/m.bin", "../in/cut"},
         .status = 3, .err = "Le fichier ../in/cut" + incomplete, .made = {{"cwd/Read Me.dat", data},
         {"cwd/Read Me.res", readMe.resource}, {"cwd/Read Me (2).dat", data}, {"cwd/Read Me (2).res", readMe.resource.substr(0, 8)}}},
        {.label = "mode 3, no data fork: noted, the resource fork is extracted", .given = {{"in/f.hqx", Hqx(noData)}},
         .args = {"-m", "3", in}, .err = "Le fichier ../in/f.hqx ne contient pas de données.\n", .converted = {"in/f"},
         .made = {{"cwd/No data.res", "r"}}},

        {.label = "damaged forks: written whole, then told", .given = {{"in/d.hqx", dataDamaged}, {"in/r.hqx", resourceDamaged}},
         .args = {"-m", "3", "../in/d.hqx", "../in/r.hqx"}, .status = 3,
         .err = "Les données du fichier ../in/d.hqx" + crcFails + "Les ressources du fichier ../in/r.hqx" + crcFails,
         .converted = {"in/d", "in/r"},
         .made = {{"cwd/D.dat", kAny}, {"cwd/D.res", d.resource}, {"cwd/R.dat", d.data}, {"cwd/R.res", kAny}}},
        {.label = "not BinHex: a damaged header, random bytes, text; nothing is created",
         .given = {{"in/h.hqx", headerDamaged}, {"in/noise", Pattern(200000, 3)}, {"in/plain.txt", "Bonjour.\r\n"}},
         .args = {"-m", "4", "../in/h.hqx", "../in/noise", "../in/plain.txt"}, .status = 3,
         .err = "Le fichier ../in/h.hqx" + notBinHex + "Le fichier ../in/noise" + notBinHex +
                "Le fichier ../in/plain.txt" + notBinHex},
        {.label = "a stream cut in the data fork's CRC: the fork is written, then told",
         .given = {{"in/f.hqx", HqxOf(cut.substr(0, 329 + 1))}}, .args = {in}, .status = 3,
         .err = "Le fichier ../in/f.hqx" + incomplete, .converted = {"in/f"}, .made = {{"cwd/Read Me", data}}},
        {.label = "-t: intact, damaged, cut, not BinHex, missing, MacBinary whole and cut; nothing is written",
         .given = {{"in/f.hqx", hqx}, {"in/d.hqx", dataDamaged}, {"in/r.hqx", resourceDamaged}, {"in/cut.hqx", HqxOf(cut.substr(0, 372))},
                   {"in/h.hqx", headerDamaged}, {"in/m.bin", binary}, {"in/c.bin", binary.substr(0, 512 + 39)}},
         .args = {"-t", in, "../in/d.hqx", "../in/r.hqx", "../in/cut.hqx", "../in/h.hqx", "../in/missing.hqx", "../in/m.bin",
                  "../in/c.bin", in}, .status = 3,
         .err = "Les données du fichier ../in/d.hqx" + crcFails + "Les ressources du fichier ../in/r.hqx" + crcFails +
                "Le fichier ../in/cut.hqx" + incomplete + "Le fichier ../in/h.hqx" + notBinHex + "Le fichier ../in/missing.hqx" +
                cannotOpen + "Le fichier ../in/c.bin" + incomplete,
         .out = "../in/f.hqx : intact\n../in/m.bin : intact\n../in/f.hqx : intact\n"},

        {.label = "inputs that their own files would replace",
         .given = {{"in/a.bqx", hqx}, {"in/b.BQX", hqx}, {"in/c.Bix", hqx}, {"in/d.bin", hqx}, {"in/e.bin", binary}},
         .args = {"-m", "4", "../in/a.bqx", "../in/b.BQX", "../in/c.Bix", "../in/d.bin", "../in/e.bin"}, .status = 3,
         .err = "Le fichier ../in/a.bqx" + replaceInput + "Le fichier ../in/b.bqx" + replaceInput +
                "Le fichier ../in/c.bix" + replaceInput + "Le fichier ../in/d.bin" + replaceInput +
                "Le fichier ../in/e.bin est déjà un fichier MacBinary.\n"},
        {.label = "a read-only table and input; names that would leave the folder or name a device",
         .given = {{"in/a.hqx", Hqx(Named("../outside/keep.txt")), 0444}, {"in/b.hqx", Hqx(Named("CON"))},
                   {"in/c.hqx", Hqx(Named("x:y"))}, {"in/q.sig", sig, 0444}},
         .args = {"-s", "../in/q.sig", "../in/a.hqx", "../in/b.hqx", "../in/c.hqx"},
         .converted = {"in/a", "in/b", "in/c"},
         .made = {{"cwd/.._outside_keep.txt", data}, {"cwd/_CON.txt", data}, {"cwd/x_y.txt", data}}},
        {.label = "a name that would replace the input is refused; one of its intermediates, numbered",
         .given = {{"cwd/data.txt", Hqx(Named("data", "APPLttxt"))}, {"cwd/in.hqx", Hqx(Named("in", "TEXTbqxx"))},
                   {"cwd/x.hqx", Hqx(Named("x", "TEXTbixx"))}, {"in/q.sig", sig + "BQX,TEXTbqxx\r\nBIX,TEXTbixx\r\n"}},
         .args = {"-s", "../in/q.sig", "data.txt", "in.hqx", "x.hqx"}, .status = 3, .err = "Le fichier data.txt" + replaceInput,
         .converted = {"cwd/data", "cwd/in", "cwd/x"}, .made = {{"cwd/in (2).bqx", data}, {"cwd/x (2).bix", data}}},
        {.label = "a table named like the .bix", .given = {{"in/f.hqx", hqx}, {"in/f.bix", sig}},
         .args = {"-s", "../in/f.bix", in}, .status = 3, .err = "Le fichier ../in/f.bix" + replaceSignatures},
        {.label = "a table named like the .bin", .given = {{"in/f.hqx", hqx}, {"in/f.bin", sig}},
         .args = {"-m", "4", "-s", "../in/f.bin", in}, .status = 3, .err = "Le fichier ../in/f.bin" + replaceSignatures,
         .converted = {"in/f"}},

        {.label = "unreadable input", .given = {{"in/f.hqx", hqx, 0200}}, .args = {in}, .status = 3, .err = "Le fichier " + in + cannotOpen},
        {.label = "read-only folders: their files in the current one, numbered", .given = {{"in/f.hqx", hqx}, {"in2/f.hqx", hqx},
         {"in", "", kImmutable}, {"in2", "", kImmutable}}, .args = {"-m", "4", in, "../in2/f.hqx"}, .converted = {"cwd/f", "cwd/f (2)"},
         .made = {{"cwd/f.bin", binary}, {"cwd/f (2).bin", binary}}},
        {.label = "a read-only current folder", .given = {{"in/a.hqx", hqx}, {"in2/b.hqx", hqx}, {"cwd", "", 0555}},
         .args = {"-m", "3", "../in/a.hqx", "../in2/b.hqx"}, .status = 3,
         .err = "Le fichier Read Me.dat ne peut pas être créé.\nLe fichier Read Me.dat ne peut pas être créé.\n",
         .converted = {"in/a", "in2/b"}},
        {.label = "a full disk (/dev/full) under a .bqx, a .bix, a fork file",
         .given = {{"in/a.hqx", hqx}, {"in/a.bqx", kDevFull}, {"in/b.hqx", hqx}, {"in/b.bix", kDevFull},
                   {"in/c.hqx", Hqx(Named("C"))}, {"cwd/C.dat", kDevFull}},
         .args = {"-m", "3", "../in/a.hqx", "../in/b.hqx", "../in/c.hqx"}, .status = 3,
         .err = writeFailed + "../in/a.bqx.\n" + writeFailed + "../in/b.bix.\n" + writeFailed + "C.dat.\n",
         .converted = {"in/c"}, .made = {{"in/b.bqx", kAny}}},
        {.label = "a file-size limit under a .bix and a .bin; the next file is converted",
         .given = {{"in/z.hqx", Hqx(zeros)}, {"in/m.hqx", Hqx(medium)}, {"in2/r.hqx", hqx}},
         .args = {"-m", "4", "../in/z.hqx", "../in/m.hqx", "../in2/r.hqx"}, .status = 3,
         .err = writeFailed + "../in/z.bix.\n" + writeFailed + "../in/m.bin.\n", .converted = {"in/m", "in2/r"},
         .made = {{"in/z.bqx", kAny}, {"in/z.bix", kAny}, {"in/m.bin", kAny},
                  {"in2/r.bin", binary}},
         .fileSizeLimit = 65536},
        {.label = "a full disk (64 KiB tmpfs) under a .bqx",
         .given = {{"in/n.hqx", Hqx({"Noise", "TEXT", "ttxt", Pattern(30000, 6)})}, {"in2/r.hqx", hqx}},
         .args = {"../in/n.hqx", "../in2/r.hqx"}, .status = 3, .err = writeFailed + "../in/n.bqx.\n",
         .converted = {"in2/r"}, .made = {{"in/n.bqx", kAny}, {"cwd/Read Me", data}}, .tmpfs = "in"},
    };
}

// Every file and folder in the box: its type and mode, and its bytes.
static std::map<std::string, std::pair<std::string, std::string>> Snapshot(const std::string &box)
{
    std::map<std::string, std::pair<std::string, std::string>> tree;
    for (const fs::directory_entry &e : fs::recursive_directory_iterator(box)) {
        fs::file_status status = e.symlink_status();
        tree[e.path().string().substr(box.size() + 1)] = {std::to_string(int(status.type())) + " " +
            std::to_string(int(status.permissions())), fs::is_regular_file(status) ? Read(e.path()) : ""};
    }
    return tree;
}

// Runs the program in the box's cwd/. Returns its exit status (128 + the
// signal that ended it), its standard output and its standard error.
static std::vector<std::string> RunCli(const std::string &box, const Row &row)
{
    const std::string io = Scratch("io");
    std::string command = "cd '" + box + "/cwd' && export TZ=" + row.tz + " && trap '' XFSZ" +
                          (row.fileSizeLimit != 0 ? " && ulimit -f " + std::to_string(row.fileSizeLimit / 512) : "") +
                          " && exec " + (geteuid() == 0 ? kUnprivileged : "") + "'" QUILLON_CLI "'";
    for (const std::string &arg : row.args)
        command += " '" + arg + "'";
    int status = system((command + " >" + io + "/out 2>" + io + "/err").c_str());
    status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return {std::to_string(status), Read(io + "/out"), Read(io + "/err")};
}

TEST(Cli, Table)
{
    auto same = [](const std::string &got, const std::string &want) {
        return want.ends_with('\x03') ? got.starts_with(want.substr(0, want.size() - 1)) : got == want;
    };
    for (const Row &row : Rows()) {
        SCOPED_TRACE(row.label);
        const std::string box = Scratch("box");
        for (const char *folder : {"in", "in2", "cwd", "outside"})
            fs::create_directory(box + "/" + folder);
        Write(box + "/outside/keep.txt", "kept");
        if (row.tmpfs != nullptr && mount("tmpfs", (box + "/" + row.tmpfs).c_str(), "tmpfs", 0, "size=64k") != 0) {
            std::cerr << "not run (a tmpfs needs root): " << row.label << "\n";
            continue;
        }
        std::string immutable;   // chattr's arguments
        for (const File &file : row.given) {
            const std::string path = box + "/" + file.path;
            fs::create_directories(fs::path(path).parent_path());
            if (file.bytes.starts_with(kLink))
                fs::create_symlink(file.bytes.substr(kLink.size()), path);
            else if (!fs::is_directory(path))
                Write(path, file.bytes);
            const utimbuf modified = {kModified, kModified};
            if (!file.bytes.starts_with(kLink))
                utime(path.c_str(), &modified);
            if (file.mode == kImmutable)
                immutable += " '" + path + "'";
            else if (file.mode != 0)
                chmod(path.c_str(), file.mode);
        }
        if (!immutable.empty() && system(("chattr +i" + immutable + " 2>/dev/null").c_str()) != 0) {
            std::cerr << "not run (chattr +i needs root): " << row.label << "\n";
            continue;
        }
        const auto before = Snapshot(box);
        const std::vector<std::string> run = RunCli(box, row);
        const auto after = Snapshot(box);
        if (row.tmpfs != nullptr)
            umount((box + "/" + row.tmpfs).c_str());
        EXPECT_EQ(immutable.empty() ? 0 : system(("chattr -i" + immutable).c_str()), 0);

        EXPECT_EQ(run[0], std::to_string(row.status));
        EXPECT_TRUE(same(run[1], row.out)) << "standard output:\n" << run[1];
        EXPECT_TRUE(same(run[2], row.err)) << "standard error:\n" << run[2];
        std::map<std::string, std::string> made = row.made;
        for (const std::string &stem : row.converted)
            made.try_emplace(stem + ".bqx", kAny), made.try_emplace(stem + ".bix", kAny);
        for (const auto &[path, entry] : before)
            EXPECT_TRUE(made.count(path) != 0 || (after.count(path) != 0 && after.at(path) == entry))
                << "changed: " << path;
        for (const auto &[path, entry] : after)
            EXPECT_TRUE(before.count(path) != 0 || made.count(path) != 0) << "unexpected: " << path;
        for (const auto &[path, want] : made) {
            const std::string got = after.count(path) != 0 ? after.at(path).second : "<missing>";
            EXPECT_TRUE(want == kAny ? got != "<missing>" : got == want) << path << ": " << got.size() << " bytes";
        }
    }
}

