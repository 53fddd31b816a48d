// The conversion driver: one BinHex file through the two intermediate files
// into fork files or a MacBinary file.
#include "extract/convert.h"

#include <cstdlib>
#include <cstring>

#include "decode/binhex.h"

const char AppTitle[] = "Quillon 2.0 - (c) 2025-2026 Marrowby";

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
const char kPathTooLong[] = "Le chemin du fichier %s est trop long.";
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
void Report(const char *format, const char *arg)
{
    char nativeFormat[256];
    ToNativeText(format, nativeFormat, sizeof nativeFormat);
    char text[kMessageCapacity];
    snprintf(text, sizeof text, nativeFormat, arg);
    ShowMessage(MainWindowHandle, text, AppTitle);
}

// The same with arg in Windows ANSI (a file name the program made).
void ReportName(const char *format, const char *ansiName)
{
    char native[kWorkPathCapacity * 3];
    ToNativeText(ansiName, native, sizeof native);
    Report(format, native);
}

// Returns: true when path's last component ends in "." and extension, in
// any letter case.
bool HasExtension(const char *path, const char *extension)
{
    size_t length = strlen(path);
    size_t e = strlen(extension);
    if (length < e + 1 || path[length - e - 1] != '.')
        return false;
    for (size_t i = 0; i < e; i++) {
        char c = path[length - e + i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != extension[i])
            return false;
    }
    return true;
}

