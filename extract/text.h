// String helpers, and the text encodings the program meets: its own texts
// in Windows-1252, native text in UTF-8 (POSIX systems, and Windows with the
// UTF-8 code page), Macintosh names in Mac Roman. Standard C++ only; the
// platform files decide which one native text is.
#ifndef QUILLON_EXTRACT_TEXT_H
#define QUILLON_EXTRACT_TEXT_H

#include <cstddef>
#include <cstdint>

#include "decode/result.h"

// Returns: c, a letter A to Z in lower case.
inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Returns: 1 when s ends in "." and extension (lower case, ASCII), in any
// letter case; else 0.
int HasExtension(const char *s, const char *extension);

// Returns: the position in s (native text) of the dot that starts the
// extension of its last path component (after the last '\\' or '/'): a dot
// followed by at most three characters; or kNotFound.
long ExtensionDot(const char *s);

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
// Returns: the number removed.
int StripLeadingBlanks(char *s);

// Writes table[c] for each byte c of source, then a zero. destination may
// be source. Returns: destination.
char *TranslateChars(char *destination, const char *source, const unsigned char *table);

// Writes a character of the Basic Multilingual Plane in UTF-8.
// Returns: the number of bytes written, 1 to 3.
int EncodeUtf8(unsigned code, char out[3]);

// Converts Windows-1252 text to UTF-8 (the five bytes 1252 leaves undefined
// keep their C1 code point, as Windows does).
// Returns: kDone, or kNoRoom when out could not hold it (out is then empty).
int AnsiToUtf8(const char *ansi, char *out, int capacity);

// Returns: the number of characters of UTF-8 text (its bytes that do not
// continue a character).
size_t CountUtf8Characters(const char *text);

// The Unicode character of each Mac Roman character from 0x80 on that the
// Windows-1252 name table has no place for (0 for the others): π, Ω, ≈, ∆,
// ﬁ, •... The Apple logo 0xF0, a private-use character, has none.
extern const uint16_t MacRomanUnicode[128];

#endif
