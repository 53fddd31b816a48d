// Fork output names: the Macintosh name through MacNameTable, an extension
// from the signature table, and the string helpers the naming uses.
#ifndef QUILLON_EXTRACT_NAMING_H
#define QUILLON_EXTRACT_NAMING_H

#include "decode/binhex.h"
#include "extract/platform.h"

// ForkRequest values for ReadForkHeader.
const int kForkData = 1;          // mode 1
const int kForkResource = 2;      // mode 2
const int kForkPairData = 3;      // mode 3, first call: mark ".dat"
const int kForkPairResource = 4;  // mode 3, second call: mark ".res"

// Mac Roman name characters to Windows ANSI.
extern const unsigned char MacNameTable[256];

// Fork names keep at most this many bytes of the Macintosh name, less one:
// names of up to 127 bytes are kept whole.
const int kNameReadCapacity = 128;

// Names the fork that request asks for, loading the signature table at the
// first call of the run (LoadSignatureTableOnce): the translated Macintosh
// name of header (MacNameToNative) with its PC extension, in name
// (kPathCapacity bytes of native text). header is null when the stream
// holds none.
// Returns: n (0 to 255) when the fork that request tests is not empty;
// -request when it is empty or there is no header.
int ReadForkHeader(const BinHexHeader *header, char *name, int request);

// Returns: c, a letter A to Z in lower case.
inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Sets the extension of the last path component of s, native text (after
// the last '\' or '/'): a dot followed by at most three characters is an
// extension and is replaced; otherwise a dot is appended. extension, native
// text too, is appended in lower case; null leaves s cut after its dot (or
// unchanged when it had none). s must have room for the result. Returns: s.
char *SetExtension(char *s, const char *extension);

// Appends c to s, which must have room for it. Returns: s.
char *AppendChar(char *s, char c);

// Appends text to s in lower case (A to Z only); s must have room for it.
// Returns: s.
char *AppendLowerCase(char *s, const char *text);

// Removes leading spaces (0x20 only) in place.
// Returns: 1 when at least one was removed, else 0.
int StripLeadingBlanks(char *s);

// Writes table[c] for each byte c of source, then a zero. destination may
// be source. Returns: destination.
char *TranslateChars(char *destination, const char *source, const unsigned char *table);

// Translates a Macintosh name (Mac Roman, up to its zero byte) into native
// text: each character through MacNameTable, the result in Windows-1252
// when native text is an ANSI code page (!unicode). When it is UTF-8
// (unicode), the table's characters go over in UTF-8, but for those it turns
// into '_' that have a Unicode character of their own (MacRomanUnicode: π,
// Ω, ≈, ﬁ...), which keep it.
// Returns: 0, or -1 when out (capacity bytes) can't hold it (out is then "").
int MacNameToNative(const char *mac, char *out, int capacity, int unicode);

// Builds, from a translated Macintosh name (native text), the name under
// which a fork file is created in the current directory: characters Windows
// refuses (\ / : * ? " < > | and bytes below 0x20) become '_'; a name of
// dots and blanks only, an empty name and a reserved device name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, alone or before a dot; CONIN$, CONOUT$) get a
// leading '_'.
// Returns: 0, or -1 when the result would not fit capacity bytes.
int MakeSafeFileName(const char *name, char *out, int capacity);

#endif
