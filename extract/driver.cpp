// The conversion driver: one BinHex file through the two intermediate files
// into fork files or a MacBinary file, or one MacBinary file into fork
// files; and the test of a file in memory.
#include "extract/convert.h"

#include <cstring>
#include <ctime>

#include "decode/macbinary.h"
#include "extract/naming.h"
#include "extract/platform.h"
#include "extract/signatures.h"

// Also shown by a front end that refuses a path handed to it.
const char kPathTooLong[] = "Le chemin du fichier %s est trop long.";

namespace {

// Messages, in Windows ANSI. %s is a path or a file name.
const char kMessageNoMemory[] = "M\xE9moire insuffisante : la conversion s'arr\xEAte.";
const char kMessageNoData[] = "Le fichier %s ne contient pas de donn\xE9" "es.";
const char kMessageNoResources[] = "Le fichier %s ne contient pas de ressources.";
const char kMessageNotBinHex[] = "Le fichier %s n'est pas un fichier BinHex correct.";
const char kMessageAlreadyMacBinary[] = "Le fichier %s est d\xE9j\xE0 un fichier MacBinary.";
const char kMessageWouldReplace[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier \xE0 convertir.";
const char kMessageWouldReplaceSignatures[] =
    "Le fichier %s n'est pas cr\xE9\xE9 : il remplacerait le fichier des signatures.";
const char kMessageCannotCreate[] = "Le fichier %s ne peut pas \xEAtre cr\xE9\xE9.";
const char kMessageCannotOpen[] = "Le fichier %s ne peut pas \xEAtre ouvert.";
const char kMessageLeft[] = "Le fichier %s n'est pas converti : son dossier est en lecture seule.";
const char kMessageIncomplete[] =
    "Le fichier %s est incomplet : il s'arr\xEAte avant la fin annonc\xE9" "e.";
const char kMessageWriteFailed[] = "Erreur d'\xE9" "criture dans le fichier %s.";
const char kMessageDataDamaged[] =
    "Les donn\xE9" "es du fichier %s sont endommag\xE9" "es : leur CRC ne correspond pas.";
const char kMessageResourcesDamaged[] =
    "Les ressources du fichier %s sont endommag\xE9" "es : leur CRC ne correspond pas.";

// Output paths are built in a larger buffer (a folder and a name of up to
// kPathCapacity bytes each), then refused when they pass kPathCharacters
// characters.
const int kWorkPathCapacity = 2 * kPathCapacity + 8;
const int kMessageCapacity = 4200;   // any format with the longest path

// The files a conversion creates.
enum Output { kOutputBqx, kOutputBix, kOutputBin, kOutputFork };

// One conversion: what it was given, where its files go, the streams it
// has open (closed at its end, whatever happened), what it read, and its
// result so far.
struct Conversion {
    const char *input;                 // as given by the caller
    int mode;
    Batch *batch;
    const Reporter *reporter;
    int result;                        // kConvertDone until a problem is reported
    InputHeader header;                // checked, BinHex against its CRC
    char beside[kPathCapacity];        // the folder of the .bqx, .bix and .bin files: the
                                       // input's as given, "" for the current one
    char forks[kPathCapacity];         // the folder of the fork files: "", the current one
    int created;                       // files created so far
    bool fellBack;                     // the reporter was asked for another folder
    char bqx[kWorkPathCapacity];
    char bix[kWorkPathCapacity];
    FILE *source;                      // the input, open for reading
    FILE *expanded;                    // the forks' stream: the .bix file, or a MacBinary input
};

// Reports a problem: the file's result is no longer kConvertDone.
void Problem(Conversion *c, const char *format, const char *arg)
{
    ReportMessage(c->reporter, format, arg);
    if (c->result == kConvertDone)
        c->result = kConvertReported;
}

// Returns: true when path names the run's signatures file, which the
// program only reads: an output named like it must not replace it.
bool IsSignaturesFile(const Conversion *c, const char *path)
{
    const SignatureTable *table = c->batch->table;
    return table != nullptr && table->path[0] != 0 && SameFile(path, table->path);
}

bool FitsPath(const char *path)
{
    return strlen(path) < size_t(kPathCapacity) && CountCharacters(path) <= size_t(kPathCharacters);
}

// Builds in out (kWorkPathCapacity bytes) the path of an output: folder,
// then the name of a fork file, or the input's last component with the
// output's extension (BQX, BIX, BIN, in lower case).
// Returns: true, or false (after a message) when it passes 255 characters.
bool BuildOutputPath(Conversion *c, Output what, const char *folder, const char *forkName, char *out)
{
    static const char *const kExtensions[] = {"BQX", "BIX", "BIN"};
    const char *name = forkName;
    if (what != kOutputFork) {
        name = c->input + strlen(c->input);
        while (name != c->input && !IsSeparator(name[-1]))
            name--;
    }
    size_t length = strlen(folder);
    bool fits = length + strlen(name) + 5 < size_t(kWorkPathCapacity);
    if (fits) {
        memcpy(out, folder, length);
        strcpy(out + length, name);
        if (what != kOutputFork)
            SetExtension(out, kExtensions[what]);
        fits = FitsPath(out);
    }
    if (!fits)
        Problem(c, kPathTooLong, what == kOutputFork ? name : c->input);
    return fits;
}

// Refuses an output path that would replace the input or the signatures
// file. (Its intermediate files, written by this batch, are kept from being
// replaced by ChooseFreeName.)
// Returns: true when path may be created.
bool MayCreate(Conversion *c, const char *path)
{
    if (SameFile(path, c->input)) {
        Problem(c, kMessageWouldReplace, path);
        return false;
    }
    if (IsSignaturesFile(c, path)) {
        Problem(c, kMessageWouldReplaceSignatures, path);
        return false;
    }
    return true;
}

// The input's folder can't take its first file: asks the reporter where
// all of its files go instead.
// Returns: true when they go there; false after a message.
bool FallBack(Conversion *c)
{
    c->fellBack = true;
    char folder[kPathCapacity];
    if (c->reporter->chooseFolder == nullptr || c->reporter->chooseFolder(c->reporter->context, folder) != kDone) {
        Problem(c, kMessageLeft, c->input);
        return false;
    }
    strcpy(c->beside, folder);
    strcpy(c->forks, folder);
    return true;
}

// Creates an output ("w+b") under the path BuildOutputPath gives, or the
// next free name when this batch has written a file of that name, and
// notes it as written; path (kWorkPathCapacity bytes) receives its path.
// Returns: the stream (the caller closes it), or null after a message.
FILE *CreateOutput(Conversion *c, Output what, const char *forkName, char *path)
{
    for (;;) {
        if (!BuildOutputPath(c, what, what == kOutputFork ? c->forks : c->beside, forkName, path))
            return nullptr;
        if (ChooseFreeName(&c->batch->taken, path, kWorkPathCapacity) != kDone) {
            Problem(c, kPathTooLong, path);
            return nullptr;
        }
        if (!MayCreate(c, path))
            return nullptr;
        FILE *output = fopen(path, "w+b");
        if (output != nullptr) {
            c->created++;
            if (RecordWritten(&c->batch->taken, path) != kDone) {
                ReportMessage(c->reporter, kMessageNoMemory, "");
                c->result = kConvertStop;
                fclose(output);
                return nullptr;
            }
            return output;
        }
        if (c->created != 0 || c->fellBack) {
            Problem(c, kMessageCannotCreate, path);
            return nullptr;
        }
        if (!FallBack(c))
            return nullptr;
    }
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

// Creates the fork file `name` (native text, bare) and copies into it the
// data fork (dataFork) or the resource fork, checked against the CRC that
// follows it in a BinHex stream.
// Returns: true when the fork file is complete (the fork may be damaged);
// false after a message.
bool ExtractFork(Conversion *c, const char *name, bool dataFork)
{
    const BinHexHeader *header = &c->header.fields;
    char safe[kPathCapacity + 2];
    if (MakeSafeFileName(name, safe, sizeof safe) != kDone) {
        Problem(c, kPathTooLong, name);
        return false;
    }
    char path[kWorkPathCapacity];
    FILE *output = CreateOutput(c, kOutputFork, safe, path);
    if (output == nullptr)
        return false;
    ForkChecks checks = {kPending, kPending};
    int *check = dataFork ? &checks.data : &checks.resource;
    uint16_t crc = 0;
    int result = SeekTo(c->expanded, dataFork ? c->header.dataOffset : c->header.resourceOffset);
    if (result == kDone)
        result = CopyBytes(c->expanded, output, dataFork ? header->dataLength : header->resourceLength,
                           c->header.format == kFormatBinHex ? &crc : nullptr);
    if (result == kDone && c->header.format == kFormatBinHex) {
        *check = CheckForkCrc(c->expanded, crc);
        if (*check == kCut)
            result = kCut;
    }
    bool closed = CloseWritten(c, output, result != kWriteFailed, path);
    return ReportCopy(c, result, closed, &checks);
}

// Modes 1 to 3. In mode 3 an empty fork, or a damaged one, does not keep
// the other from being extracted; a fork that could not be written whole
// does.
void ExtractForks(Conversion *c)
{
    SignatureTable *table = c->batch->table;
    const BinHexHeader *fields = &c->header.fields;
    char name[kPathCapacity];
    bool goOn = true;
    if (c->mode == kModeData || c->mode == kModeBoth) {
        // An empty fork is a note, not a problem.
        if (ReadForkHeader(table, fields, name, c->mode == kModeData ? kForkData : kForkPairData) != kDone)
            ReportMessage(c->reporter, kMessageNoData, c->input);
        else
            goOn = ExtractFork(c, name, true);
    }
    if (!goOn || c->mode == kModeData || c->result == kConvertStop)
        return;
    if (ReadForkHeader(table, fields, name, c->mode == kModeResource ? kForkResource : kForkPairResource) != kDone)
        ReportMessage(c->reporter, kMessageNoResources, c->input);
    else
        ExtractFork(c, name, false);
}

// Returns: the number of days from 1970-01-01 to the date year-month-day
// of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// Returns: the date of the file at path as Macs keep dates, the seconds from
// 1904-01-01 00:00 to its modification time read on this computer's clock
// (local time), within what 32 bits hold; 0 when it can't be read.
uint32_t MacDateOf(const char *path)
{
    int64_t seconds;
    if (GetModifiedTime(path, &seconds) != kDone)
        return 0;
    time_t t = time_t(seconds);
    const tm *local = localtime(&t);
    if (local == nullptr)
        return 0;
    int64_t days = DaysFromCivil(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday) -
                   DaysFromCivil(1904, 1, 1);
    int64_t mac = days * 86400 + local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec;
    return mac < 0 ? 0 : mac > int64_t(UINT32_MAX) ? UINT32_MAX : uint32_t(mac);
}

// Mode 4: the .bin file beside the input.
void WriteMacBinaryFile(Conversion *c)
{
    char bin[kWorkPathCapacity];
    FILE *output = CreateOutput(c, kOutputBin, nullptr, bin);
    if (output == nullptr)
        return;
    ForkChecks checks = {kPending, kPending};
    int result = SeekTo(c->expanded, c->header.dataOffset);
    if (result == kDone)
        result = WriteMacBinary(&c->header.fields, MacDateOf(c->input), c->expanded, output, &checks);
    bool closed = CloseWritten(c, output, result != kWriteFailed, bin);
    ReportCopy(c, result, closed, &checks);
}

// Derives the path of an intermediate file beside the input, in the
// input's folder as given.
// Returns: true, or false after a message when it passes 255 characters.
bool DeriveBeside(Conversion *c, Output what, char *out)
{
    return BuildOutputPath(c, what, c->beside, nullptr, out);
}

// The checks before anything is created: the input's path not too long,
// the input read and its header checked, and for BinHex its intermediate
// files not over the input or the signatures file. Leaves the input open
// in c->source.
// Returns: true when the conversion may go on; false after a message.
bool CheckInput(Conversion *c)
{
    const char *path = c->input;
    if (!FitsPath(path)) {
        Problem(c, kPathTooLong, path);
        return false;
    }
    size_t folder = strlen(path);
    while (folder != 0 && !IsSeparator(path[folder - 1]))
        folder--;
    memcpy(c->beside, path, folder);
    c->beside[folder] = 0;
    c->source = OpenForReading(path);
    if (c->source == nullptr) {
        Problem(c, kMessageCannotOpen, path);
        return false;
    }
    int found = ReadInputHeader(c->source, &c->header);
    if (found != kDone || fseek(c->source, 0, SEEK_SET) != 0) {
        Problem(c, found == kNoRoom ? kMessageNoMemory : kMessageNotBinHex, path);
        return false;
    }
    if (c->header.format == kFormatMacBinary) {
        if (c->mode == kModeMacBinary) {
            Problem(c, kMessageAlreadyMacBinary, path);
            return false;
        }
        c->expanded = c->source;      // the forks are read where they lie
        c->source = nullptr;
        return true;
    }
    if (!DeriveBeside(c, kOutputBqx, c->bqx) || !DeriveBeside(c, kOutputBix, c->bix))
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
    return true;
}

// The text stage from the input into the .bqx file, then the run-length
// stage into the .bix file, reopened.
// Returns: true when the expanded stream is open in c->expanded.
bool Expand(Conversion *c)
{
    FILE *bqx = CreateOutput(c, kOutputBqx, nullptr, c->bqx);
    if (bqx == nullptr)
        return false;
    int decoded = DecodeTextStage(c->source, bqx);
    fclose(c->source);
    c->source = nullptr;
    if (!CloseWritten(c, bqx, decoded == kDone, c->bqx))
        return false;
    FILE *input = OpenForReading(c->bqx);
    if (input == nullptr) {
        Problem(c, kMessageCannotOpen, c->bqx);
        return false;
    }
    FILE *bix = CreateOutput(c, kOutputBix, nullptr, c->bix);
    bool written = bix != nullptr && CloseWritten(c, bix, ExpandRunLength(input, bix) == kDone, c->bix);
    fclose(input);
    if (!written)
        return false;
    c->expanded = OpenForReading(c->bix);
    if (c->expanded == nullptr)
        Problem(c, kMessageCannotOpen, c->bix);
    return c->expanded != nullptr;
}

// Reads the first bytes of input as a MacBinary header.
// Returns: true when they make one (header filled); input is then past them.
bool ProbeMacBinary(FILE *input, InputHeader *header)
{
    unsigned char bytes[kMacBinaryHeaderSize];
    size_t got = fread(bytes, 1, sizeof bytes, input);
    uint64_t size;
    MacBinaryLayout layout;
    if (GetStreamSize(input, &size) != kDone ||
        ParseMacBinaryHeader(bytes, got, size, &header->fields, &layout) != kDone)
        return false;
    header->format = kFormatMacBinary;
    header->dataOffset = layout.dataOffset;
    header->resourceOffset = layout.resourceOffset;
    header->end = layout.end;
    return true;
}

}  // namespace

void ReportMessage(const Reporter *reporter, const char *format, const char *arg)
{
    char nativeFormat[256];
    ToNativeText(format, nativeFormat, sizeof nativeFormat);
    char text[kMessageCapacity];
    snprintf(text, sizeof text, nativeFormat, arg);
    reporter->show(reporter->context, text);
}

void StartBatch(Batch *batch, SignatureTable *table, const Reporter *reporter)
{
    batch->table = table;
    batch->reporter = reporter;
    StartTakenNames(&batch->taken);
}

void EndBatch(Batch *batch)
{
    FreeTakenNames(&batch->taken);
}

int ReadInputHeader(FILE *input, InputHeader *header)
{
    if (ProbeMacBinary(input, header))
        return kDone;
    if (fseek(input, 0, SEEK_SET) != 0)
        return kCut;
    int found = ReadCheckedHeader(input, &header->fields);
    header->format = kFormatBinHex;
    header->dataOffset = DataForkOffset(&header->fields);
    header->resourceOffset = ResourceForkOffset(&header->fields);
    header->end = 0;
    return found;
}

int ConvertFile(const char *path, int mode, Batch *batch)
{
    Conversion c;
    memset(&c, 0, sizeof c);
    c.input = path;
    c.mode = mode;
    c.batch = batch;
    c.reporter = batch->reporter;
    c.result = kConvertDone;
    if (CheckInput(&c) && (c.header.format == kFormatMacBinary || Expand(&c))) {
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
    memset(&c, 0, sizeof c);
    c.input = path;
    c.reporter = reporter;
    c.result = kConvertDone;
    FILE *input = OpenForReading(path);
    if (input == nullptr) {
        Problem(&c, kMessageCannotOpen, path);
        return c.result;
    }
    StreamCheck check;
    bool macBinary = ProbeMacBinary(input, &c.header);
    uint64_t size = 0;
    int read = kDone;
    if (macBinary)
        GetStreamSize(input, &size);
    else
        read = fseek(input, 0, SEEK_SET) == 0 ? CheckBinHexFile(input, &check) : kCut;
    fclose(input);
    if (macBinary) {
        if (size < c.header.end)
            Problem(&c, kMessageIncomplete, path);
    } else if (read != kDone) {
        Problem(&c, read == kNoRoom ? kMessageNoMemory : kMessageCannotOpen, path);
    } else if (check.headerPart != kDone) {
        Problem(&c, kMessageNotBinHex, path);
    } else {
        const ForkChecks checks = {check.dataPart, check.resourcePart};
        bool cut = check.dataPart == kCut || check.resourcePart == kCut;
        ReportCopy(&c, cut ? kCut : kDone, true, &checks);
    }
    return c.result;
}
