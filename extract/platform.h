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

// What makes a file the one it is, whatever path names it: its volume and
// its number there (device and inode; volume serial and file index); and
// whether it is a file at all, rather than a folder or a device.
struct FileId {
    uint64_t volume;
    uint64_t index;
    int isFile;
};

// Returns: kDone with *id, or kNotFound when path names nothing that exists.
int GetFileId(const char *path, FileId *id);

// Returns: 1 when both paths name the same existing file (two names of one
// file, in any letter case the system ignores, a hard link), else 0.
inline int SameFile(const char *a, const char *b)
{
    FileId ia, ib;
    return GetFileId(a, &ia) == kDone && GetFileId(b, &ib) == kDone && ia.volume == ib.volume &&
           ia.index == ib.index;
}

// Returns: kDone with the size of the file open in stream, or kNotFound.
int GetStreamSize(FILE *stream, uint64_t *size);

// Returns: kDone with the time the file at path was last modified, in
// seconds since 1970-01-01 00:00 UTC; or kNotFound.
int GetModifiedTime(const char *path, int64_t *seconds);

// Kinds of folder entries, as ListFolder tells them.
const int kEntryFile = 0;     // a file, or a link to one
const int kEntryFolder = 1;   // a folder itself: never a link or a junction to one
const int kEntryOther = 2;    // a link to a folder, a device, a link to nothing

// Receives one entry of a folder: its bare name (native text, valid during
// the call) and its kind.
typedef void (*FolderEntrySink)(void *context, const char *name, int kind);

// Reads the entries of folder, but "." and "..", in the system's order, and
// hands each to take; the folder is closed again before it returns, so
// that a walk holds no folder open while it goes deeper.
// Returns: kDone, or kNotFound when folder can't be read.
int ListFolder(const char *folder, FolderEntrySink take, void *context);

// Returns: 1 when path names an existing folder (or a link to one), else 0.
int IsFolder(const char *path);

// The separator put between a folder and a name: '\\' on Windows, '/'
// elsewhere. IsSeparator also takes '/' on Windows, and a drive's colon.
extern const char kPathSeparator;
int IsSeparator(char c);

// 1 where the program expands the wildcards * and ? of its own arguments,
// as Windows programs do (the command shells pass them as typed); 0 where
// the shell has expanded them already.
extern const int kProgramExpandsWildcards;

// Moves stream to an absolute position that may lie beyond 2 GiB.
// Returns: kDone, or kCut when the stream could not be positioned there.
int SeekTo(FILE *stream, uint64_t position);

// Opens an existing file for reading only ("rb"): the program never writes
// a file it reads, so read-only files (from a CD-ROM, a share) are read. A
// folder, which POSIX systems let fopen open, is not a file to read.
// Returns: the stream (the caller closes it), or null.
FILE *OpenForReading(const char *path);

#endif
