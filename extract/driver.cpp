// The conversion driver: one BinHex file through the two intermediate files
// into fork files or a MacBinary file; and the test of a file in memory.
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
const char kMessageOpenFailed[] = "Erreur \xE0 l'ouverture des fichiers";
const char kMessageNoData[] = "Le fichier %s ne contient pas de donn\xE9" "es.";
const char kMessageNoResources[] = "Le fichier %s ne contient pas de ressources.";
const char kMessageNotBinHex[] = "Le fichier %s n'est pas un fichier BinHex correct.";
const char kMessageWouldReplace[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier \xE0 convertir.";
const char kMessageWouldReplaceSignatures[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier des signatures.";
const char kMessageCannotCreate[] = "Le fichier %s ne peut pas \xEAtre cr\xE9\xE9.";
const char kMessageCannotOpen[] = "Le fichier %s ne peut pas \xEAtre ouvert.";
const char kMessageIncomplete[] =
    "Le fichier %s est incomplet : il s'arr\xEAte avant la fin annonc\xE9" "e.";
const char kMessageWriteFailed[] = "Erreur d'\xE9" "criture dans le fichier %s.";
const char kMessageDataDamaged[] =
    "Les donn\xE9" "es du fichier %s sont endommag\xE9" "es : leur CRC ne correspond pas.";
const char kMessageResourcesDamaged[] =
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

// One conversion: what it was given, the paths it derived, the streams it
// has open (closed by EndConversion, whatever happened), what it read, and
// its result so far.
struct Conversion {
    const char *input;                 // as given by the caller
    int mode;
    SignatureTable *table;             // the run's, or null
    const Reporter *reporter;
    int result;                        // kConvertDone until a problem is reported
    char bqx[kWorkPathCapacity];
    char bix[kWorkPathCapacity];
    FILE *source;                      // the input, while the text stage reads it
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
    Report(c->reporter, kMessageOpenFailed, "");
    c->result = kConvertFatal;
}

// Returns: true when path names the run's signatures file, which the
// program only reads: an output named like it must not replace it.
bool IsSignaturesFile(const Conversion *c, const char *path)
{
    return c->table != nullptr && c->table->path[0] != 0 && SameFile(path, c->table->path);
}

// destination = source with its extension set. Returns: false (after a
// message) when the result is longer than kPathCharacters characters.
bool DerivePath(Conversion *c, char *destination, const char *source, const char *extension)
{
    bool fits = strlen(source) < size_t(kWorkPathCapacity) - 5;
    if (fits) {
        strcpy(destination, source);
        SetExtension(destination, extension);
        fits = CountCharacters(destination) <= size_t(kPathCharacters);
    }
    if (!fits)
        Problem(c, kPathTooLong, c->input);
    return fits;
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
        Problem(c, kMessageWriteFailed, nativePath);
    return ok;
}

// Reports what a copy and the CRC checks of its forks found, once its
// output is closed: a damaged fork, a stream cut short, in that order. (A
// failed write leaves the output not closed: CloseWritten has said so.)
// Returns: true when the output is complete (its forks may be damaged).
bool ReportCopy(Conversion *c, int copyResult, bool closed, const ForkChecks *checks)
{
    if (!closed)
        return false;
    if (checks->data == kDamaged)
        Problem(c, kMessageDataDamaged, c->input);
    if (checks->resource == kDamaged)
        Problem(c, kMessageResourcesDamaged, c->input);
    if (copyResult == kCut)
        Problem(c, kMessageIncomplete, c->input);
    return copyResult == kDone;
}

// Refuses an output path that would replace the input, one of its
// intermediate files (unless it is the .bin), or the signatures file.
// Returns: true when path may be created.
bool MayCreate(Conversion *c, const char *path, bool intermediatesToo)
{
    if (SameFile(path, c->input) ||
        (intermediatesToo && (SameFile(path, c->bqx) || SameFile(path, c->bix)))) {
        Problem(c, kMessageWouldReplace, path);
        return false;
    }
    if (IsSignaturesFile(c, path)) {
        Problem(c, kMessageWouldReplaceSignatures, path);
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
    char safe[kPathCapacity + 2];
    if (MakeSafeFileName(name, safe, sizeof safe) != kDone) {
        Problem(c, kPathTooLong, name);
        return false;
    }
    if (!MayCreate(c, safe, true))
        return false;
    FILE *output = fopen(safe, "w+b");
    if (output == nullptr) {
        Problem(c, kMessageCannotCreate, safe);
        return false;
    }
    ForkChecks checks = {kPending, kPending};
    int *check = dataFork ? &checks.data : &checks.resource;
    uint16_t crc = 0;
    int result = SeekTo(c->expanded, dataFork ? DataForkOffset(header) : ResourceForkOffset(header));
    if (result == kDone)
        result = CopyBytes(c->expanded, output, dataFork ? header->dataLength : header->resourceLength, &crc);
    if (result == kDone) {
        *check = CheckForkCrc(c->expanded, crc);
        if (*check == kCut)
            result = kCut;
    }
    bool closed = CloseWritten(c, output, result != kWriteFailed, safe);
    return ReportCopy(c, result, closed, &checks);
}

// Modes 1 to 3. In mode 3 an empty fork, or a damaged one, does not keep
// the other from being extracted; a fork that could not be written whole
// does.
void ExtractForks(Conversion *c)
{
    char name[kPathCapacity];
    bool goOn = true;
    if (c->mode == kModeData || c->mode == kModeBoth) {
        // An empty fork is a note, not a problem.
        if (ReadForkHeader(c->table, &c->header, name, c->mode == kModeData ? kForkData : kForkPairData) != kDone)
            Report(c->reporter, kMessageNoData, c->input);
        else
            goOn = ExtractFork(c, name, true);
    }
    if (!goOn || c->mode == kModeData)
        return;
    if (ReadForkHeader(c->table, &c->header, name, c->mode == kModeResource ? kForkResource : kForkPairResource) != kDone)
        Report(c->reporter, kMessageNoResources, c->input);
    else
        ExtractFork(c, name, false);
}

// Mode 4: the .bin file beside the input.
void WriteMacBinaryFile(Conversion *c)
{
    char bin[kWorkPathCapacity];
    if (!DerivePath(c, bin, c->bix, "BIN") || !MayCreate(c, bin, false))
        return;
    FILE *output = fopen(bin, "w+b");
    if (output == nullptr) {
        Problem(c, kMessageCannotCreate, bin);
        return;
    }
    ForkChecks checks = {kPending, kPending};
    int result = SeekTo(c->expanded, DataForkOffset(&c->header));
    if (result == kDone)
        result = WriteMacBinary(&c->header, c->expanded, output, &checks);
    bool closed = CloseWritten(c, output, result != kWriteFailed, bin);
    ReportCopy(c, result, closed, &checks);
}

// Runs one stage from the file `from` (reopened for reading) into the new
// file `to`.
// Returns: true when `to` was written whole; false after a message.
bool RunStage(Conversion *c, const char *from, const char *to, int (*stage)(FILE *, FILE *))
{
    FILE *input = OpenForReading(from);
    if (input == nullptr) {
        Problem(c, kMessageCannotOpen, from);
        return false;
    }
    FILE *output = fopen(to, "w+b");
    bool written = false;
    if (output == nullptr)
        Problem(c, kMessageCannotCreate, to);
    else
        written = CloseWritten(c, output, stage(input, output) == kDone, to);
    fclose(input);
    return written;
}

// The checks before anything is created: the paths derived and not too
// long, no output over the input or the signatures file, the input read
// and its header checked against its CRC. Leaves the input open in
// c->source, at its start.
// Returns: true when the conversion may go on; false after a message.
bool CheckInput(Conversion *c)
{
    const char *path = c->input;
    if (CountCharacters(path) > size_t(kPathCharacters) || strlen(path) >= size_t(kPathCapacity)) {
        Problem(c, kPathTooLong, path);
        return false;
    }
    if (!DerivePath(c, c->bqx, path, "BQX") || !DerivePath(c, c->bix, c->bqx, "BIX"))
        return false;
    // An input named like one of its own derived files would be emptied
    // when that file is created: refuse it before anything is written.
    const char *clash = nullptr;
    if (HasExtension(path, "bqx") || SameFile(c->bqx, path))
        clash = c->bqx;
    else if (HasExtension(path, "bix") || SameFile(c->bix, path))
        clash = c->bix;
    else if (c->mode == kModeMacBinary && HasExtension(path, "bin"))
        clash = path;
    if (clash != nullptr) {
        Problem(c, kMessageWouldReplace, clash);
        return false;
    }
    if (IsSignaturesFile(c, c->bqx) || IsSignaturesFile(c, c->bix)) {
        Problem(c, kMessageWouldReplaceSignatures, IsSignaturesFile(c, c->bqx) ? c->bqx : c->bix);
        return false;
    }
    // Fatal: the rest of the selection is not converted either.
    c->source = OpenForReading(path);
    if (c->source == nullptr) {
        Fatal(c);
        return false;
    }
    if (ReadCheckedHeader(c->source, &c->header) != kDone) {
        Problem(c, kMessageNotBinHex, path);
        return false;
    }
    if (fseek(c->source, 0, SEEK_SET) != 0) {
        Fatal(c);
        return false;
    }
    return true;
}

// The text stage from the input into the .bqx file, which must be created
// (fatal when it can't be), then the run-length stage into the .bix file,
// reopened.
// Returns: true when the expanded stream is open in c->expanded.
bool Expand(Conversion *c)
{
    FILE *bqx = fopen(c->bqx, "w+b");
    if (bqx == nullptr) {
        Fatal(c);
        return false;
    }
    int decoded = DecodeTextStage(c->source, bqx);
    fclose(c->source);
    c->source = nullptr;
    if (!CloseWritten(c, bqx, decoded == kDone, c->bqx) || !RunStage(c, c->bqx, c->bix, ExpandRunLength))
        return false;
    c->expanded = OpenForReading(c->bix);
    if (c->expanded == nullptr)
        Problem(c, kMessageCannotOpen, c->bix);
    return c->expanded != nullptr;
}

}  // namespace

int ConvertFile(const char *path, int mode, SignatureTable *table, const Reporter *reporter)
{
    Conversion c;
    c.input = path;
    c.mode = mode;
    c.table = table;
    c.reporter = reporter;
    c.result = kConvertDone;
    c.source = nullptr;
    c.expanded = nullptr;
    if (CheckInput(&c) && Expand(&c)) {
        if (mode >= kModeData && mode <= kModeBoth)
            ExtractForks(&c);
        else if (mode == kModeMacBinary)
            WriteMacBinaryFile(&c);
    }
    if (c.source != nullptr)
        fclose(c.source);
    if (c.expanded != nullptr)
        fclose(c.expanded);
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
    int read = input != nullptr ? CheckBinHexFile(input, &check) : kNotFound;
    if (input != nullptr)
        fclose(input);
    if (read != kDone) {
        Fatal(&c);
    } else if (check.headerPart != kDone) {
        Problem(&c, kMessageNotBinHex, path);
    } else {
        const ForkChecks checks = {check.dataPart, check.resourcePart};
        bool cut = check.dataPart == kCut || check.resourcePart == kCut;
        ReportCopy(&c, cut ? kCut : kDone, true, &checks);
    }
    return c.result;
}
