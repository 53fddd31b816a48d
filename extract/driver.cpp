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
const char kDataDamaged[] =
    "Les donn\xE9" "es du fichier %s sont endommag\xE9" "es : leur CRC ne correspond pas.";
const char kResourcesDamaged[] =
    "Les ressources du fichier %s sont endommag\xE9" "es : leur CRC ne correspond pas.";

// Derived paths are built in a larger buffer, then refused when they pass
// kPathCharacters characters.
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

// Returns: true when path names the signatures file, which the program
// only reads: an output named like it must not replace it.
bool IsSignaturesFile(const char *path)
{
    return SignaturesFilePath[0] != 0 && SameFile(path, SignaturesFilePath);
}

struct Conversion {
    const char *input;                 // as given by the caller
    const Reporter *reporter;
    int result;                        // kConvertDone until a problem is reported
    char bqx[kWorkPathCapacity];
    char bix[kWorkPathCapacity];
    FILE *expanded;                    // the .bix file, open for reading
    BinHexHeader header;               // checked against its CRC
};

// Reports a problem: the file's result is no longer kConvertDone.
void Problem(Conversion *c, const char *format, const char *arg)
{
    Report(c->reporter, format, arg);
    c->result = kConvertReported;
}

// The input cannot be read, or its .bqx file not created: the batch ends.
void Fatal(Conversion *c)
{
    Report(c->reporter, kOpenFailed, "");
    c->result = kConvertFatal;
}

// destination = source with its extension set. Returns: false (after a
// message) when the result is longer than kPathCharacters characters.
bool DerivePath(Conversion *c, char *destination, const char *source, const char *extension)
{
    if (strlen(source) >= size_t(kWorkPathCapacity) - 5) {
        Problem(c, kPathTooLong, c->input);
        return false;
    }
    strcpy(destination, source);
    SetExtension(destination, extension);
    if (CountCharacters(destination) > size_t(kPathCharacters)) {
        Problem(c, kPathTooLong, c->input);
        return false;
    }
    return true;
}

// Flushes and closes a stream that was written. Returns: true when every
// byte reached the file; false after a message naming it.
bool CloseWritten(Conversion *c, FILE *stream, bool writeOk, const char *nativePath)
{
    bool ok = writeOk;
    if (fflush(stream) != 0)
        ok = false;
    if (fclose(stream) != 0)
        ok = false;
    if (!ok)
        Problem(c, kWriteFailed, nativePath);
    return ok;
}

// Reports what a copy into the output nativeOutput and the CRC checks of
// its forks found, once the output is closed: a failed write, a damaged
// fork, a stream cut short, in that order.
// Returns: true when the output is complete (its forks may be damaged).
bool ReportCopy(Conversion *c, int copyResult, bool closed, const char *nativeOutput,
                const ForkChecks *checks)
{
    if (!closed)
        return false;                  // CloseWritten has said so
    if (copyResult == kCopyWriteFailed) {
        Problem(c, kWriteFailed, nativeOutput);
        return false;
    }
    if (checks->data == kPartDamaged)
        Problem(c, kDataDamaged, c->input);
    if (checks->resource == kPartDamaged)
        Problem(c, kResourcesDamaged, c->input);
    if (copyResult == kCopyShortSource) {
        Problem(c, kIncomplete, c->input);
        return false;
    }
    return true;
}

// Creates the fork file `name` (native text, bare) in the current
// directory and copies into it the data fork (dataFork) or the resource
// fork of the expanded stream, checked against the CRC that follows it.
// Returns: true when the fork file is complete (the fork may be damaged);
// false after a message.
bool ExtractFork(Conversion *c, const char *name, bool dataFork)
{
    const BinHexHeader *header = &c->header;
    uint64_t offset = dataFork ? DataForkOffset(header) : ResourceForkOffset(header);
    uint32_t length = dataFork ? header->dataLength : header->resourceLength;
    ForkChecks checks = {kPartPending, kPartPending};
    int *check = dataFork ? &checks.data : &checks.resource;
    char native[kPathCapacity + 2];
    if (MakeSafeFileName(name, native, sizeof native) < 0) {
        Problem(c, kPathTooLong, name);
        return false;
    }
    if (SameFile(native, c->input) || SameFile(native, c->bqx) || SameFile(native, c->bix)) {
        Problem(c, kWouldReplace, native);
        return false;
    }
    if (IsSignaturesFile(native)) {
        Problem(c, kWouldReplaceSignatures, native);
        return false;
    }
    FILE *output = fopen(native, "w+b");
    if (output == nullptr) {
        Problem(c, kCannotCreate, native);
        return false;
    }
    uint16_t crc = 0;
    int result = SeekTo(c->expanded, offset) == 0 ? CopyBytes(c->expanded, output, length, &crc)
                                                   : kCopyShortSource;
    if (result == kCopyDone) {
        *check = CheckForkCrc(c->expanded, crc);
        if (*check == kPartCut)
            result = kCopyShortSource;
    }
    bool closed = CloseWritten(c, output, result != kCopyWriteFailed, native);
    return ReportCopy(c, result, closed, native, &checks);
}

// Modes 1 to 3. In mode 3 an empty fork, or a damaged one, does not keep
// the other from being extracted; a fork that could not be written whole
// does.
void ExtractForks(Conversion *c, int mode)
{
    char name[kPathCapacity];
    if (mode == kModeData || mode == kModeBoth) {
        // An empty fork is a note, not a problem.
        if (ReadForkHeader(&c->header, name, mode == kModeData ? kForkData : kForkPairData) < 0)
            Report(c->reporter, kNoData, c->input);
        else if (!ExtractFork(c, name, true))
            return;
        if (mode == kModeData)
            return;
    }
    if (ReadForkHeader(&c->header, name, mode == kModeResource ? kForkResource : kForkPairResource) < 0)
        Report(c->reporter, kNoResources, c->input);
    else
        ExtractFork(c, name, false);
}

