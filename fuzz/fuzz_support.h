// Helpers shared by the fuzz targets: in-memory streams over fixed buffers,
// a private scratch folder for the entry points that take a path, and the
// front-end seam that the core expects.
#ifndef QUILLON_FUZZ_SUPPORT_H
#define QUILLON_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// A stream that reads the given bytes (which must outlive it). At most
// eight memory streams are open at a time.
FILE *OpenReadStream(const uint8_t *data, size_t size);

// An empty stream over buffer, open for update, that grows up to capacity
// bytes; a write beyond that fails as on a full disk.
FILE *OpenScratchStream(unsigned char *buffer, size_t capacity);

// Bytes written to a scratch stream so far (its end), after a flush.
size_t StreamLength(FILE *stream);

// Path of a file named `name` in this process's scratch folder (created
// on first use, in /dev/shm when it exists so that nothing touches a disk).
const char *ScratchPath(const char *name);

// Writes size bytes to path, replacing it. Aborts when that fails: a fuzz
// run on a broken scratch folder would report nothing useful.
void WriteWholeFile(const char *path, const uint8_t *data, size_t size);

// The text stage done one character at a time with the operations that
// the information panel uses: the start found by FindEncodedText, then
// DecodeCharGroup on every four significant characters. A short last group
// of two or three characters gives its one or two whole bytes when
// withShortGroup is set, nothing otherwise (the panel's rule).
std::vector<unsigned char> SlowTextStage(const uint8_t *data, size_t size, bool withShortGroup);

// Stops the run with a message on stderr; libFuzzer records the input.
[[noreturn]] void FuzzFailure(const char *what);
#define FUZZ_CHECK(condition) \
    do { if (!(condition)) FuzzFailure(#condition); } while (0)

#endif
