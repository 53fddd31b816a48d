// Hostile inputs, end to end: quillon-cli on damaged, lying, truncated and
// oversized BinHex files, unusable names, unreadable and unwritable files
// and folders, a full disk and junk signatures files.
//
// One table, one run of the real binary per row. Every row runs in a fresh
// sandbox:
//   ROOT/in, ROOT/in2   the inputs' folders
//   ROOT/cwd            the current directory of the run
//   ROOT/outside/...    files that nothing may touch
// and every row checks, besides its own expectations (exit status, the
// exact text of standard error and output, every file made and its bytes):
//   - no crash: a normal exit, nothing on standard error but the messages
//     (a sanitizer report would be there);
//   - nothing written outside the two folders: the only new files are
//     files directly in an input's folder or in the current directory, and
//     no file or folder that existed before was changed, inputs included.
//
// Runs of quillon-cli drop the root user's right to bypass file permissions,
// so that a read-only file or folder is read-only here too. A full disk is
// a 64 KiB tmpfs mounted over a folder when mounting is possible (as root),
// and also, always, a file-size limit (ulimit -f) with SIGXFSZ ignored.
#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <linux/capability.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "../test_support.h"

namespace {

// ------------------------------------------------------------- the sandbox

struct Sandbox {
    std::string root;
    std::string mounted;   // folder with a tmpfs over it, or empty

    std::string Path(const std::string &relative) const { return root + "/" + relative; }
    void Write(const std::string &relative, const std::string &bytes) const
    {
        WriteFileBytes(Path(relative), bytes);
    }
};

// One entry of the tree: its type, permission bits and, for a file, bytes.
struct Entry {
    mode_t mode;
    std::string bytes;
    bool operator==(const Entry &other) const { return mode == other.mode && bytes == other.bytes; }
};

void Walk(const std::string &root, const std::string &relative, std::map<std::string, Entry> *tree)
{
    std::string path = relative.empty() ? root : root + "/" + relative;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    Entry entry{st.st_mode, ""};
    if (S_ISREG(st.st_mode))
        entry.bytes = ReadFileBytes(path);
    (*tree)[relative] = entry;
    if (S_ISDIR(st.st_mode))
        for (const std::string &name : ListFolder(path))
            Walk(root, relative.empty() ? name : relative + "/" + name, tree);
}

std::map<std::string, Entry> Snapshot(const Sandbox &box)
{
    std::map<std::string, Entry> tree;
    Walk(box.root, "", &tree);
    return tree;
}

// ------------------------------------------------------------ BinHex files

const std::string kBanner = "(This file must be converted with BinHex 4.0)";

void AppendBig(std::string *s, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; i--)
        s->push_back(char((value >> (8 * i)) & 0xFF));
}

// An expanded stream whose header may say anything: name bytes, 8 bytes of
// type and creator, the two lengths as stated, then the fork bytes as given
// (CRCs are zeros; nothing reads them).
std::string RawStream(const std::string &name, const std::string &typeCreator, uint32_t d, uint32_t r,
                      const std::string &data, const std::string &resource)
{
    std::string s;
    s.push_back(char(name.size()));
    s += name;
    s.push_back(0);
    s += typeCreator.substr(0, 8);
    AppendBig(&s, 0, 2);
    AppendBig(&s, d, 4);
    AppendBig(&s, r, 4);
    AppendBig(&s, 0, 2);
    s += data;
    s += std::string(2, '\0');
    s += resource;
    s += std::string(2, '\0');
    return s;
}

// The .hqx text of an expanded stream, 64 characters a line.
std::string Hqx(const std::string &stream)
{
    return BinHexText(RunLengthEncode(stream));
}

// The same with the whole encoded text on one line after the banner.
std::string HqxOneLine(const std::string &stream)
{
    std::string text = BinHexText(RunLengthEncode(stream), "");
    return kBanner + "\r\n" + text.substr(kBanner.size());
}

std::string Pattern(size_t length, unsigned seed)
{
    std::string s;
    unsigned x = seed * 2654435761u + 1;
    for (size_t i = 0; i < length; i++) {
        x = x * 1103515245u + 12345u;
        s.push_back(char(x >> 16));
    }
    return s;
}

// The file of most rows: name Read Me, TEXT/ttxt, 300 bytes of data and
// 40 of resources.
MacFile ReadMe()
{
    MacFile file;
    file.name = "Read Me";
    file.data = Pattern(300, 1);
    file.resource = Pattern(40, 2);
    return file;
}

// The MacBinary file of a header and what there was of its forks: the data
// as given, then, when withResource, the padding and the resource bytes.
std::string MacBinary(const std::string &name, const std::string &typeCreator, uint32_t d, uint32_t r,
                      const std::string &data, bool withResource, const std::string &resource)
{
    std::string h(128, '\0');
    size_t kept = std::min<size_t>(name.size(), 63);
    h[1] = char(kept);
    h.replace(2, kept, name.substr(0, kept));
    std::string tc = typeCreator.substr(0, typeCreator.find('\0'));
    h.replace(65, tc.size(), tc);
    std::string lengths;
    AppendBig(&lengths, d, 4);
    AppendBig(&lengths, r, 4);
    h.replace(83, 8, lengths);
    std::string bin = h + data;
    if (withResource)
        bin += std::string((128 - d % 128) % 128, '\0') + resource;
    return bin;
}

const char kSignatures[] = "# test table\r\nTXT,TEXTttxt\r\nGIF,GIFf????,image\r\nPDF,PDF CARO\r\n";

