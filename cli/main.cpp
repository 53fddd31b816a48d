// quillon-cli: the console front end. Runs the same conversion driver and
// information text as the Windows program; its message dialogs become lines
// on standard error, and the files of a read-only folder go to the current
// directory. Every text goes out through WriteText: UTF-8, or on a Windows
// console its wide-character interface.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "extract/batch.h"
#include "extract/convert.h"
#include "extract/file_info.h"
#include "extract/platform.h"
#include "extract/signatures.h"
#include "quillon_version.h"

namespace {

// Messages printed so far: a file list whose making printed one is not
// whole.
int MessagesPrinted = 0;

// The driver's messages, one a line on standard error.
void PrintMessage(void *, const char *text)
{
    MessagesPrinted++;
    WriteText(text, stderr);
    WriteText("\n", stderr);
    fflush(stderr);
}

// The files of an input whose folder can't take them go to the current
// directory, where the fork files go too.
int CurrentFolder(void *, char *folder)
{
    folder[0] = 0;
    return kDone;
}

const Reporter kReporter = {PrintMessage, CurrentFolder, nullptr};

// Exit statuses: every file converted (or shown, or tested) with intact
// forks, messages about an empty fork aside; the run stopped (no memory);
// a usage error; the run went on, but a file could not be read, was
// refused, damaged, cut, an output could not be written, or a folder held
// nothing to convert.
const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const int kExitReported = 3;

const char kUsage[] =
    "usage: quillon-cli [-m MODE] [-s SIGNATURES] FILE...\n"
    "       quillon-cli -i FILE...\n"
    "       quillon-cli -t FILE...\n"
    "\n"
    "Converts BinHex 4.0 files (.hqx) and MacBinary files (.bin), one after\n"
    "the other; a FOLDER stands for its .hqx and MacBinary files and those of\n"
    "its subfolders.\n"
    "  -m MODE        1 data fork (default), 2 resource fork, 3 both forks,\n"
    "                 4 MacBinary file (.bin beside a BinHex input)\n"
    "  -s SIGNATURES  signatures file (.sig) giving the PC extensions\n"
    "  -i             print each file's Macintosh name, type/creator and\n"
    "                 fork lengths instead of converting\n"
    "  -t             test each file: decode it in memory, check its three\n"
    "                 CRCs, write nothing; \"FILE : intact\" or the problem\n"
    "  -h             this help;  --version  the program's version\n"
    "Fork files are created in the current directory; the .bqx and .bix\n"
    "intermediate files and the .bin file beside each input, or in the\n"
    "current directory when the input's folder is read-only.\n"
    "Exit status: 0 all went well, 1 the run stopped (no memory), 2 usage,\n"
    "3 a file could not be read, was refused, damaged or cut, an output\n"
    "could not be written, or a folder held no file to convert.\n";

// What the run does with each file.
const int kActionConvert = 0;
const int kActionInfo = 1;
const int kActionTest = 2;

struct Options {
    int mode;
    const char *signatures;   // -s, or null
    int action;
    int firstFile;
};

// Returns: the worse of two statuses: a stopped run, then a reported
// problem.
int Worse(int a, int b)
{
    return a == kExitFailed || b == kExitFailed ? kExitFailed : a > b ? a : b;
}

int UsageError(const char *problem)
{
    WriteText("quillon-cli: ", stderr);
    PrintMessage(nullptr, problem);
    WriteText(kUsage, stderr);
    return kExitUsage;
}

// Returns: kParsed, or the exit status to end the run with.
const int kParsed = -1;
int ParseOptions(int argc, char **argv, Options *options)
{
    options->mode = kModeData;
    options->action = kActionConvert;
    options->signatures = nullptr;
    options->firstFile = argc;
    int i = 1;
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != 0; i++) {
        const char *arg = argv[i];
        if (strcmp(arg, "--") == 0) {
            i++;
            break;
        }
        if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
            WriteText(kUsage, stdout);
            return kExitOk;
        }
        if (strcmp(arg, "--version") == 0) {
            WriteText("Quillon " QUILLON_VERSION_TEXT "\n", stdout);
            return kExitOk;
        }
        if (strcmp(arg, "-i") == 0) {
            options->action = kActionInfo;
        } else if (strcmp(arg, "-t") == 0) {
            options->action = kActionTest;
        } else if (strcmp(arg, "-m") == 0 || strcmp(arg, "-s") == 0) {
            if (i + 1 >= argc)
                return UsageError("an option needs a value");
            const char *value = argv[++i];
            if (arg[1] == 'm') {
                if (strlen(value) != 1 || value[0] < '1' || value[0] > '4')
                    return UsageError("MODE is 1, 2, 3 or 4");
                options->mode = value[0] - '0';
            } else {
                if (CountCharacters(value) > size_t(kPathCharacters) || strlen(value) >= size_t(kPathCapacity))
                    return UsageError("the signatures file's path is longer than 255 characters");
                options->signatures = value;
            }
        } else {
            return UsageError("unknown option");
        }
    }
    if (i >= argc)
        return UsageError("no file given");
    options->firstFile = i;
    return kParsed;
}

