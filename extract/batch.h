// What a batch of conversions needs beside the driver: the list of files a
// front end was given (folders walked, wildcards expanded) and the names
// the batch has written, so that no output of it replaces another.
#ifndef QUILLON_EXTRACT_BATCH_H
#define QUILLON_EXTRACT_BATCH_H

#include <cstddef>
#include <cstdint>

#include "decode/result.h"
#include "extract/platform.h"

struct Reporter;

// ---------------------------------------------------------------- file lists

// Paths one after the other, each ended by its zero byte, in a block that
// grows as paths are added; owned by the list (FreeFileList).
struct FileList {
    char *text;
    size_t used;
    size_t capacity;
    int count;
};

void StartFileList(FileList *list);
void FreeFileList(FileList *list);

// Returns: kDone, or kNoRoom without memory for it (the list is unchanged).
int AddToFileList(FileList *list, const char *path);

// The list's paths in order: NextInList(list, nullptr) is the first, then
// NextInList(list, path) the one after path.
// Returns: the path, or null after the last.
const char *NextInList(const FileList *list, const char *path);

// Orders names as a Windows user expects: letters compared without their
// case (A to Z), then byte by byte to part names that differ only in case.
// Returns: less than, equal to or more than zero, as strcmp.
int CompareNames(const char *a, const char *b);

// Adds every file in folder and its subfolders that a conversion takes
// (ConvertedByFolder), in path order: each folder's entries sorted by
// CompareNames, a subfolder's files where the subfolder falls. Links and
// junctions to folders are not followed. A folder that can't be read, or
// a path that would pass 255 characters, is reported ("ne peut pas être
// ouvert", "est trop long") and left; a folder read that gives no file at
// all is reported ("Le dossier ... ne contient aucun fichier BinHex.").
// Returns: the number of paths added, or kNoRoom without memory.
int AddFolderFiles(FileList *list, const char *folder, const Reporter *reporter);

// Returns: 1 when a file found in a folder is one to convert: its name ends
// in ".hqx" in any letter case, or in ".bin" and it is MacBinary.
int ConvertedByFolder(const char *path);

// Returns: 1 when argument holds the wildcard * or ?.
int HasWildcard(const char *argument);

// Returns: 1 when name matches pattern: * stands for any characters, ? for
// one character, letters A to Z match in either case.
int MatchesWildcard(const char *name, const char *pattern);

// Adds the files and folders whose names match the last component of
// pattern (HasWildcard) in its folder, in CompareNames order, each as the
// folder part of pattern followed by its name. A pattern that matches
// nothing adds nothing.
// Returns: the number of paths added, or kNoRoom without memory.
int AddMatchingPaths(FileList *list, const char *pattern);

// --------------------------------------------------------------- taken names

// The files one batch has written, by identity (FileId), and for each name
// the last number it was given: the next file of that name starts from it
// rather than from 2. Both are hash tables (open addressing, 0 an unused
// slot) that grow as the batch goes; the batch frees them (FreeTakenNames).
struct TakenNames {
    uint64_t *files;        // fingerprints of the files' identities
    size_t fileSlots;
    size_t fileCount;
    uint64_t *nameKeys;     // fingerprints of the names
    unsigned *lastNumbers;  // beside each, the last number it was given
    size_t nameSlots;
    size_t nameCount;
};

void StartTakenNames(TakenNames *taken);
void FreeTakenNames(TakenNames *taken);

// Returns: 1 when path names a file that this batch wrote (RecordWritten).
int IsTaken(const TakenNames *taken, const char *path);

// Makes path (capacity bytes, native text) the name of a file that this
// batch has not written: unchanged when it is free, else the next free name
// of the pattern "Read Me (2).txt", "Read Me (3).txt" (the number before
// the extension of the last component).
// Returns: kDone; kNoRoom when the numbered name does not fit capacity or
// kPathCharacters characters, or without memory (path is then unchanged).
int ChooseFreeName(TakenNames *taken, char *path, size_t capacity);

// Notes that this batch wrote the file at path (a device, such as a link
// to a console, is no file to keep from being replaced).
// Returns: kDone, or kNoRoom without memory.
int RecordWritten(TakenNames *taken, const char *path);

// Writes into out (capacity bytes) name with " (number)" before the
// extension of its last component: the part from its last dot, unless that
// dot starts the component.
// Returns: kDone, or kNoRoom when it does not fit.
int NumberedName(const char *name, unsigned number, char *out, size_t capacity);

#endif
