// A straightforward BinHex 4.0 decoder, one getc and one putc per byte,
// written from the format description and sharing nothing with decode/ or
// extract/. It is the yardstick of the fast path: the tests and the
// benchmark compare what the program writes with what this writes.
#ifndef QUILLON_BENCH_REFERENCE_DECODE_H
#define QUILLON_BENCH_REFERENCE_DECODE_H

#include <cstdint>
#include <cstdio>

// BinHex text to the run-length coded bytes (the .bqx file): the first line
// (up to 128 characters and its line end) is dropped; CR, LF and colon are
// skipped everywhere; every four other characters give three bytes, a
// character outside the alphabet counting as 0; a short last group of two
// or three characters gives its one or two whole bytes.
void ReferenceTextStage(FILE *in, FILE *out);

// Run-length coded bytes to the expanded stream (the .bix file): 0x90 and a
// count N repeat the previous step's first byte N - 1 more times (the
// previous step's first byte is 0x90 after a marker, 0x00 at the start);
// 0x90 0x00 is one 0x90; a marker without a count gives nothing.
void ReferenceRunLength(FILE *in, FILE *out);

// Header fields of an expanded stream, read a byte at a time.
struct ReferenceHeader {
    unsigned nameLength;
    unsigned char name[256];
    unsigned char fixed[21];        // version, type, creator, flags, D, R, CRC
    uint32_t dataLength;
    uint32_t resourceLength;
};

// Returns: 0, -1 when the stream is too short to hold a header.
int ReferenceReadHeader(FILE *bix, ReferenceHeader *header);

// Copies the data fork (fork 0) or the resource fork (fork 1) of the
// expanded stream to out, as far as the stream holds it.
void ReferenceCopyFork(FILE *bix, const ReferenceHeader *header, int fork, FILE *out);

// The MacBinary I file of the expanded stream: 128-byte header (name of at
// most 63 bytes, type and creator as a text, the two length fields as they
// stand), data fork, zeros to a multiple of 128 when a resource fork
// follows, resource fork.
void ReferenceMacBinary(FILE *bix, const ReferenceHeader *header, FILE *out);

#endif
