// Fork extraction and naming: the conversion driver, output naming with its
// string helpers, the information panel text and the signature table.
//
// Text is single-byte Windows ANSI (code page 1252) unless said otherwise;
// paths live in buffers of kPathCapacity bytes (at most 255 characters).
#ifndef QUILLON_EXTRACT_CONVERT_H
#define QUILLON_EXTRACT_CONVERT_H

#include <cstdint>
#include <cstdio>

const int kPathCapacity = 256;

// ------------------------------------------------------------ signature table

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

// Three passes over the rows in use: whole key, first four characters,
// first two characters; row 0 when none matches.
// Returns: the chosen row, or null when there is no table.
const SignatureEntry *FindSignature(const unsigned char typeCreator[8]);

// Frees the table and forgets that a load was tried, as at the start of a
// new run (for tests and fuzzers that run several "runs" in one process).
void ResetSignatureLoad();

// ------------------------------------------------------------------- naming

// ForkRequest values for ReadForkHeader.
const int kForkData = 1;          // mode 1
const int kForkResource = 2;      // mode 2
const int kForkPairData = 3;      // mode 3, first call: mark ".dat"
const int kForkPairResource = 4;  // mode 3, second call: mark ".res"

// Mac Roman name characters to Windows ANSI.
extern const unsigned char MacNameTable[256];

// Size of ReadForkHeader's own name buffer: names of at most 127 bytes are
// kept whole; a longer name keeps its first 127 bytes (all n are consumed).
const int kNameReadCapacity = 128;

// Reads the header from the start of stream (loading the signature table at
// the first call of the run), puts the translated Macintosh name with its PC
// extension into name (kPathCapacity bytes) and the 21 fixed bytes, as they
// stood, into fixed. Leaves the stream after the fixed part.
// Returns: n (0 to 255) when the fork that request tests is not empty;
// -request when it is empty or when the stream is too short to hold a
// header (nothing read is then used).
int ReadForkHeader(FILE *stream, char *name, unsigned char fixed[21], int request);

// Sets the extension of the last path component of s (after the last '\'
// or '/'): a dot followed by at most three characters is an extension and
// is replaced; otherwise a dot is appended. extension is appended in lower
// case; null leaves s cut after its dot (or unchanged when it had none).
// s must have room for the result. Returns: s.
char *SetExtension(char *s, const char *extension);

// Appends c to s, which must have room for it. Returns: s.
char *AppendChar(char *s, char c);

// Removes leading spaces (0x20 only) in place.
// Returns: 1 when at least one was removed, else 0.
int StripLeadingBlanks(char *s);

// Writes table[c] for each byte c of source, then a zero. destination may
// be source. Returns: destination.
char *TranslateChars(char *destination, const char *source, const unsigned char *table);

// Builds, from a translated Macintosh name, the name under which a fork file
// is created in the current directory: characters Windows refuses
// (\ / : * ? " < > | and bytes below 0x20) become '_'; a name of dots and
// blanks only, an empty name and a reserved device name (CON, PRN, AUX, NUL,
// COM1-9, LPT1-9, alone or before a dot; CONIN$, CONOUT$) get a leading '_'.
// Returns: 0, or -1 when the result would not fit capacity bytes.
int MakeSafeFileName(const char *name, char *out, int capacity);

// --------------------------------------------------------------- driver

// Conversion modes, as chosen in the main window.
const int kModeData = 1;
const int kModeResource = 2;
const int kModeBoth = 3;
const int kModeMacBinary = 4;

// Front-end seam. The driver reports through ShowMessage with
// MainWindowHandle as owner and AppTitle as caption. Each front end defines
// MainWindowHandle and ShowMessage; the text and caption stay valid until
// ShowMessage returns.
typedef void *WindowHandle;
extern WindowHandle MainWindowHandle;
int ShowMessage(WindowHandle owner, const char *text, const char *caption);
extern const char AppTitle[];

// Opens an existing file for reading only ("rb"): the program never writes
// a file it reads, so read-only files (from a CD-ROM, a share) are read. A
// folder, which some systems let fopen open, counts as a file that cannot
// be opened. Returns: the stream (the caller closes it), or null.
FILE *OpenForReading(const char *path);

// Converts one BinHex file in the given mode: intermediates beside the input
// (.bqx, .bix, left on disk), fork files in the current directory, the .bin
// file beside the input. Reports every problem through ShowMessage; when
// the input cannot be read (nothing is then created) or its .bqx file
// cannot be created it shows "Erreur \xE0 l'ouverture des fichiers" and
// ends the process with status 1.
void ConvertFile(const char *path, int mode);

// ------------------------------------------------------- information panel

// Room for the panel text: at most 511 ANSI characters, up to three bytes
// each once turned into UTF-8.
const int kInfoTextCapacity = 1536;

// Builds the panel text for the file at path: name, type/creator and fork
// lengths, or the one-line message for a file that is not correct BinHex:
// one without the identification line (FindEncodedText) whose first line
// does not hold "BinHex" either. Reads no further than the identification
// search and the first groups of the encoded text. The text is
// in the platform's text encoding (see ToNativeText).
// Returns: 0 with the details, -1 with the message.
int FormatFileInfo(const char *path, char text[kInfoTextCapacity]);

// --------------------------------------------------------- platform seams
// (one implementation per platform, chosen by the build)

// Converts program text (Windows ANSI) into the text that the file system
// and the console of this platform take: UTF-8 on POSIX systems, unchanged
// on Windows. Returns: 0, or -1 when out could not hold it (out is then
// empty).
int ToNativeText(const char *ansi, char *out, int capacity);

// Returns: 1 when both paths name the same existing file, else 0.
int SameFile(const char *a, const char *b);

// Moves stream to an absolute position that may lie beyond 2 GiB.
// Returns: 0, or -1 when the stream could not be positioned.
int SeekTo(FILE *stream, uint64_t position);

#endif
