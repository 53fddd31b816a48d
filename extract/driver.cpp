// The conversion driver: one BinHex file through the two intermediate files
// into fork files or a MacBinary file.
#include "extract/convert.h"

#include <cstring>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/platform.h"
#include "extract/signatures.h"

// Also shown by a front end that refuses a path handed to it.
const char kPathTooLong[] = "Le chemin du fichier %s est trop long.";

namespace {

// Messages, in Windows ANSI. %s is a path or a file name.
const char kOpenFailed[] = "Erreur \xE0 l'ouverture des fichiers";
const char kNoData[] = "Le fichier %s ne contient pas de donn\xE9" "es.";
const char kNoResources[] = "Le fichier %s ne contient pas de ressources.";
const char kNotBinHex[] = "Le fichier %s n'est pas un fichier BinHex correct.";
const char kWouldReplace[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier \xE0 convertir.";
const char kWouldReplaceSignatures[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier des signatures.";
const char kCannotCreate[] = "Le fichier %s ne peut pas \xEAtre cr\xE9\xE9.";
const char kCannotOpen[] = "Le fichier %s ne peut pas \xEAtre ouvert.";
const char kIncomplete[] = "Le fichier %s est incomplet : il s'arr\xEAte avant la fin annonc\xE9" "e.";
const char kWriteFailed[] = "Erreur d'\xE9" "criture dans le fichier %s.";

// Derived paths are built in a larger buffer, then refused when they pass
// 255 characters.
const int kWorkPathCapacity = kPathCapacity + 8;
const int kMessageCapacity = 4200;   // any format with the longest path

// Shows format with arg in place of %s. arg is already in the platform's
// text (an input path as given); the format is converted first.
void Report(const Reporter *reporter, const char *format, const char *arg)
{
    char nativeFormat[256];
    ToNativeText(format, nativeFormat, sizeof nativeFormat);
    char text[kMessageCapacity];
    snprintf(text, sizeof text, nativeFormat, arg);
    reporter->show(reporter->context, text);
}

// The same with arg in Windows ANSI (a file name the program made).
void ReportName(const Reporter *reporter, const char *format, const char *ansiName)
{
    char native[kWorkPathCapacity * 3];
    ToNativeText(ansiName, native, sizeof native);
    Report(reporter, format, native);
}

// Returns: true when path's last component ends in "." and extension, in
// any letter case.
bool HasExtension(const char *path, const char *extension)
{
    size_t length = strlen(path);
    size_t e = strlen(extension);
    if (length < e + 1 || path[length - e - 1] != '.')
        return false;
    for (size_t i = 0; i < e; i++)
        if (LowerAscii(path[length - e + i]) != extension[i])
            return false;
    return true;
}

// destination = source with its extension set. Returns: false (after a
// message) when the result is longer than 255 characters.
bool DerivePath(const Reporter *reporter, char *destination, const char *source,
                const char *extension, const char *input)
{
    if (strlen(source) >= size_t(kWorkPathCapacity) - 5) {
        Report(reporter, kPathTooLong, input);
        return false;
    }
    strcpy(destination, source);
    SetExtension(destination, extension);
    if (strlen(destination) > size_t(kPathCapacity - 1)) {
        Report(reporter, kPathTooLong, input);
        return false;
    }
    return true;
}

// Returns: true when path names the signatures file, which the program
// only reads: an output named like it must not replace it.
bool IsSignaturesFile(const char *path)
{
    return SignaturesFilePath[0] != 0 && SameFile(path, SignaturesFilePath);
}

// Flushes and closes a stream that was written. Returns: true when every
// byte reached the file; false after a message naming it.
bool CloseWritten(const Reporter *reporter, FILE *stream, bool writeOk, const char *nativePath)
{
    bool ok = writeOk;
    if (fflush(stream) != 0)
        ok = false;
    if (fclose(stream) != 0)
        ok = false;
    if (!ok)
        Report(reporter, kWriteFailed, nativePath);
    return ok;
}

struct Conversion {
    const char *input;                 // as given by the caller
    const Reporter *reporter;
    char bqx[kWorkPathCapacity];
    char bix[kWorkPathCapacity];
    FILE *expanded;                    // the .bix file, open for reading
    BinHexHeader header;               // read from it
    int haveHeader;                    // whether it holds one
};

// Reports a copy that did not complete. Returns: true when it did.
bool CheckCopy(const Conversion *c, int copyResult, bool closeOk, const char *nativeOutput)
{
    if (!closeOk)
        return false;                  // CloseWritten has said so
    if (copyResult == kCopyWriteFailed) {
        Report(c->reporter, kWriteFailed, nativeOutput);
        return false;
    }
    if (copyResult == kCopyShortSource) {
        Report(c->reporter, kIncomplete, c->input);
        return false;
    }
    return copyResult == kCopyDone;
}

// Creates the fork file `name` (Windows ANSI, bare) in the current
// directory and copies length bytes from offset of the expanded stream.
// Returns: true when the fork file is complete; false after a message.
bool ExtractFork(Conversion *c, const char *name, uint64_t offset, uint32_t length)
{
    char safe[kPathCapacity + 2];
    char native[kPathCapacity * 3];
    if (MakeSafeFileName(name, safe, sizeof safe) < 0 ||
        ToNativeText(safe, native, sizeof native) < 0) {
        ReportName(c->reporter, kPathTooLong, name);
        return false;
    }
    if (SameFile(native, c->input) || SameFile(native, c->bqx) || SameFile(native, c->bix)) {
        Report(c->reporter, kWouldReplace, native);
        return false;
    }
    if (IsSignaturesFile(native)) {
        Report(c->reporter, kWouldReplaceSignatures, native);
        return false;
    }
    FILE *output = fopen(native, "w+b");
    if (output == nullptr) {
        Report(c->reporter, kCannotCreate, native);
        return false;
    }
    int result = SeekTo(c->expanded, offset) == 0 ? CopyBytes(c->expanded, output, length)
                                                   : kCopyShortSource;
    bool closed = CloseWritten(c->reporter, output, result != kCopyWriteFailed, native);
    return CheckCopy(c, result, closed, native);
}

// Modes 1 to 3.
void ExtractForks(Conversion *c, int mode)
{
    char name[kPathCapacity];
    const BinHexHeader *header = c->haveHeader ? &c->header : nullptr;
    if (mode == kModeData || mode == kModeBoth) {
        if (ReadForkHeader(header, name, mode == kModeData ? kForkData : kForkPairData) < 0) {
            Report(c->reporter, kNoData, c->input);
            return;              // mode 3 does not go on to the resource fork
        }
        if (!ExtractFork(c, name, DataForkOffset(header), header->dataLength) || mode == kModeData)
            return;
    }
    if (ReadForkHeader(header, name, mode == kModeResource ? kForkResource : kForkPairResource) < 0) {
        Report(c->reporter, kNoResources, c->input);
        return;
    }
    ExtractFork(c, name, ResourceForkOffset(header), header->resourceLength);
}

// Mode 4: the .bin file beside the input.
void WriteMacBinaryFile(Conversion *c)
{
    char bin[kWorkPathCapacity];
    if (!DerivePath(c->reporter, bin, c->bix, "BIN", c->input))
        return;
    if (!c->haveHeader) {
        Report(c->reporter, kNotBinHex, c->input);
        return;
    }
    if (SameFile(bin, c->input)) {
        Report(c->reporter, kWouldReplace, bin);
        return;
    }
    if (IsSignaturesFile(bin)) {
        Report(c->reporter, kWouldReplaceSignatures, bin);
        return;
    }
    FILE *output = fopen(bin, "w+b");
    if (output == nullptr) {
        Report(c->reporter, kCannotCreate, bin);
        return;
    }
    int result = WriteMacBinary(&c->header, c->expanded, output);
    bool closed = CloseWritten(c->reporter, output, result != kCopyWriteFailed, bin);
    CheckCopy(c, result, closed, bin);
}

// Runs one stage from the file `from` (reopened for reading) into the new
// file `to`. Returns: true when `to` was written whole; false after a
// message.
bool RunStage(const Reporter *reporter, const char *from, const char *to,
              int (*stage)(FILE *, FILE *))
{
    FILE *input = OpenForReading(from);
    if (input == nullptr) {
        Report(reporter, kCannotOpen, from);
        return false;
    }
    FILE *output = fopen(to, "w+b");
    if (output == nullptr) {
        fclose(input);
        Report(reporter, kCannotCreate, to);
        return false;
    }
    int result = stage(input, output);
    fclose(input);
    return CloseWritten(reporter, output, result >= 0, to);
}

}  // namespace

int ConvertFile(const char *path, int mode, const Reporter *reporter)
{
    Conversion c;
    c.input = path;
    c.reporter = reporter;
    c.expanded = nullptr;
    if (strlen(path) > size_t(kPathCapacity - 1)) {
        Report(reporter, kPathTooLong, path);
        return kConvertDone;
    }
    if (!DerivePath(reporter, c.bqx, path, "BQX", path) || !DerivePath(reporter, c.bix, c.bqx, "BIX", path))
        return kConvertDone;
    // An input named like one of its own derived files would be emptied
    // when that file is created: refuse it before anything is written.
    const char *clash = nullptr;
    if (HasExtension(path, "bqx") || SameFile(c.bqx, path))
        clash = c.bqx;
    else if (HasExtension(path, "bix") || SameFile(c.bix, path))
        clash = c.bix;
    else if (mode == kModeMacBinary && HasExtension(path, "bin"))
        clash = path;
    if (clash != nullptr) {
        Report(reporter, kWouldReplace, clash);
        return kConvertDone;
    }
    if (IsSignaturesFile(c.bqx) || IsSignaturesFile(c.bix)) {
        Report(reporter, kWouldReplaceSignatures, IsSignaturesFile(c.bqx) ? c.bqx : c.bix);
        return kConvertDone;
    }

    // Fatal: the rest of the selection is not converted either. An input
    // that cannot be read leaves nothing behind.
    FILE *input = OpenForReading(path);
    FILE *bqx = input != nullptr ? fopen(c.bqx, "w+b") : nullptr;
    if (bqx == nullptr) {
        if (input != nullptr)
            fclose(input);
        Report(reporter, kOpenFailed, "");
        return kConvertFatal;
    }
    int decoded = DecodeTextStage(input, bqx);
    fclose(input);
    if (!CloseWritten(reporter, bqx, decoded >= 0, c.bqx))
        return kConvertDone;
    if (!RunStage(reporter, c.bqx, c.bix, ExpandRunLength))
        return kConvertDone;

    c.expanded = OpenForReading(c.bix);
    if (c.expanded == nullptr) {
        Report(reporter, kCannotOpen, c.bix);
        return kConvertDone;
    }
    c.haveHeader = ReadBinHexHeader(c.expanded, &c.header) == 0;
    if (mode >= kModeData && mode <= kModeBoth)
        ExtractForks(&c, mode);
    else if (mode == kModeMacBinary)
        WriteMacBinaryFile(&c);
    fclose(c.expanded);
    return kConvertDone;
}
