// Text encodings the program meets: its own texts in Windows-1252, native
// text in UTF-8 (POSIX systems, and Windows with the UTF-8 code page),
// Macintosh names in Mac Roman. Standard C++ only; the platform files
// decide which one native text is.
#ifndef QUILLON_EXTRACT_TEXT_H
#define QUILLON_EXTRACT_TEXT_H

#include <cstddef>
#include <cstdint>

// Writes a character of the Basic Multilingual Plane in UTF-8.
// Returns: the number of bytes written, 1 to 3.
int EncodeUtf8(unsigned code, char out[3]);

// Converts Windows-1252 text to UTF-8 (the five bytes 1252 leaves undefined
// keep their C1 code point, as Windows does).
// Returns: 0, or -1 when out could not hold it (out is then empty).
int AnsiToUtf8(const char *ansi, char *out, int capacity);

// Returns: the number of characters of UTF-8 text (its bytes that do not
// continue a character).
size_t CountUtf8Characters(const char *text);

// The Unicode character of each Mac Roman character from 0x80 on that the
// Windows-1252 name table has no place for (0 for the others): π, Ω, ≈, ∆,
// ﬁ, •... The Apple logo 0xF0, a private-use character, has none.
extern const uint16_t MacRomanUnicode[128];

#endif
