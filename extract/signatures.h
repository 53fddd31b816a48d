// The signature table: Macintosh type/creator to PC extension, read from a
// small text file of lines "EXT,TYPECREA,note".
#ifndef QUILLON_EXTRACT_SIGNATURES_H
#define QUILLON_EXTRACT_SIGNATURES_H

#include "decode/result.h"
#include "extract/platform.h"

const int kSignatureRows = 64;
const int kSignatureLinesTaken = 63;   // rows 1..63
const int kSignaturePieceSize = 79;    // a line is read in pieces this long

struct SignatureEntry {
    char extension[5];     // PC extension, no dot, as written in the file
    char typeCreator[9];   // 8 bytes compared as text; "?" is no wildcard
    char note[65];         // stored, never read by the program
};

// The signature table of one run, owned by the front end and handed to
// each conversion: absent until a load opens the signatures file, then
// kSignatureRows rows, row 0 always the default row TXT / TEXT????. It is
// read at most once a run, at the first fork extraction.
struct SignatureTable {
    char path[kPathCapacity];              // the signatures file; "" when the run has none
    int loadTried;                         // a load has been tried in this run
    int present;                           // a load opened the file: rows is the table
    SignatureEntry rows[kSignatureRows];
};

// Starts the table of a run whose signatures file is path (null or "": the
// run has none; the caller keeps it within kPathCapacity bytes); nothing is
// read yet.
void OpenSignatureTable(SignatureTable *table, const char *path);

// Fills table from its signatures file; leaves it unchanged when the path
// is empty or the file cannot be read.
void LoadSignatureTable(SignatureTable *table);

// LoadSignatureTable at the first call of the run, whatever its outcome;
// nothing at later calls (a failed load is not retried).
void LoadSignatureTableOnce(SignatureTable *table);

// Three passes over the rows in use: whole key, first four characters,
// first two characters; row 0 when none matches.
// Returns: the chosen row, or null when there is no table (table null, or
// absent).
const SignatureEntry *FindSignature(const SignatureTable *table, const unsigned char typeCreator[8]);

#endif