// Messages, as quillon-cli prints them (UTF-8).
std::string NoData(const std::string &input) { return "Le fichier " + input + " ne contient pas de données.\n"; }
std::string NoResources(const std::string &input)
{
    return "Le fichier " + input + " ne contient pas de ressources.\n";
}
std::string NotBinHex(const std::string &input)
{
    return "Le fichier " + input + " n'est pas un fichier BinHex correct.\n";
}
std::string Incomplete(const std::string &input)
{
    return "Le fichier " + input + " est incomplet : il s'arrête avant la fin annoncée.\n";
}
std::string WriteFailed(const std::string &file) { return "Erreur d'écriture dans le fichier " + file + ".\n"; }
std::string CannotCreate(const std::string &file) { return "Le fichier " + file + " ne peut pas être créé.\n"; }
const char kOpenFailed[] = "Erreur à l'ouverture des fichiers\n";
const char kPanelNotBinHex[] = "Ce fichier n'est pas un fichier BinHex correct.\n\n";

std::string Panel(const std::string &name, const std::string &typeCreator, uint32_t d, uint32_t r)
{
    return "Nom réel : " + name + "\nType : " + typeCreator + "\nDonnées : " + std::to_string(d) +
           "\nRessources : " + std::to_string(r) + "\n\n";
}

// ------------------------------------------------------------------ the table

// How the file bytes of a made file are checked.
const char kAnyBytes[] = "\x01(any)";
// A value starting with this byte: the file must be a shorter prefix of
// the rest (what a full disk let through).
const char kPrefixOf = '\x02';

std::string PrefixOf(const std::string &whole) { return std::string(1, kPrefixOf) + whole; }

enum class Medium {
    Disk,
    TmpfsIn,        // a 64 KiB tmpfs over ROOT/in
    TmpfsCwd,       // a 64 KiB tmpfs over ROOT/cwd
    FileSizeLimit,  // RLIMIT_FSIZE of fileSizeLimit bytes, SIGXFSZ ignored
};

struct Case {
    std::string name;
    std::function<void(const Sandbox &)> prepare;
    std::vector<std::string> args;             // run in ROOT/cwd
    int status;
    std::string err;                           // all of standard error
    std::string out;                           // all of standard output
    std::map<std::string, std::string> made;   // every new file, from ROOT: bytes
    Medium medium = Medium::Disk;
    long fileSizeLimit = 0;
};

std::ostream &operator<<(std::ostream &os, const Case &c) { return os << c.name; }

// Expected new files of a conversion of in/NAME.hqx that got through both
// stages: NAME.bqx and NAME.bix beside it (bytes not checked here).
void Intermediates(std::map<std::string, std::string> *made, const std::string &folder, const std::string &base)
{
    (*made)[folder + "/" + base + ".bqx"] = kAnyBytes;
    (*made)[folder + "/" + base + ".bix"] = kAnyBytes;
}

// A row converting in/f.hqx, which holds hqx, in the given mode, with the
// signatures file kSignatures when asked; both intermediates expected.
Case Convert(const std::string &rowName, const std::string &hqx, const std::string &mode,
             bool withSignatures = false)
{
    Case c;
    c.name = rowName;
    c.prepare = [hqx, withSignatures](const Sandbox &box) {
        box.Write("in/f.hqx", hqx);
        if (withSignatures)
            box.Write("in/q.sig", kSignatures);
    };
    c.args = {"-m", mode};
    if (withSignatures) {
        c.args.push_back("-s");
        c.args.push_back("../in/q.sig");
    }
    c.args.push_back("../in/f.hqx");
    c.status = 0;
    Intermediates(&c.made, "in", "f");
    return c;
}

const std::string kIn = "../in/f.hqx";

// What each mode gives for the Read Me stream cut after `cut` bytes (the
// BinHex text ends there, in the middle of a group or not).
void AddCutRows(std::vector<Case> *rows)
{
    MacFile file = ReadMe();
    const std::string stream = BinHexStream(file);
    const size_t n = file.name.size();
    const size_t dataStart = n + 22, dataEnd = dataStart + 300;
    const size_t resourceStart = dataEnd + 2, resourceEnd = resourceStart + 40;
    const struct {
        const char *where;
        size_t cut;
    } cuts[] = {
        {"NoByte", 0},
        {"AfterNameLength", 1},
        {"InsideName", 5},
        {"InsideFixedPart", 15},
        {"BeforeHeaderCrc", n + 20},
        {"InsideHeaderCrc", n + 21},
        {"AfterHeader", dataStart},
        {"InsideData", dataStart + 150},
        {"BeforeDataCrc", dataEnd},
        {"InsideDataCrc", dataEnd + 1},
        {"BeforeResource", resourceStart},
        {"InsideResource", resourceStart + 17},
        {"BeforeResourceCrc", resourceEnd},
        {"InsideResourceCrc", resourceEnd + 1},
        {"Whole", resourceEnd + 2},
    };
    for (const auto &at : cuts) {
        std::string hqx = Hqx(stream.substr(0, at.cut));
        bool header = at.cut >= dataStart;
        size_t dataHave = header ? std::min<size_t>(300, at.cut - dataStart) : 0;
        size_t resourceHave = at.cut > resourceStart ? std::min<size_t>(40, at.cut - resourceStart) : 0;
        std::string data = file.data.substr(0, dataHave);
        std::string resource = file.resource.substr(0, resourceHave);
        bool dataWhole = dataHave == 300, resourceWhole = resourceHave == 40;
        for (int mode = 1; mode <= 4; mode++) {
            Case c = Convert(std::string("CutAt") + at.where + "Mode" + std::to_string(mode), hqx,
                             std::to_string(mode));
            if (mode == 4) {
                if (!header) {
                    c.err = NotBinHex(kIn);
                } else {
                    c.made["in/f.bin"] = MacBinary("Read Me", "TEXTttxt", 300, 40, data, dataWhole, resource);
                    if (!dataWhole || !resourceWhole)
                        c.err = Incomplete(kIn);
                }
            } else if (!header) {
                c.err = mode == 2 ? NoResources(kIn) : NoData(kIn);
            } else if (mode == 1) {
                c.made["cwd/Read Me"] = data;
                if (!dataWhole)
                    c.err = Incomplete(kIn);
            } else if (mode == 2) {
                c.made["cwd/Read Me"] = resource;
                if (!resourceWhole)
                    c.err = Incomplete(kIn);
            } else {
                c.made["cwd/Read Me.dat"] = data;
                if (!dataWhole) {
                    c.err = Incomplete(kIn);
                } else {
                    c.made["cwd/Read Me.res"] = resource;
                    if (!resourceWhole)
                        c.err = Incomplete(kIn);
                }
            }
            rows->push_back(c);
        }
    }
    // The panel decodes whole groups only, and needs the header up to the
    // resource fork length.
    const struct {
        const char *where;
        size_t cut;
        bool shown;
    } panelCuts[] = {
        {"InsideName", 5, false},
        {"InsideResourceLength", n + 19, false},
        {"AfterHeader", dataStart, true},
        {"InsideData", dataStart + 150, true},
    };
    for (const auto &at : panelCuts) {
        Case c;
        c.name = std::string("PanelCutAt") + at.where;
        std::string hqx = Hqx(stream.substr(0, at.cut));
        c.prepare = [hqx](const Sandbox &box) { box.Write("in/f.hqx", hqx); };
        c.args = {"-i", kIn};
        c.status = at.shown ? 0 : 1;
        c.out = at.shown ? Panel("Read Me", "TEXTttxt", 300, 40) : kPanelNotBinHex;
        rows->push_back(c);
    }
}

