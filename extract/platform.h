// What differs between Windows and POSIX systems: the text of file names
// and the console, comparing and opening files, positions past 2 GiB. One
// implementation per platform, chosen by the build (platform_posix.cpp,
// platform_win.cpp).
//
// Program text is single-byte Windows ANSI (code page 1252). Native text,
// what paths and names are made of and what is shown, is the platform's:
// UTF-8 on POSIX systems; on Windows the ANSI code page, which the programs'
// manifests ask to be UTF-8 (Windows 10 version 1903 and later, and Wine,
// take it; older Windows keep the system's, 1252 in Western Europe).
#ifndef QUILLON_EXTRACT_PLATFORM_H
#define QUILLON_EXTRACT_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "decode/result.h"

// A path has at most kPathCharacters characters, whatever their script;
// its buffers have room for that many in UTF-8, and the NUL.
const int kPathCharacters = 255;
const int kPathCapacity = 1024;

// Converts program text (Windows ANSI) into native text: UTF-8 on POSIX
// systems and on Windows with the UTF-8 code page, unchanged on Windows
// with an ANSI code page.
// Returns: kDone, or kNoRoom when out could not hold it (out is then empty).
int ToNativeText(const char *ansi, char *out, int capacity);

// Returns: 1 when native text is UTF-8, so that a name may hold any
// character; 0 when it is an ANSI code page.
int NativeTextIsUnicode();

// Returns: the number of characters of native text.
size_t CountCharacters(const char *native);

// Writes native text to stream. On Windows a console
// gets it through its wide-character interface, so that accents show
// whatever the console's code page, and a file or a pipe gets it in UTF-8;
// on POSIX systems the text, UTF-8 already, is written as it is.
// Returns: kDone, or kWriteFailed when it could not be written.
int WriteText(const char *text, FILE *stream);

// Returns: 1 when both paths name the same existing file, else 0.
int SameFile(const char *a, const char *b);

// Moves stream to an absolute position that may lie beyond 2 GiB.
// Returns: kDone, or kCut when the stream could not be positioned there.
int SeekTo(FILE *stream, uint64_t position);

// Opens an existing file for reading only ("rb"): the program never writes
// a file it reads, so read-only files (from a CD-ROM, a share) are read. A
// folder, which POSIX systems let fopen open, is not a file to read.
// Returns: the stream (the caller closes it), or null.
FILE *OpenForReading(const char *path);

#endif
