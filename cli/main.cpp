// quillon-cli: the console front end. Runs the same conversion driver and
// information text as the Windows program; its message dialogs become lines
// on standard error. Every text goes out through WriteText: UTF-8, or on a
// Windows console its wide-character interface.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "extract/convert.h"
#include "extract/file_info.h"
#include "extract/platform.h"
#include "extract/signatures.h"
#include "quillon_version.h"

namespace {

// The driver's messages, one a line on standard error.
void PrintMessage(void *, const char *text)
{
    WriteText(text, stderr);
    WriteText("\n", stderr);
    fflush(stderr);
}

// Exit statuses: every file converted (or shown, or tested) with intact
// forks, messages about an empty fork aside; a file that could not be read
// ended the run; a usage error; the run went on, but a file was refused,
// damaged, cut, or an output could not be written.
const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;
const int kExitReported = 3;

const char kUsage[] =
    "usage: quillon-cli [-m MODE] [-s SIGNATURES] FILE...\n"
    "       quillon-cli -i FILE...\n"
    "       quillon-cli -t FILE...\n"
    "\n"
    "Converts BinHex 4.0 files (.hqx), one after the other.\n"
    "  -m MODE        1 data fork (default), 2 resource fork, 3 both forks,\n"
    "                 4 MacBinary file (.bin beside the input)\n"
    "  -s SIGNATURES  signatures file (.sig) giving the PC extensions\n"
    "  -i             print each file's Macintosh name, type/creator and\n"
    "                 fork lengths instead of converting\n"
    "  -t             test each file: decode it in memory, check its three\n"
    "                 CRCs, write nothing; \"FILE : intact\" or the problem\n"
    "  -h             this help;  --version  the program's version\n"
    "Fork files are created in the current directory; the .bqx and .bix\n"
    "intermediate files and the .bin file beside each input.\n"
    "Exit status: 0 all went well, 1 a file could not be read (the run\n"
    "stopped there), 2 usage, 3 a file was refused, damaged or cut, or an\n"
    "output could not be written.\n";

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

int PrintFileInfo(int count, char **files)
{
    int status = kExitOk;
    static char text[kInfoTextCapacity];
    for (int i = 0; i < count; i++) {
        if (FormatFileInfo(files[i], text) != kDone)
            status = kExitReported;
        WriteText(text, stdout);
        WriteText("\n\n", stdout);
    }
    return status;
}

// Converts or tests each file in turn. A file that can't be read ends the
// run: the files after it are left.
int ProcessFiles(int count, char **files, const Options *options)
{
    // The run's signature table, read at the first fork extraction.
    static SignatureTable table;
    OpenSignatureTable(&table, options->signatures);
    const Reporter reporter = {PrintMessage, nullptr};
    int status = kExitOk;
    for (int i = 0; i < count; i++) {
        int result = options->action == kActionTest ? TestFile(files[i], &reporter)
                                                    : ConvertFile(files[i], options->mode, &table, &reporter);
        if (result == kConvertFatal)
            return kExitFailed;
        if (result == kConvertReported)
            status = kExitReported;
        else if (options->action == kActionTest) {
            WriteText(files[i], stdout);
            WriteText(" : intact\n", stdout);
        }
    }
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status != kParsed)
        return status;
    int count = argc - options.firstFile;
    char **files = argv + options.firstFile;
    if (options.action == kActionInfo)
        return PrintFileInfo(count, files);
    return ProcessFiles(count, files, &options);
}