void AddEmptyRows(std::vector<Case> *rows)
{
    const struct {
        const char *what;
        std::string bytes;
    } inputs[] = {
        {"Empty", ""},
        {"BannerOnly", kBanner + "\r\n"},
        {"BannerAndColons", kBanner + "\r\n::\r\n"},
    };
    for (const auto &input : inputs) {
        for (int mode = 1; mode <= 4; mode++) {
            Case c = Convert(std::string(input.what) + "Mode" + std::to_string(mode), input.bytes,
                             std::to_string(mode));
            c.err = mode == 4 ? NotBinHex(kIn) : mode == 2 ? NoResources(kIn) : NoData(kIn);
            c.made["in/f.bqx"] = "";
            c.made["in/f.bix"] = "";
            rows->push_back(c);
        }
        Case panel;
        panel.name = std::string(input.what) + "Panel";
        std::string bytes = input.bytes;
        panel.prepare = [bytes](const Sandbox &box) { box.Write("in/f.hqx", bytes); };
        panel.args = {"-i", kIn};
        panel.status = 1;
        panel.out = kPanelNotBinHex;
        rows->push_back(panel);
    }
}

void AddLengthRows(std::vector<Case> *rows)
{
    const std::string data = Pattern(300, 3), resource = Pattern(40, 4);
    const uint32_t kHuge = 0xFFFFFFFFu;
    // D as stated, R as stated; the bytes that follow are the 300 data
    // bytes, a CRC, the 40 resource bytes, a CRC.
    const struct {
        const char *what;
        uint32_t d, r;
    } lies[] = {
        {"HugeData", kHuge, 40},
        {"HugeResource", 300, kHuge},
        {"HugeBoth", kHuge, kHuge},
    };
    for (const auto &lie : lies) {
        std::string stream = RawStream("Read Me", "TEXTttxt", lie.d, lie.r, data, resource);
        std::string hqx = Hqx(stream);
        std::string afterHeader = stream.substr(7 + 22);
        for (int mode = 1; mode <= 4; mode++) {
            Case c = Convert(std::string(lie.what) + "Mode" + std::to_string(mode), hqx, std::to_string(mode));
            c.err = Incomplete(kIn);
            bool hugeData = lie.d == kHuge;
            std::string resourcePart = hugeData ? "" : stream.substr(7 + 22 + 302);
            if (mode == 1) {
                c.made["cwd/Read Me"] = hugeData ? afterHeader : data;
                if (!hugeData)
                    c.err = "";
            } else if (mode == 2) {
                c.made["cwd/Read Me"] = resourcePart;
            } else if (mode == 3) {
                c.made["cwd/Read Me.dat"] = hugeData ? afterHeader : data;
                if (!hugeData)
                    c.made["cwd/Read Me.res"] = resourcePart;
            } else {
                c.made["in/f.bin"] = MacBinary("Read Me", "TEXTttxt", lie.d, lie.r,
                                               hugeData ? afterHeader : data, !hugeData, resourcePart);
            }
            rows->push_back(c);
        }
        Case panel;
        panel.name = std::string(lie.what) + "Panel";
        panel.prepare = [hqx](const Sandbox &box) { box.Write("in/f.hqx", hqx); };
        panel.args = {"-i", kIn};
        panel.status = 0;
        panel.out = Panel("Read Me", "TEXTttxt", lie.d, lie.r);
        rows->push_back(panel);
    }
}