// destination = source with its extension set. Returns: false (after a
// message) when the result is longer than 255 characters.
bool DerivePath(char *destination, const char *source, const char *extension, const char *input)
{
    if (strlen(source) >= size_t(kWorkPathCapacity) - 5) {
        Report(kPathTooLong, input);
        return false;
    }
    strcpy(destination, source);
    SetExtension(destination, extension);
    if (strlen(destination) > size_t(kPathCapacity - 1)) {
        Report(kPathTooLong, input);
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
bool CloseWritten(FILE *stream, bool writeOk, const char *nativePath)
{
    bool ok = writeOk;
    if (fflush(stream) != 0)
        ok = false;
    if (fclose(stream) != 0)
        ok = false;
    if (!ok)
        Report(kWriteFailed, nativePath);
    return ok;
}

struct Conversion {
    const char *input;                 // as given by the caller
    char bqx[kWorkPathCapacity];
    char bix[kWorkPathCapacity];
    FILE *expanded;                    // the .bix file, open for reading
};

// Reports a copy that did not complete. Returns: true when it did.
bool CheckCopy(const Conversion *c, int copyResult, bool closeOk, const char *nativeOutput)
{
    if (!closeOk)
        return false;                  // CloseWritten has said so
    if (copyResult == kCopyWriteFailed) {
        Report(kWriteFailed, nativeOutput);
        return false;
    }
    if (copyResult == kCopyShortSource) {
        Report(kIncomplete, c->input);
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
        ReportName(kPathTooLong, name);
        return false;
    }
    if (SameFile(native, c->input) || SameFile(native, c->bqx) || SameFile(native, c->bix)) {
        Report(kWouldReplace, native);
        return false;
    }
    if (IsSignaturesFile(native)) {
        Report(kWouldReplaceSignatures, native);
        return false;
    }
    FILE *output = fopen(native, "w+b");
    if (output == nullptr) {
        Report(kCannotCreate, native);
        return false;
    }
    int result = SeekTo(c->expanded, offset) == 0 ? CopyBytes(c->expanded, output, length)
                                                   : kCopyShortSource;
    bool closed = CloseWritten(output, result != kCopyWriteFailed, native);
    return CheckCopy(c, result, closed, native);
}

// Modes 1 to 3.
void ExtractForks(Conversion *c, int mode)
{
    char name[kPathCapacity];
    unsigned char fixed[kFixedPartSize];
    if (mode == kModeData || mode == kModeBoth) {
        int n = ReadForkHeader(c->expanded, name, fixed, mode == kModeData ? kForkData : kForkPairData);
        if (n < 0) {
            Report(kNoData, c->input);
            return;              // mode 3 does not go on to the resource fork
        }
        uint32_t d = ReadBigEndian32(fixed + kFixedDataLength);
        if (!ExtractFork(c, name, DataForkOffset(unsigned(n)), d) || mode == kModeData)
            return;
    }
    int n = ReadForkHeader(c->expanded, name, fixed, mode == kModeResource ? kForkResource : kForkPairResource);
    if (n < 0) {
        Report(kNoResources, c->input);
        return;
    }
    uint32_t d = ReadBigEndian32(fixed + kFixedDataLength);
    uint32_t r = ReadBigEndian32(fixed + kFixedResourceLength);
    ExtractFork(c, name, ResourceForkOffset(unsigned(n), d), r);
}

// Mode 4: the .bin file beside the input.
void WriteMacBinaryFile(Conversion *c)
{
    char bin[kWorkPathCapacity];
    if (!DerivePath(bin, c->bix, "BIN", c->input))
        return;
    BinHexHeader header;
    int usable = ReadBinHexHeader(c->expanded, &header);
    rewind(c->expanded);
    if (usable < 0) {
        Report(kNotBinHex, c->input);
        return;
    }
    if (SameFile(bin, c->input)) {
        Report(kWouldReplace, bin);
        return;
    }
    if (IsSignaturesFile(bin)) {
        Report(kWouldReplaceSignatures, bin);
        return;
    }
    FILE *output = fopen(bin, "w+b");
    if (output == nullptr) {
        Report(kCannotCreate, bin);
        return;
    }
    int result = WriteMacBinary(c->expanded, output);
    bool closed = CloseWritten(output, result != kCopyWriteFailed, bin);
    CheckCopy(c, result, closed, bin);
}

// Runs one stage from the file `from` (reopened for reading) into the new
// file `to`. Returns: true when `to` was written whole; false after a
// message.
bool RunStage(const char *from, const char *to, int (*stage)(FILE *, FILE *))
{
    FILE *input = OpenForReading(from);
    if (input == nullptr) {
        Report(kCannotOpen, from);
        return false;
    }
    FILE *output = fopen(to, "w+b");
    if (output == nullptr) {
        fclose(input);
        Report(kCannotCreate, to);
        return false;
    }
    int result = stage(input, output);
    fclose(input);
    return CloseWritten(output, result >= 0, to);
}

}  // namespace

FILE *OpenForReading(const char *path)
{
    FILE *stream = fopen(path, "rb");
    if (stream == nullptr)
        return nullptr;
    getc(stream);
    if (ferror(stream)) {
        fclose(stream);
        return nullptr;
    }
    rewind(stream);
    return stream;
}

void ConvertFile(const char *path, int mode)
{
    Conversion c;
    c.input = path;
    c.expanded = nullptr;
    if (strlen(path) > size_t(kPathCapacity - 1)) {
        Report(kPathTooLong, path);
        return;
    }
    if (!DerivePath(c.bqx, path, "BQX", path) || !DerivePath(c.bix, c.bqx, "BIX", path))
        return;
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
        Report(kWouldReplace, clash);
        return;
    }
    if (IsSignaturesFile(c.bqx) || IsSignaturesFile(c.bix)) {
        Report(kWouldReplaceSignatures, IsSignaturesFile(c.bqx) ? c.bqx : c.bix);
        return;
    }

    // Fatal: the rest of the selection is not converted either. An input
    // that cannot be read leaves nothing behind.
    FILE *input = OpenForReading(path);
    FILE *bqx = input != nullptr ? fopen(c.bqx, "w+b") : nullptr;
    if (bqx == nullptr) {
        if (input != nullptr)
            fclose(input);
        Report(kOpenFailed, "");
        exit(1);
    }
    int decoded = DecodeTextStage(input, bqx);
    fclose(input);
    if (!CloseWritten(bqx, decoded >= 0, c.bqx))
        return;
    if (!RunStage(c.bqx, c.bix, ExpandRunLength))
        return;

    c.expanded = OpenForReading(c.bix);
    if (c.expanded == nullptr) {
        Report(kCannotOpen, c.bix);
        return;
    }
    if (mode >= kModeData && mode <= kModeBoth)
        ExtractForks(&c, mode);
    else if (mode == kModeMacBinary)
        WriteMacBinaryFile(&c);
    fclose(c.expanded);
}