// Adds to list the files that one argument stands for: a folder its files
// to convert, a wildcard (where the program expands them) what it matches,
// anything else itself. A pattern that matches nothing stays as it is, to
// be told like a missing file.
// Returns: kExitOk, or kExitFailed without memory.
int AddArgument(FileList *list, const char *argument, bool expand)
{
    if (expand && kProgramExpandsWildcards && HasWildcard(argument)) {
        FileList matches;
        StartFileList(&matches);
        int found = AddMatchingPaths(&matches, argument);
        int status = found == kNoRoom ? kExitFailed : kExitOk;
        for (const char *m = NextInList(&matches, nullptr); status != kExitFailed && m != nullptr;
             m = NextInList(&matches, m))
            status = Worse(status, AddArgument(list, m, false));
        FreeFileList(&matches);
        if (found != 0)
            return status;
    } else if (IsFolder(argument)) {
        return AddFolderFiles(list, argument, &kReporter) < 0 ? kExitFailed : kExitOk;
    }
    return AddToFileList(list, argument) == kDone ? kExitOk : kExitFailed;
}

// Lists every file the arguments stand for, before any is converted.
// Returns: kExitOk; kExitReported when a folder's walk said something (a
// folder without files to convert, a folder not read, a path too long);
// kExitFailed without memory.
int ListFiles(int count, char **arguments, FileList *list)
{
    int status = kExitOk;
    for (int i = 0; i < count && status != kExitFailed; i++)
        status = Worse(status, AddArgument(list, arguments[i], true));
    if (status == kExitFailed)
        PrintMessage(nullptr, "quillon-cli: out of memory");
    return MessagesPrinted != 0 ? Worse(status, kExitReported) : status;
}

int PrintFileInfo(const FileList *files)
{
    int status = kExitOk;
    static char text[kInfoTextCapacity];
    for (const char *file = NextInList(files, nullptr); file != nullptr; file = NextInList(files, file)) {
        if (FormatFileInfo(file, text) != kDone)
            status = kExitReported;
        WriteText(text, stdout);
        WriteText("\n\n", stdout);
    }
    return status;
}

// Converts or tests each file in turn, one batch.
int ProcessFiles(const FileList *files, const Options *options)
{
    // The run's signature table, read at the first fork extraction.
    static SignatureTable table;
    OpenSignatureTable(&table, options->signatures);
    Batch batch;
    StartBatch(&batch, &table, &kReporter);
    int status = kExitOk;
    for (const char *file = NextInList(files, nullptr); file != nullptr; file = NextInList(files, file)) {
        int result = options->action == kActionTest ? TestFile(file, &kReporter)
                                                    : ConvertFile(file, options->mode, &batch);
        if (result == kConvertStop) {
            status = kExitFailed;
            break;
        }
        if (result == kConvertReported)
            status = kExitReported;
        else if (options->action == kActionTest) {
            WriteText(file, stdout);
            WriteText(" : intact\n", stdout);
        }
    }
    EndBatch(&batch);
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status != kParsed)
        return status;
    FileList files;
    StartFileList(&files);
    status = ListFiles(argc - options.firstFile, argv + options.firstFile, &files);
    if (status != kExitFailed) {
        status = Worse(status, options.action == kActionInfo ? PrintFileInfo(&files) : ProcessFiles(&files, &options));
    }
    FreeFileList(&files);
    return status;
}
