// The conversion driver: one BinHex file through the two intermediate files
// into fork files or a MacBinary file. Front ends (quillon-cli, Quillon.exe)
// call it once per chosen file.
#ifndef QUILLON_EXTRACT_CONVERT_H
#define QUILLON_EXTRACT_CONVERT_H

#include "extract/signatures.h"

// Conversion modes, as chosen in the main window.
const int kModeData = 1;
const int kModeResource = 2;
const int kModeBoth = 3;
const int kModeMacBinary = 4;

// How the driver tells the user about a problem: the message box of the
// Windows program, a line on standard error, a recorder in tests. text is
// in the platform's text encoding and valid only during the call.
struct Reporter {
    void (*show)(void *context, const char *text);
    void *context;
};

// The message for a path that would pass 255 characters (Windows ANSI; %s
// is the path as given).
extern const char kPathTooLong[];

// Results of ConvertFile and TestFile: what the front end does next.
const int kConvertDone = kDone;   // converted whole, every fork read intact (an empty
                                  // fork may have been noted)
const int kConvertReported = 1;   // a problem was reported (the file refused, damaged
                                  // or cut, an output not written); go on with the next
const int kConvertFatal = -1;     // "Erreur \xE0 l'ouverture des fichiers": stop the batch

// Converts one BinHex file in the given mode: intermediates beside the
// input (.bqx, .bix, left on disk), fork files in the current directory,
// their extensions from table (the run's, loaded at the first fork
// extraction; null for none), the .bin file beside the input. A file whose header is missing, cut or fails its
// CRC is refused before anything is created. Each fork read is checked
// against its CRC as it is copied: a damaged fork is still written whole,
// then reported. Reports every problem through reporter and goes on with
// the next file, but for one: when the input cannot be read (nothing is
// then created) or its .bqx file cannot be created, it reports
// "Erreur \xE0 l'ouverture des fichiers" and returns kConvertFatal; the front
// end then ends the run with exit status 1.
// Returns: kConvertDone, kConvertReported or kConvertFatal.
int ConvertFile(const char *path, int mode, SignatureTable *table, const Reporter *reporter);

// Decodes the whole file in memory and checks its three CRCs, writing
// nothing anywhere; reports what a conversion in mode 4 would report of it.
// Returns: kConvertDone when the file is intact, kConvertReported, or
// kConvertFatal when it cannot be read.
int TestFile(const char *path, const Reporter *reporter);

#endif