// Name lengths around the limits of the MacBinary header (63) and of the
// name read buffer (127), up to 255, with the signatures file (extension
// txt) in modes 1 and 4, and in the panel.
void AddNameLengthRows(std::vector<Case> *rows)
{
    const std::string letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (size_t length : {0, 1, 63, 64, 127, 128, 255}) {
        std::string name;
        for (size_t i = 0; i < length; i++)
            name.push_back(letters[i % letters.size()]);
        MacFile file;
        file.name = name;
        file.data = Pattern(10, 5);
        file.resource = Pattern(5, 6);
        std::string hqx = EncodeBinHex(file);
        std::string suffix = "NameLength" + std::to_string(length);

        Case one = Convert(suffix + "Mode1", hqx, "1", true);
        one.made["cwd/" + name.substr(0, 127) + ".txt"] = file.data;
        rows->push_back(one);

        Case three = Convert(suffix + "Mode3", hqx, "3", true);
        three.made["cwd/" + name.substr(0, 127) + ".dat.txt"] = file.data;
        three.made["cwd/" + name.substr(0, 127) + ".res.txt"] = file.resource;
        rows->push_back(three);

        Case bin = Convert(suffix + "Mode4", hqx, "4");
        bin.made["in/f.bin"] = MacBinary(name, "TEXTttxt", 10, 5, file.data, true, file.resource);
        rows->push_back(bin);

        Case panel;
        panel.name = suffix + "Panel";
        panel.prepare = [hqx](const Sandbox &box) { box.Write("in/f.hqx", hqx); };
        panel.args = {"-i", kIn};
        panel.status = 0;
        panel.out = Panel(name, "TEXTttxt", 10, 5);
        rows->push_back(panel);
    }
    // A name whose UTF-8 form is longer than the file system takes (127
    // trade mark signs, three bytes each): reported, and the batch goes on.
    MacFile longName;
    longName.name = std::string(127, '\xAA');
    longName.data = "data";
    Case c = Convert("NameTooLongForTheFileSystem", EncodeBinHex(longName), "1");
    std::string tm;
    for (int i = 0; i < 127; i++)
        tm += "™";
    c.err = CannotCreate(tm);
    rows->push_back(c);
}

// Names and type/creator bytes that the file system must not see as they
// stand: separators, drive colons, device names, dots, control and zero
// bytes. Mode 1 without a signatures file, so the name is the Mac name.
void AddUnsafeNameRows(std::vector<Case> *rows)
{
    const struct {
        const char *what;
        std::string mac;
        const char *created;
    } names[] = {
        {"DotDot", "..", "_.."},
        {"Dot", ".", "_."},
        {"DotsAndBlanks", ". .", "_. ."},
        {"ParentPath", "../x", ".._x"},
        {"PathToAnotherFolder", "../outside/keep.txt", ".._outside_keep."},
        {"Slash", "a/b", "a_b"},
        {"Backslash", "a\\b", "a_b"},
        {"DriveColon", "C:x", "C_x"},
        {"AbsoluteWindowsPath", "C:\\x", "C__x"},
        {"StreamColon", "x:y", "x_y"},
        {"Con", "CON", "_CON"},
        {"NulWithExtension", "nul.txt", "_nul."},
        {"ComWithBlank", "com1 .doc", "_com1 ."},
        {"Lpt9", "LPT9", "_LPT9"},
        {"ConsoleInput", "CONIN$", "_CONIN$"},
        {"WildcardsAndQuotes", "a*b?c\"d<e>f|g", "a_b_c_d_e_f_g"},
        {"ControlBytes", "a\r\nb\tc\x7F", "a__b_c "},
        {"ZeroInside", std::string("ab\0cd", 5), "ab"},
        {"ZeroFirst", std::string("\0abc", 4), "_"},
        {"Empty", "", "_"},
    };
    for (const auto &entry : names) {
        MacFile file;
        file.name = entry.mac;
        file.data = "the data fork";
        file.resource = "the resource fork";
        std::string hqx = EncodeBinHex(file);
        Case c = Convert(std::string("UnsafeName") + entry.what, hqx, "1");
        c.made[std::string("cwd/") + entry.created] = file.data;
        rows->push_back(c);
    }
    // Mode 3 marks the names of both forks; still one folder, no escape.
    MacFile up;
    up.name = "../x";
    up.data = "D";
    up.resource = "R";
    Case pair = Convert("UnsafeNameParentPathBothForks", EncodeBinHex(up), "3");
    pair.made["cwd/.._x.dat"] = "D";
    pair.made["cwd/.._x.res"] = "R";
    rows->push_back(pair);

    // The same path with the signatures file: its extension would make it
    // the name of a file that exists there.
    MacFile onto;
    onto.name = "../outside/keep.txt";
    onto.data = "not kept";
    Case over = Convert("UnsafeNamePathOntoAFileOutside", EncodeBinHex(onto), "1", true);
    over.made["cwd/.._outside_keep.txt"] = "not kept";
    rows->push_back(over);

    // Zero bytes in the type and creator: the text stops there.
    const struct {
        const char *what;
        std::string type, creator;
        const char *shown;
    } types[] = {
        {"ZeroInType", std::string("TE\0T", 4), "ttxt", "TE"},
        {"ZeroFirstInType", std::string("\0EXT", 4), "ttxt", ""},
        {"ZeroInCreator", "GIFf", std::string("o\0le", 4), "GIFfo"},
    };
    for (const auto &t : types) {
        MacFile file;
        file.name = "pic";
        file.type = t.type;
        file.creator = t.creator;
        file.data = "data";
        file.resource = "res";
        std::string hqx = EncodeBinHex(file);
        std::string typeCreator = t.type + t.creator;
        // Key TE: the default row wins (pass 3); key GIFfo: the GIF row
        // (pass 2); an empty key: the default row.
        Case one = Convert(std::string(t.what) + "Mode1", hqx, "1", true);
        one.made[std::string("cwd/pic.") + (t.type == "GIFf" ? "gif" : "txt")] = "data";
        rows->push_back(one);
        Case bin = Convert(std::string(t.what) + "Mode4", hqx, "4");
        bin.made["in/f.bin"] = MacBinary("pic", typeCreator, 4, 3, "data", true, "res");
        rows->push_back(bin);
        Case panel;
        panel.name = std::string(t.what) + "Panel";
        panel.prepare = [hqx](const Sandbox &box) { box.Write("in/f.hqx", hqx); };
        panel.args = {"-i", kIn};
        panel.status = 0;
        panel.out = Panel("pic", t.shown, 4, 3);
        rows->push_back(panel);
    }
}

