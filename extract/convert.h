// The conversion driver: one BinHex or MacBinary file into fork files, or a
// BinHex file into a MacBinary file. Front ends (quillon-cli, Quillon.exe)
// call it once per file of a batch.
#ifndef QUILLON_EXTRACT_CONVERT_H
#define QUILLON_EXTRACT_CONVERT_H

#include "decode/binhex.h"
#include "extract/batch.h"
#include "extract/signatures.h"

// Conversion modes, as chosen in the main window.
const int kModeData = 1;
const int kModeResource = 2;
const int kModeBoth = 3;
const int kModeMacBinary = 4;

// How the driver reaches the front end: the message box of the Windows
// program, a line on standard error, a recorder in tests.
struct Reporter {
    // Tells the user about a problem. text is in the platform's text
    // encoding and valid only during the call.
    void (*show)(void *context, const char *text);
    // Says where the files go of an input whose own folder can't take them
    // (a read-only medium, a locked folder): fills folder (kPathCapacity
    // bytes, native text) with "" for the current directory or a folder
    // path ending in a separator.
    // Returns: kDone, or kNotFound to leave the file unconverted.
    int (*chooseFolder)(void *context, char *folder);
    void *context;
};

// Shows format (program text, Windows ANSI) through reporter, with arg
// (native text, a path as given) in place of its %s.
void ReportMessage(const Reporter *reporter, const char *format, const char *arg);

// The message for a path that would pass 255 characters (Windows ANSI; %s
// is the path as given).
extern const char kPathTooLong[];

// What the conversions of one batch share (one run of quillon-cli, one
// press of "Conversion"): the signature table (null for none: loaded at the
// first fork extraction), the reporter, and the files written so far, so
// that no output of the batch replaces another of its outputs.
struct Batch {
    SignatureTable *table;
    const Reporter *reporter;
    TakenNames taken;
};

void StartBatch(Batch *batch, SignatureTable *table, const Reporter *reporter);
void EndBatch(Batch *batch);

// Results of ConvertFile and TestFile: what the front end does next.
const int kConvertDone = kDone;   // converted whole, every fork read intact (an empty
                                  // fork may have been noted)
const int kConvertReported = 1;   // a problem was reported (the file refused, unreadable,
                                  // damaged or cut, an output not written); go on
const int kConvertStop = -1;      // "M\xE9moire insuffisante" (the batch can no longer
                                  // keep its outputs apart): end the batch

// The formats a file to convert may have.
const int kFormatBinHex = 0;
const int kFormatMacBinary = 1;

// What the start of a file to convert says.
struct InputHeader {
    int format;
    BinHexHeader fields;       // name, type and creator, Finder flags, fork lengths
    uint64_t dataOffset;       // where the forks start: in the expanded stream of a
    uint64_t resourceOffset;   // BinHex file, in the file itself for MacBinary
    uint64_t end;              // MacBinary: where its last fork ends
};

// Reads the header of the file open in input (at its start): MacBinary
// when its first 128 bytes make a MacBinary header (ParseMacBinaryHeader),
// else a BinHex header, found and checked against its CRC in memory
// (ReadCheckedHeader).
// Returns: kDone with header filled; else the BinHex reader's result
// (kCut, kDamaged: not a file to convert; kNoRoom).
int ReadInputHeader(FILE *input, InputHeader *header);

// Converts one file in the given mode. A BinHex file goes through two
// intermediate files beside it (.bqx, .bix, left on disk), and gives fork
// files in the current directory (their extensions from the batch's
// table) or, in mode 4, a .bin file beside it. A MacBinary file gives its
// forks (modes 1 to 3) from where it lies; in mode 4 it is refused. When
// the input's folder can't take the first file created for it, all of its
// files go where the reporter's chooseFolder says. An output that would
// take the name of a file this batch wrote gets the next free name
// ("Read Me (2).txt"); one that would replace the input, its intermediate
// files or the signatures file is refused. A file that can't be read, is
// not BinHex or MacBinary, or whose header fails its CRC is refused before
// anything is created. Each BinHex fork is checked against its CRC as it is
// copied: a damaged fork is still written whole, then reported. Every
// problem is reported through the batch's reporter.
// Returns: kConvertDone, kConvertReported or kConvertStop.
int ConvertFile(const char *path, int mode, Batch *batch);

// Tests a file, writing nothing anywhere: a BinHex file is decoded whole
// in memory and its three CRCs checked (the problems reported are those a
// conversion in mode 4 would report); a MacBinary file must hold all that
// its header announces. A file that can't be read, or is neither, is
// reported as a conversion would report it.
// Returns: kConvertDone when the file is intact, or kConvertReported.
int TestFile(const char *path, const Reporter *reporter);

#endif
