// Fork output names: the Macintosh name through MacNameTable, an extension
// from the signature table, and names made safe for the file system.
#ifndef QUILLON_EXTRACT_NAMING_H
#define QUILLON_EXTRACT_NAMING_H

#include "decode/binhex.h"
#include "extract/platform.h"
#include "extract/signatures.h"
#include "extract/text.h"

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

// Names the fork that request asks for, loading table at the first call of
// the run (LoadSignatureTableOnce): the translated Macintosh name of header
// (MacNameToNative) with the PC extension table gives its type and creator,
// in name (kPathCapacity bytes of native text). table may be null (no
// table); header is null when the stream holds none.
// Returns: kDone, or kNotFound when the fork that request tests is empty or
// there is no header.
int ReadForkHeader(SignatureTable *table, const BinHexHeader *header, char *name, int request);

// Translates a Macintosh name (Mac Roman, up to its zero byte) into native
// text: each character through MacNameTable, the result in Windows-1252
// when native text is an ANSI code page (!unicode). When it is UTF-8
// (unicode), the table's characters go over in UTF-8, but for those it turns
// into '_' that have a Unicode character of their own (MacRomanUnicode: π,
// Ω, ≈, ﬁ...), which keep it.
// Returns: kDone, or kNoRoom when out (capacity bytes) can't hold it (out
// is then "").
int MacNameToNative(const char *mac, char *out, int capacity, int unicode);

// Builds, from a translated Macintosh name (native text), the name under
// which a fork file is created in the current directory: characters Windows
// refuses (\ / : * ? " < > | and bytes below 0x20) become '_'; a name of
// dots and blanks only, an empty name and a reserved device name (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9, alone or before a dot; CONIN$, CONOUT$) get a
// leading '_'.
// Returns: kDone, or kNoRoom when the result would not fit capacity bytes.
int MakeSafeFileName(const char *name, char *out, int capacity);

#endif