// Inputs that cannot be opened, folders that cannot be written.
void AddAccessRows(std::vector<Case> *rows)
{
    const std::string good = EncodeBinHex(ReadMe());
    {
        Case c;
        c.name = "FolderAsInput";
        c.prepare = [good](const Sandbox &box) {
            mkdir(box.Path("in/folder").c_str(), 0755);
            box.Write("in/folder/inside.hqx", good);
            box.Write("in/g.hqx", good);
        };
        c.args = {"../in/folder", "../in/g.hqx"};
        c.status = 1;
        c.err = kOpenFailed;
        rows->push_back(c);
        Case panel = c;
        panel.name = "FolderAsInputPanel";
        panel.args = {"-i", "../in/folder"};
        panel.err = "";
        panel.out = kPanelNotBinHex;
        panel.made.clear();
        rows->push_back(panel);
    }
    {
        Case c;
        c.name = "MissingInputStopsTheBatch";
        c.prepare = [good](const Sandbox &box) {
            box.Write("in/a.hqx", good);
            box.Write("in/c.hqx", good);
        };
        c.args = {"-m", "3", "../in/a.hqx", "../in/missing.hqx", "../in/c.hqx"};
        c.status = 1;
        c.err = kOpenFailed;
        Intermediates(&c.made, "in", "a");
        c.made["cwd/Read Me.dat"] = ReadMe().data;
        c.made["cwd/Read Me.res"] = ReadMe().resource;

        rows->push_back(c);
    }
    {
        Case c;
        c.name = "ReadOnlyInput";
        c.prepare = [good](const Sandbox &box) {
            box.Write("in/f.hqx", good);
            chmod(box.Path("in/f.hqx").c_str(), 0444);
        };
        c.args = {kIn};
        c.status = 0;
        Intermediates(&c.made, "in", "f");
        c.made["cwd/Read Me"] = ReadMe().data;
        rows->push_back(c);
        Case panel = c;
        panel.name = "ReadOnlyInputPanel";
        panel.args = {"-i", kIn};
        panel.out = Panel("Read Me", "TEXTttxt", 300, 40);
        panel.made.clear();
        rows->push_back(panel);
        Case unreadable = c;
        unreadable.name = "UnreadableInput";
        unreadable.prepare = [good](const Sandbox &box) {
            box.Write("in/f.hqx", good);
            chmod(box.Path("in/f.hqx").c_str(), 0200);
        };
        unreadable.status = 1;
        unreadable.err = kOpenFailed;
        unreadable.made.clear();
        rows->push_back(unreadable);
    }
    {
        Case c;
        c.name = "ReadOnlyInputFolder";
        c.prepare = [good](const Sandbox &box) {
            box.Write("in/f.hqx", good);
            chmod(box.Path("in").c_str(), 0555);
        };
        c.args = {kIn};
        c.status = 1;
        c.err = kOpenFailed;
        rows->push_back(c);
    }
    {
        // Fork files cannot be created; each file says so and the batch
        // goes on. The MacBinary file goes beside the input all the same.
        Case c;
        c.name = "ReadOnlyCurrentFolder";
        c.prepare = [good](const Sandbox &box) {
            box.Write("in/a.hqx", good);
            box.Write("in2/b.hqx", good);
            chmod(box.Path("cwd").c_str(), 0555);
        };
        c.args = {"-m", "3", "../in/a.hqx", "../in2/b.hqx"};
        c.status = 0;
        c.err = CannotCreate("Read Me.dat") + CannotCreate("Read Me.dat");
        Intermediates(&c.made, "in", "a");
        Intermediates(&c.made, "in2", "b");
        rows->push_back(c);
        Case bin = c;
        bin.name = "ReadOnlyCurrentFolderMode4";
        bin.args = {"-m", "4", "../in/a.hqx"};
        bin.err = "";
        bin.made.clear();
        Intermediates(&bin.made, "in", "a");
        MacFile file = ReadMe();
        bin.made["in/a.bin"] = MacBinary("Read Me", "TEXTttxt", 300, 40, file.data, true, file.resource);
        rows->push_back(bin);
    }
}

