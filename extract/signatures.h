// The signature table: Macintosh type/creator to PC extension, read from a
// small text file of lines "EXT,TYPECREA,note".
#ifndef QUILLON_EXTRACT_SIGNATURES_H
#define QUILLON_EXTRACT_SIGNATURES_H

#include "extract/platform.h"

const int kSignatureRows = 64;
const int kSignatureLinesTaken = 63;   // rows 1..63
const int kSignaturePieceSize = 79;    // a line is read in pieces this long

struct SignatureEntry {
    char extension[5];     // PC extension, no dot, as written in the file
    char typeCreator[9];   // 8 bytes compared as text; "?" is no wildcard
    char note[65];         // stored, never read by the program
};

// Path of the signatures file, empty when the run has none. Set once by the
// front end at start-up, read by LoadSignatureTable.
extern char SignaturesFilePath[kPathCapacity];

// The table: absent (null) until a load opens the signatures file, then
// kSignatureRows rows that live until the program ends. Row 0 is always
// the default row TXT / TEXT????.
extern SignatureEntry *SignatureTable;

// Fills SignatureTable from SignaturesFilePath; leaves it unchanged when the
// path is empty or the file cannot be read.
void LoadSignatureTable();

// LoadSignatureTable at the first call of the run, whatever its outcome;
// nothing at later calls (a failed load is not retried).
void LoadSignatureTableOnce();

// Frees the table and forgets that a load was tried, as at the start of a
// new run (for tests and fuzzers that run several "runs" in one process).
void ResetSignatureLoad();

// Three passes over the rows in use: whole key, first four characters,
// first two characters; row 0 when none matches.
// Returns: the chosen row, or null when there is no table.
const SignatureEntry *FindSignature(const unsigned char typeCreator[8]);

#endif
