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

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const char kUsage[] =
    "usage: quillon-cli [-m MODE] [-s SIGNATURES] FILE...\n"
    "       quillon-cli -i FILE...\n"
    "\n"
    "Converts BinHex 4.0 files (.hqx), one after the other.\n"
    "  -m MODE        1 data fork (default), 2 resource fork, 3 both forks,\n"
    "                 4 MacBinary file (.bin beside the input)\n"
    "  -s SIGNATURES  signatures file (.sig) giving the PC extensions\n"
    "  -i             print each file's Macintosh name, type/creator and\n"
    "                 fork lengths instead of converting\n"
    "  -h             this help;  --version  the program's version\n"
    "Fork files are created in the current directory; the .bqx and .bix\n"
    "intermediate files and the .bin file beside each input.\n";

struct Options {
    int mode;
    int info;
    int firstFile;
};

int UsageError(const char *problem)
{
    WriteText("quillon-cli: ", stderr);
    PrintMessage(nullptr, problem);
    WriteText(kUsage, stderr);
    return kExitUsage;
}

// Returns: -1 when parsed, else the exit status to end with.
int ParseOptions(int argc, char **argv, Options *options)
{
    options->mode = kModeData;
    options->info = 0;
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
            options->info = 1;
        } else if (strcmp(arg, "-m") == 0 || strcmp(arg, "-s") == 0) {
            if (i + 1 >= argc)
                return UsageError("an option needs a value");
            const char *value = argv[++i];
            if (arg[1] == 'm') {
                if (strlen(value) != 1 || value[0] < '1' || value[0] > '4')
                    return UsageError("MODE is 1, 2, 3 or 4");
                options->mode = value[0] - '0';
            } else {
                if (strlen(value) >= sizeof SignaturesFilePath)
                    return UsageError("the signatures file's path is longer than 255 characters");
                strcpy(SignaturesFilePath, value);
            }
        } else {
            return UsageError("unknown option");
        }
    }
    if (i >= argc)
        return UsageError("no file given");
    options->firstFile = i;
    return -1;
}

int PrintFileInfo(int count, char **files)
{
    int status = kExitOk;
    static char text[kInfoTextCapacity];
    for (int i = 0; i < count; i++) {
        if (FormatFileInfo(files[i], text) != 0)
            status = kExitFailed;
        WriteText(text, stdout);
        WriteText("\n\n", stdout);
    }
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    Options options;
    int status = ParseOptions(argc, argv, &options);
    if (status >= 0)
        return status;
    int count = argc - options.firstFile;
    char **files = argv + options.firstFile;
    if (options.info)
        return PrintFileInfo(count, files);
    // A file that can't be read ends the run: the files after it are left.
    const Reporter reporter = {PrintMessage, nullptr};
    for (int i = 0; i < count; i++)
        if (ConvertFile(files[i], options.mode, &reporter) == kConvertFatal)
            return kExitFailed;
    return kExitOk;
}