// A full disk under each file the program writes: the .bqx, the .bix, a
// fork file, the .bin file. The message names the file, that file's
// conversion stops, the next file is converted.
void AddFullDiskRows(std::vector<Case> *rows)
{
    MacFile zeros;                   // 100,000 zero bytes: a tiny .hqx, a big .bix
    zeros.name = "Zeros";
    zeros.data = std::string(100000, '\0');
    const std::string zerosHqx = EncodeBinHex(zeros);
    MacFile thirty;                  // 30,000 zero bytes: the .bix file fits in 64 KiB
    thirty.name = "Medium";
    thirty.data = std::string(30000, '\0');
    const std::string mediumHqx = EncodeBinHex(thirty);
    const std::string noisy = Hqx(BinHexStream([] {
        MacFile f;
        f.name = "Noise";
        f.data = Pattern(21000, 7);  // no runs: .hqx 28 KiB, .bqx 21 KiB
        return f;
    }()));
    const std::string small = EncodeBinHex(ReadMe());
    const MacFile readMe = ReadMe();

    for (Medium medium : {Medium::TmpfsIn, Medium::FileSizeLimit}) {
        std::string on = medium == Medium::TmpfsIn ? "Tmpfs" : "FileSizeLimit";
        {
            // The .bix file does not fit.
            Case c;
            c.name = "FullDiskUnderBix" + on;
            c.medium = medium;
            c.fileSizeLimit = 65536;
            c.prepare = [zerosHqx, small](const Sandbox &box) {
                box.Write("in/z.hqx", zerosHqx);
                box.Write("in2/r.hqx", small);
            };
            c.args = {"../in/z.hqx", "../in2/r.hqx"};
            c.status = 0;
            c.err = WriteFailed("../in/z.bix");
            c.made["in/z.bqx"] = kAnyBytes;
            c.made["in/z.bix"] = PrefixOf(BinHexStream(zeros));
            Intermediates(&c.made, "in2", "r");
            c.made["cwd/Read Me"] = readMe.data;
            rows->push_back(c);
        }
        {
            // The .bqx file does not fit: 21 KiB of .bqx after 28 KiB of
            // input, with 16 KiB left (tmpfs) or a 16 KiB limit.
            Case c;
            c.name = "FullDiskUnderBqx" + on;
            c.medium = medium;
            c.fileSizeLimit = 16384;
            c.prepare = [noisy, small, medium](const Sandbox &box) {
                box.Write("in/n.hqx", noisy);
                if (medium == Medium::TmpfsIn) {
                    struct stat st;
                    stat(box.Path("in/n.hqx").c_str(), &st);
                    size_t used = (size_t(st.st_size) + 4095) / 4096 * 4096;
                    box.Write("in/filler", std::string(65536 - used - 16384, 'F'));
                }
                box.Write("in2/r.hqx", small);
            };
            c.args = {"../in/n.hqx", "../in2/r.hqx"};
            c.status = 0;
            c.err = WriteFailed("../in/n.bqx");
            c.made["in/n.bqx"] = kAnyBytes;
            Intermediates(&c.made, "in2", "r");
            c.made["cwd/Read Me"] = readMe.data;
            rows->push_back(c);
        }
        {
            // The .bin file does not fit (the .bix file does).
            Case c;
            c.name = "FullDiskUnderBin" + on;
            c.medium = medium;
            c.fileSizeLimit = 30100;     // the .bix file has 30,032 bytes, the .bin 30,128
            c.prepare = [mediumHqx, small](const Sandbox &box) {
                box.Write("in/m.hqx", mediumHqx);
                box.Write("in2/r.hqx", small);
            };
            c.args = {"-m", "4", "../in/m.hqx", "../in2/r.hqx"};
            c.status = 0;
            c.err = WriteFailed("../in/m.bin");
            Intermediates(&c.made, "in", "m");
            c.made["in/m.bin"] = PrefixOf(MacBinary("Medium", "TEXTttxt", 30000, 0, thirty.data, false, ""));
            Intermediates(&c.made, "in2", "r");
            c.made["in2/r.bin"] = MacBinary("Read Me", "TEXTttxt", 300, 40, readMe.data, true, readMe.resource);
            rows->push_back(c);
        }
    }
    // A fork file does not fit. A file-size limit cannot stop the fork file
    // alone (the .bix file is larger), so the second variant makes the fork
    // file's name a link to /dev/full, a device where every write fails.
    for (bool tmpfs : {true, false}) {
        Case c;
        c.name = tmpfs ? "FullDiskUnderForkFileTmpfs" : "FullDiskUnderForkFileDevFull";
        c.medium = tmpfs ? Medium::TmpfsCwd : Medium::Disk;
        c.prepare = [zerosHqx, small, tmpfs](const Sandbox &box) {
            box.Write("in/z.hqx", zerosHqx);
            box.Write("in2/r.hqx", small);
            if (!tmpfs && symlink("/dev/full", box.Path("cwd/Zeros.dat").c_str()) != 0)
                ADD_FAILURE() << "cannot link to /dev/full";
        };
        c.args = {"-m", "3", "../in/z.hqx", "../in2/r.hqx"};
        c.status = 0;
        c.err = WriteFailed("Zeros.dat");
        Intermediates(&c.made, "in", "z");
        Intermediates(&c.made, "in2", "r");
        if (tmpfs) {
            // The partial fork file fills the disk: the next file's fork
            // does not fit either, and says so too.
            c.made["cwd/Zeros.dat"] = PrefixOf(zeros.data);
            c.err += WriteFailed("Read Me.dat");
            c.made["cwd/Read Me.dat"] = PrefixOf(readMe.data);
        } else {
            c.made["cwd/Read Me.dat"] = readMe.data;
            c.made["cwd/Read Me.res"] = readMe.resource;
        }
        rows->push_back(c);
    }
}

