// The benchmark's own BinHex 4.0 encoder and the data it encodes.
//
// Written from the format alone and kept apart from the decoder: it shares
// no code with decode/ or extract/, so a decoding fault cannot hide behind an
// encoding fault of the same origin. bench/check-generator proves its output
// against macutils' hexbin, which verifies every CRC.
#ifndef QUILLON_BENCH_HQX_ENCODE_H
#define QUILLON_BENCH_HQX_ENCODE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

// ------------------------------------------------------------ fork contents

// Kinds of fork contents, all drawn from one seeded generator.
const int kDataRandom = 1;     // uniform random bytes: runs of 3 are rare
const int kDataRuns = 2;       // runs of 3 to 600 bytes, many 0x90 bytes,
                               // short random stretches between
const int kDataResource = 3;   // resource-like: zero runs, Mac text, 0x90

struct DataSource {
    uint64_t state;            // xorshift64* state
    int kind;
    int segmentType;           // what the current segment repeats or draws
    uint32_t segmentLeft;      // bytes left in the current segment
    unsigned char segmentByte;
    uint32_t textPosition;
};

void StartDataSource(DataSource *source, int kind, uint64_t seed);

// Appends the next count bytes of the source's stream to out. The stream
// does not depend on how it is cut into calls.
void FillData(DataSource *source, unsigned char *out, size_t count);

// ------------------------------------------------------------- the encoder

const size_t kHqxOutputBuffer = 1 << 20;
const int kHqxLineLength = 64;

// One BinHex 4.0 text being written: CRC, run-length coding, 6-bit
// characters, lines of 64 characters. With out null it only counts the
// characters it would write.
struct HqxWriter {
    FILE *out;
    uint64_t written;          // characters written (line ends and colons too)
    int failed;
    uint16_t crc;              // CRC-16/XMODEM of the section so far
    int runByte;               // byte of the pending run, -1 when none
    unsigned runLength;
    uint32_t bits;             // pending 8-bit bytes for the 6-bit coder
    int bitCount;
    int column;
    size_t length;
    unsigned char *buffer;     // kHqxOutputBuffer bytes when out is set
};

// Starts a text: the identification line, then the opening colon.
// Returns: 0, -1 when no buffer could be had.
int HqxBegin(HqxWriter *w, FILE *out);

// Adds bytes of the stream (header, fork) to the current CRC section.
void HqxPut(HqxWriter *w, const unsigned char *bytes, size_t count);

// Ends a CRC section: writes its CRC, big-endian, and starts the next.
void HqxPutCrc(HqxWriter *w);

// Ends the text: the last run and group, the closing colon and a line end.
// Returns: 0, -1 when a write failed. Releases the buffer.
int HqxEnd(HqxWriter *w);

// CRC-16/XMODEM (polynomial 0x1021, start 0): BinHex's CRC.
uint16_t Crc16Update(uint16_t crc, const unsigned char *bytes, size_t count);

// ------------------------------------------------------ benchmark files

// File kinds of the benchmark.
const int kFileRandom = 1;     // data fork of random bytes, no resource fork
const int kFileRuns = 2;       // data fork of runs and 0x90 bytes
const int kFileBoth = 3;       // both forks: random data, resource-like rsrc

struct BenchFile {
    int kind;
    uint64_t seed;
    uint64_t targetSize;       // wanted size of the .hqx text, roughly
    uint32_t dataLength;       // D and R, set by SizeBenchFile
    uint32_t resourceLength;
    char name[32];             // Macintosh name, ASCII
    char typeCreator[9];
};

// Chooses D and R so that the text comes to about targetSize bytes (in
// steps of 61 bytes of fork below 1 MB, of 65521 bytes above).
// Returns: 0, -1 when the size cannot be reached (a fork over 4 GB).
int SizeBenchFile(BenchFile *file);

// Chooses D and R so that the MacBinary file (WriteBenchMacBinary) comes to
// about targetSize bytes: half of it each, neither a multiple of 128.
// Returns: 0, -1 when targetSize is under 1 KB or over 4 GB.
int SizeBenchMacBinary(BenchFile *file);

// Writes the BinHex text of the file to hqxPath and, when the paths are not
// null, its two forks as they should come out of a decoder.
// Returns: 0, -1 when a file could not be written.
int WriteBenchFile(const BenchFile *file, const char *hqxPath, const char *dataPath,
                   const char *rsrcPath);

// Writes the MacBinary II file of the file to binPath: the 128-byte header
// (name, type and creator, lengths, both dates set, version 129, CRC), then
// each fork padded with zeros to a multiple of 128 bytes; and, when the
// paths are not null, its two forks as they should come out of a reader.
// Returns: 0, -1 when a file could not be written.
int WriteBenchMacBinary(const BenchFile *file, const char *binPath, const char *dataPath,
                        const char *rsrcPath);

// Fills a BenchFile for a kind name ("random", "runs", "both").
// Returns: 0, -1 for an unknown name.
int SetUpBenchFile(BenchFile *file, const char *kindName, uint64_t targetSize, uint64_t seed);

#endif