// Mode 4: the .bin file beside the input.
void WriteMacBinaryFile(Conversion *c)
{
    char bin[kWorkPathCapacity];
    if (!DerivePath(c, bin, c->bix, "BIN"))
        return;
    if (SameFile(bin, c->input)) {
        Problem(c, kWouldReplace, bin);
        return;
    }
    if (IsSignaturesFile(bin)) {
        Problem(c, kWouldReplaceSignatures, bin);
        return;
    }
    FILE *output = fopen(bin, "w+b");
    if (output == nullptr) {
        Problem(c, kCannotCreate, bin);
        return;
    }
    ForkChecks checks = {kPartPending, kPartPending};
    int result = SeekTo(c->expanded, DataForkOffset(&c->header)) == 0
                     ? WriteMacBinary(&c->header, c->expanded, output, &checks)
                     : kCopyShortSource;
    bool closed = CloseWritten(c, output, result != kCopyWriteFailed, bin);
    ReportCopy(c, result, closed, bin, &checks);
}

// Runs one stage from the file `from` (reopened for reading) into the new
// file `to`. Returns: true when `to` was written whole; false after a
// message.
bool RunStage(Conversion *c, const char *from, const char *to, int (*stage)(FILE *, FILE *))
{
    FILE *input = OpenForReading(from);
    if (input == nullptr) {
        Problem(c, kCannotOpen, from);
        return false;
    }
    FILE *output = fopen(to, "w+b");
    if (output == nullptr) {
        fclose(input);
        Problem(c, kCannotCreate, to);
        return false;
    }
    int result = stage(input, output);
    fclose(input);
    return CloseWritten(c, output, result >= 0, to);
}

// Everything but the conversion itself: the paths derived and checked, the
// input read and its header checked, the .bqx file created. Nothing is
// created before the header has passed.
// Returns: the .bqx file, open (*input too, at its start); or null with
// c->result set (*input closed).
FILE *StartConversion(Conversion *c, int mode, FILE **input)
{
    *input = nullptr;
    const char *path = c->input;
    if (CountCharacters(path) > size_t(kPathCharacters) || strlen(path) >= size_t(kPathCapacity)) {
        Problem(c, kPathTooLong, path);
        return nullptr;
    }
    if (!DerivePath(c, c->bqx, path, "BQX") || !DerivePath(c, c->bix, c->bqx, "BIX"))
        return nullptr;
    // An input named like one of its own derived files would be emptied
    // when that file is created: refuse it before anything is written.
    const char *clash = nullptr;
    if (HasExtension(path, "bqx") || SameFile(c->bqx, path))
        clash = c->bqx;
    else if (HasExtension(path, "bix") || SameFile(c->bix, path))
        clash = c->bix;
    else if (mode == kModeMacBinary && HasExtension(path, "bin"))
        clash = path;
    if (clash != nullptr) {
        Problem(c, kWouldReplace, clash);
        return nullptr;
    }
    if (IsSignaturesFile(c->bqx) || IsSignaturesFile(c->bix)) {
        Problem(c, kWouldReplaceSignatures, IsSignaturesFile(c->bqx) ? c->bqx : c->bix);
        return nullptr;
    }

    // Fatal: the rest of the selection is not converted either.
    *input = OpenForReading(path);
    if (*input == nullptr) {
        Fatal(c);
        return nullptr;
    }
    FILE *bqx = nullptr;
    if (ReadCheckedHeader(*input, &c->header) < 0)
        Problem(c, kNotBinHex, path);
    else if (fseek(*input, 0, SEEK_SET) != 0 || (bqx = fopen(c->bqx, "w+b")) == nullptr)
        Fatal(c);
    if (bqx == nullptr) {
        fclose(*input);
        *input = nullptr;
    }
    return bqx;
}

}  // namespace

int ConvertFile(const char *path, int mode, const Reporter *reporter)
{
    Conversion c;
    c.input = path;
    c.reporter = reporter;
    c.result = kConvertDone;
    c.expanded = nullptr;
    FILE *input;
    FILE *bqx = StartConversion(&c, mode, &input);
    if (bqx == nullptr)
        return c.result;
    int decoded = DecodeTextStage(input, bqx);
    fclose(input);
    if (CloseWritten(&c, bqx, decoded >= 0, c.bqx) && RunStage(&c, c.bqx, c.bix, ExpandRunLength)) {
        c.expanded = OpenForReading(c.bix);
        if (c.expanded == nullptr) {
            Problem(&c, kCannotOpen, c.bix);
        } else {
            if (mode >= kModeData && mode <= kModeBoth)
                ExtractForks(&c, mode);
            else if (mode == kModeMacBinary)
                WriteMacBinaryFile(&c);
            fclose(c.expanded);
        }
    }
    return c.result;
}

int TestFile(const char *path, const Reporter *reporter)
{
    Conversion c;
    c.input = path;
    c.reporter = reporter;
    c.result = kConvertDone;
    FILE *input = OpenForReading(path);
    StreamCheck check;
    int read = input != nullptr ? CheckBinHexFile(input, &check) : -1;
    if (input != nullptr)
        fclose(input);
    if (read < 0) {
        Fatal(&c);
        return c.result;
    }
    if (check.headerPart != kPartIntact) {
        Problem(&c, kNotBinHex, path);
        return c.result;
    }
    const ForkChecks checks = {check.dataPart, check.resourcePart};
    bool cut = check.dataPart == kPartCut || check.resourcePart == kPartCut;
    ReportCopy(&c, cut ? kCopyShortSource : kCopyDone, true, path, &checks);
    return c.result;
}