// A line of 100,000 characters, as the BinHex text, as the first line, and
// in the signatures file; signatures files of junk, of zero bytes and of
// 10,000 lines.
void AddLongLineAndSignatureRows(std::vector<Case> *rows)
{
    MacFile big;
    big.name = "One Line";
    big.data = Pattern(75000, 8);
    big.resource = Pattern(100, 9);
    {
        std::string hqx = HqxOneLine(BinHexStream(big));
        Case c = Convert("WholeTextOnOneLine", hqx, "3");
        c.made["cwd/One Line.dat"] = big.data;
        c.made["cwd/One Line.res"] = big.resource;
        rows->push_back(c);
        Case panel;
        panel.name = "WholeTextOnOneLinePanel";
        panel.prepare = [hqx](const Sandbox &box) { box.Write("in/f.hqx", hqx); };
        panel.args = {"-i", kIn};
        panel.status = 0;
        panel.out = Panel("One Line", "TEXTttxt", 75000, 100);
        rows->push_back(panel);
    }
    {
        // A first line of 100,000 characters: the first 128 are discarded,
        // the rest is taken as BinHex text. Its letter A decodes to the
        // bytes 5D 75 D7 again and again: a name of 93 (0x5D) bytes that
        // translate to u_] and so on, a data fork length of 0x5D75D75D;
        // what there is of the fork is copied, and the input is reported
        // incomplete.
        std::string line(100000, 'A');
        Case c = Convert("LongFirstLine", line + "\r\n", "1");
        std::string name, decoded;
        for (int i = 0; i < 93; i++)
            name.push_back("u_]"[i % 3]);
        for (int i = 0; i < (100000 - 128) / 4; i++)
            decoded += "\x5D\x75\xD7";
        c.made["cwd/" + name] = decoded.substr(93 + 22);
        c.err = Incomplete(kIn);
        rows->push_back(c);
        Case panel;
        panel.name = "LongFirstLinePanel";
        panel.prepare = [line](const Sandbox &box) { box.Write("in/f.hqx", line + "BinHex\r\n"); };
        panel.args = {"-i", kIn};
        panel.status = 1;
        panel.out = kPanelNotBinHex;
        rows->push_back(panel);
    }

    const std::string readMeHqx = EncodeBinHex(ReadMe());
    MacFile jpeg = ReadMe();
    jpeg.name = "photo";
    jpeg.type = "JPEG";
    jpeg.creator = "abcd";
    const std::string jpegHqx = EncodeBinHex(jpeg);
    auto signatureRow = [&](const std::string &what, const std::string &hqx, const std::string &sig,
                            const std::string &created, const std::string &forkBytes) {
        Case c;
        c.name = "Signatures" + what;
        c.prepare = [hqx, sig](const Sandbox &box) {
            box.Write("in/f.hqx", hqx);
            box.Write("in/q.sig", sig);
        };
        c.args = {"-s", "../in/q.sig", kIn};
        c.status = 0;
        Intermediates(&c.made, "in", "f");
        c.made["cwd/" + created] = forkBytes;
        rows->push_back(c);
    };
    const std::string data = ReadMe().data;
    signatureRow("BinaryJunk", readMeHqx, Pattern(4096, 10), "Read Me.txt", data);
    signatureRow("ZeroBytes", jpegHqx,
                 std::string("\0\0\0\r\nJPG\0,JPEGabcd\r\nGIF,GIFf\0ogle\r\n", 35) + std::string(500, '\0'),
                 "photo.", data);
    std::string many;
    for (int i = 1; i < 10000; i++) {
        char line[32];
        snprintf(line, sizeof line, "X%d,ZZZZ%04d\r\n", i % 1000, i % 10000);
        many += line;
    }
    signatureRow("TenThousandLines", jpegHqx, many + "JPG,JPEGabcd\r\n", "photo.txt", data);
    std::string sixtyTwo;
    for (int i = 0; i < 62; i++)
        sixtyTwo += "X,ZZZZ0000\r\n";
    signatureRow("MatchOnLine63", jpegHqx, "# not counted\r\n\r\n" + sixtyTwo + "JPG,JPEGabcd\r\n", "photo.jpg",
                 data);
    signatureRow("MatchOnLine64", jpegHqx, sixtyTwo + "X,ZZZZ0000\r\nJPG,JPEGabcd\r\n", "photo.txt", data);
    signatureRow("OneLongLine", readMeHqx, std::string(100000, 'J') + "\r\nJPG,JPEGabcd\r\n", "Read Me.txt",
                 data);
    std::string associations;
    while (associations.size() < 100000)
        associations += "JPG,JPEGabcd,";
    signatureRow("OneLongLineOfAssociations", jpegHqx, associations + "\r\n", "photo.jpg", data);

    // A Macintosh name that, with the extension the table gives, is the
    // name of the signatures file itself in the current folder: the table
    // is an input too, and stays as it is.
    {
        MacFile named = ReadMe();
        named.name = "q";
        std::string hqx = EncodeBinHex(named);
        Case c;
        c.name = "SignaturesFileNamedLikeTheFork";
        c.prepare = [hqx](const Sandbox &box) {
            box.Write("in/f.hqx", hqx);
            box.Write("cwd/q.sig", "SIG,TEXTttxt\r\n");
        };
        c.args = {"-m", "2", "-s", "q.sig", kIn};
        c.status = 0;
        c.err = "Le fichier q.sig n'est pas créé : il remplacerait le fichier des signatures.\n";
        Intermediates(&c.made, "in", "f");
        rows->push_back(c);

        Case beside;
        beside.name = "SignaturesFileNamedLikeAnIntermediate";
        beside.prepare = [hqx](const Sandbox &box) {
            box.Write("in/f.hqx", hqx);
            box.Write("in/f.bix", "SIG,TEXTttxt\r\n");
        };
        beside.args = {"-s", "../in/f.bix", kIn};
        beside.status = 0;
        beside.err = "Le fichier ../in/f.bix n'est pas créé : il remplacerait le fichier des signatures.\n";
        rows->push_back(beside);
    }

    // No table at all: a signatures file that cannot be read, or no file.
    // A read-only one is read.
    const struct {
        const char *what;
        std::function<void(const Sandbox &)> make;
    } unusable[] = {
        {"Missing", [](const Sandbox &) {}},
        {"Folder", [](const Sandbox &box) { mkdir(box.Path("in/q.sig").c_str(), 0755); }},
        {"Unreadable",
         [](const Sandbox &box) {
             box.Write("in/q.sig", kSignatures);
             chmod(box.Path("in/q.sig").c_str(), 0200);
         }},
        {"ReadOnly",
         [](const Sandbox &box) {
             box.Write("in/q.sig", kSignatures);
             chmod(box.Path("in/q.sig").c_str(), 0444);
         }},
    };
    for (const auto &u : unusable) {
        Case c;
        c.name = std::string("Signatures") + u.what;
        auto make = u.make;
        c.prepare = [readMeHqx, make](const Sandbox &box) {
            box.Write("in/f.hqx", readMeHqx);
            make(box);
        };
        c.args = {"-s", "../in/q.sig", kIn};
        c.status = 0;
        Intermediates(&c.made, "in", "f");
        c.made[std::string("cwd/Read Me") + (strcmp(u.what, "ReadOnly") == 0 ? ".txt" : "")] = data;
        rows->push_back(c);
    }
}

std::vector<Case> Table()
{
    std::vector<Case> rows;
    AddEmptyRows(&rows);
    AddCutRows(&rows);
    AddLengthRows(&rows);
    AddNameLengthRows(&rows);
    AddUnsafeNameRows(&rows);
    AddAccessRows(&rows);
    AddFullDiskRows(&rows);
    AddLongLineAndSignatureRows(&rows);
    return rows;
}

// ------------------------------------------------------------------ the run

struct CliRun {
    bool exited;
    int status;         // exit status, or the signal that ended it
    std::string out, err;
};

// Runs quillon-cli in ROOT/cwd as an ordinary user would: without the
// rights to bypass permissions, with the case's file-size limit.
CliRun RunCli(const Sandbox &box, const Case &c, const std::string &captureFolder)
{
    std::string outPath = captureFolder + "/stdout", errPath = captureFolder + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(box.Path("cwd").c_str()) != 0)
            _exit(120);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0)
            _exit(121);
        dup2(out, 1);
        dup2(err, 2);
        for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER, CAP_LINUX_IMMUTABLE})
            prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
        if (c.medium == Medium::FileSizeLimit) {
            signal(SIGXFSZ, SIG_IGN);    // a write past the limit fails with EFBIG instead
            struct rlimit limit = {rlim_t(c.fileSizeLimit), rlim_t(c.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        // A sanitizer report ends the run with a status of its own.
        setenv("ASAN_OPTIONS", "exitcode=86:detect_leaks=1", 0);
        setenv("UBSAN_OPTIONS", "exitcode=87:halt_on_error=1:print_stacktrace=1", 0);
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(QUILLON_CLI));
        for (const std::string &a : c.args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(QUILLON_CLI, argv.data());
        _exit(122);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    CliRun run;
    run.exited = WIFEXITED(status);
    run.status = run.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    run.out = ReadFileBytes(outPath);
    run.err = ReadFileBytes(errPath);
    return run;
}

std::string Shown(const std::string &bytes)
{
    if (bytes.size() > 80)
        return "(" + std::to_string(bytes.size()) + " bytes)";
    std::string s;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c >= 0x20 && c < 0x7F) {
            s.push_back(char(c));
        } else {
            snprintf(hex, sizeof hex, "\\x%02X", c);
            s += hex;
        }
    }
    return s;
}

class Hostile : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/quillon-hostile-XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        box.root = templ;
        char capture[] = "/tmp/quillon-hostile-out-XXXXXX";
        ASSERT_NE(mkdtemp(capture), nullptr);
        captureFolder = capture;
        for (const char *folder : {"in", "in2", "cwd", "outside"})
            ASSERT_EQ(mkdir(box.Path(folder).c_str(), 0755), 0);
        box.Write("outside/keep.txt", "kept");
        box.Write("note.txt", "note");
    }
    void TearDown() override
    {
        if (!box.mounted.empty() && umount(box.mounted.c_str()) != 0)
            umount2(box.mounted.c_str(), MNT_DETACH);
        std::string command = "chmod -R u+rwx '" + box.root + "' 2>/dev/null; rm -rf '" + box.root + "' '" +
                              captureFolder + "'";
        if (system(command.c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << box.root;
    }
    // Mounts a 64 KiB tmpfs over ROOT/folder. Returns: false when this
    // machine does not allow it.
    bool MountSmallDisk(const std::string &folder)
    {
        std::string path = box.Path(folder);
        if (mount("tmpfs", path.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
            return false;
        box.mounted = path;
        return true;
    }
    Sandbox box;
    std::string captureFolder;
};

TEST_P(Hostile, StaysSafe)
{
    const Case &c = GetParam();
    if (c.medium == Medium::TmpfsIn || c.medium == Medium::TmpfsCwd) {
        if (!MountSmallDisk(c.medium == Medium::TmpfsIn ? "in" : "cwd"))
            GTEST_SKIP() << "cannot mount a tmpfs here (not root?); the file-size-limit rows cover it";
    }
    c.prepare(box);
    std::map<std::string, Entry> before = Snapshot(box);

    CliRun run = RunCli(box, c, captureFolder);
    ASSERT_TRUE(run.exited) << "killed by signal " << run.status << "\n" << run.err;
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, c.out);

    // Everything that was there is unchanged; what is new is exactly what
    // the row expects, and only in an input's folder or the current one.
    std::map<std::string, Entry> after = Snapshot(box);
    for (const auto &old : before) {
        auto now = after.find(old.first);
        if (now == after.end()) {
            ADD_FAILURE() << "removed: " << old.first;
        } else if (old.first.empty() || S_ISDIR(old.second.mode)) {
            EXPECT_EQ(now->second.mode, old.second.mode) << "mode of " << old.first;
        } else if (!(now->second == old.second)) {
            ADD_FAILURE() << "changed: " << old.first;
        }
    }
    std::set<std::string> expected;
    for (const auto &made : c.made)
        expected.insert(made.first);
    for (const auto &now : after) {
        if (before.count(now.first) != 0)
            continue;
        std::string folder = now.first.substr(0, now.first.find('/'));
        bool allowed = (folder == "in" || folder == "in2" || folder == "cwd") &&
                       now.first.find('/', folder.size() + 1) == std::string::npos;
        EXPECT_TRUE(allowed) << "written outside the input's folder and the current one: " << now.first;
        EXPECT_TRUE(S_ISREG(now.second.mode)) << "not a plain file: " << now.first;
        EXPECT_EQ(expected.count(now.first), 1u) << "unexpected file: " << Shown(now.first);
    }
    for (const auto &made : c.made) {
        auto now = after.find(made.first);
        if (now == after.end()) {
            ADD_FAILURE() << "missing: " << Shown(made.first);
            continue;
        }
        const std::string &want = made.second;
        const std::string &got = now->second.bytes;
        if (want == kAnyBytes)
            continue;
        if (!want.empty() && want[0] == kPrefixOf) {
            std::string whole = want.substr(1);
            EXPECT_LT(got.size(), whole.size()) << made.first << " should have been cut short";
            EXPECT_TRUE(got == whole.substr(0, got.size())) << made.first << " is not what there was of it";
        } else {
            EXPECT_TRUE(got == want) << Shown(made.first) << ": " << got.size() << " bytes, expected "
                                     << want.size() << "\n  got      " << Shown(got) << "\n  expected "
                                     << Shown(want);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, Hostile, ::testing::ValuesIn(Table()),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

}  // namespace
