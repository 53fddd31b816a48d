// BinHex 4.0 decoding pipeline: text stage, run-length stage, stream layout
// and its checksums, the fork copy, and the whole pipeline in memory. The
// MacBinary format, read and written, is in macbinary.h.
//
// Every stage works on streams its caller opened; none of them opens,
// rewinds, flushes or closes a stream it was given. Each stage also works
// a block at a time (DecodeText, ExpandRuns) on a state of its own, so that
// the stages can run one into the next in memory.
#ifndef QUILLON_DECODE_BINHEX_H
#define QUILLON_DECODE_BINHEX_H

#include <cstdint>
#include <cstdio>

#include "decode/block_io.h"
#include "decode/result.h"

// ------------------------------------------------------------------ checksum

// BinHex's CRC: CRC-16/XMODEM (polynomial 0x1021, initial value 0, no
// reflection, no final xor; 0x31C3 for the nine bytes "123456789"). Each
// CRC of the stream is this CRC of the bytes before it, stored big-endian.
// (The classic description feeds two zero bytes through a bit-by-bit CRC at
// the end; that gives this same value.)
// Returns: crc carried over count more bytes.
uint16_t UpdateCrc16(uint16_t crc, const unsigned char *bytes, size_t count);

// ---------------------------------------------------------------- text stage

// Size of the first line that the text stage discards when the file has no
// identification line.
const int kTextLineCapacity = 128;

// What the identification line that BinHex encoders write before the
// encoded text begins with (the version number after it varies).
extern const char BinHexIdentification[];

// How far into a file the identification line is looked for. Mail headers,
// notes and tables of contents before it take a few KB; a file without one
// costs this much extra reading and no more.
const long kIdentificationSearchLimit = 1L << 20;

// Positions stream (a file, at its start) where the encoded text begins.
// The first line holding BinHexIdentification within the first
// kIdentificationSearchLimit bytes, indented or not, after any text and with
// any line ends, introduces it: the encoded text starts on the line after
// it, or at the colon when one follows its ')' on the same line (blanks
// between). Without that line, the first line (up to kTextLineCapacity
// characters) is read into firstLine, which needs kTextLineCapacity + 2
// bytes, and skipped.
// Returns: kDone when the identification line was found (firstLine is then
// empty), kNotFound when it was not.
int FindEncodedText(FILE *stream, char *firstLine);

// Reads one text line into buffer, which must have room for capacity + 2
// bytes. A line end (CR, LF, CR LF or LF CR) ends the line and is stored;
// the byte after a lone CR or LF is pushed back.
// Returns: the number of characters stored (line-end characters included),
// 0 at once when capacity is 1 or less.
int ReadTextLine(char *buffer, int capacity, FILE *stream);

// What the text stage carries from one block of text to the next: the
// characters of a group not yet complete.
struct TextDecoder {
    unsigned long bits;    // six bits a character
    int filled;            // characters in bits, 0 to 3
};

void StartTextDecoder(TextDecoder *decoder);

// Decodes length bytes of encoded text into out: CR, LF, colon and blanks
// (space and tab: mail programs add them) are skipped; every four other
// characters give three bytes, each character worth its position in the
// BinHex 4.0 alphabet ("!" to "r", without 7, O, W, g, n and o), a byte
// outside it 0. Stops early when out fails.
void DecodeText(TextDecoder *decoder, const unsigned char *text, size_t length, BlockWriter *out);

// At the end of the text: the whole bytes of a short last group (one for
// two characters, two for three) go to out.
void FinishTextDecoder(TextDecoder *decoder, BlockWriter *out);

// The whole text stage: skips what comes before the encoded text (see
// FindEncodedText), then decodes the rest of input to output.
// Returns: kDone when the end of the input was reached; kWriteFailed when a
// write to the output failed (the stage stops there); kNoRoom without
// memory for its buffers.
int DecodeTextStage(FILE *input, FILE *output);

// ----------------------------------------------------------- run-length stage

const unsigned char kRunMarker = 0x90;

// What the run-length stage carries from one block to the next.
struct RunLengthState {
    unsigned char previous;   // the byte a count repeats
    int markerPending;        // the last byte given was a marker: its count comes next
};

void StartRunLength(RunLengthState *state);

// Expands length bytes into out. The byte that a count repeats is the first
// byte of the previous step as read (0x90 after a marker step), 0x00 at the
// start; a count of 0 is a literal 0x90. A marker at the end of all input,
// without its count, writes nothing. Stops early when out fails.
void ExpandRuns(RunLengthState *state, const unsigned char *bytes, size_t length, BlockWriter *out);

// The whole run-length stage, from input to output.
// Returns: as DecodeTextStage.
int ExpandRunLength(FILE *input, FILE *output);

// ---------------------------------------------------------- stream layout
//
// The expanded stream: the header (name length n, n name bytes, then the
// 21-byte fixed part: version, type, creator, Finder flags, data fork
// length D, resource fork length R, header CRC; numbers big-endian), the
// data fork and its 2-byte CRC, the resource fork and its CRC. The version
// is not read.

const int kFixedPartSize = 21;
const int kFixedTypeCreator = 1;      // 8 bytes: type then creator
const int kFixedFinderFlags = 9;      // 2 bytes
const int kFixedDataLength = 11;      // 4 bytes
const int kFixedResourceLength = 15;  // 4 bytes
const int kFixedHeaderCrc = 19;       // 2 bytes: the CRC of all that comes before
const int kForkCrcSize = 2;

// The header fields the program reads (the MacBinary reader fills the
// same record). The name holds at most kHeaderNameCapacity bytes, all a
// length byte can say.
const int kHeaderNameCapacity = 255;
struct BinHexHeader {
    unsigned char nameLength;                     // n, as in the stream
    unsigned char name[kHeaderNameCapacity + 1];  // n bytes, then a zero
    unsigned char typeCreator[8];                 // as in the stream
    uint16_t finderFlags;                         // the Finder's flags for the file
    uint32_t dataLength;                          // D
    uint32_t resourceLength;                      // R
};

// The largest header: the length byte, 255 name bytes and the fixed part.
const size_t kLongestHeader = 1 + kHeaderNameCapacity + kFixedPartSize;

// Returns: the four bytes at p read as a big-endian unsigned number.
uint32_t ReadBigEndian32(const unsigned char *p);

// Stores value at p as four big-endian bytes.
void StoreBigEndian32(unsigned char *p, uint32_t value);

// Copies the type-and-creator bytes as a text: stops at the first zero byte
// and zero-fills the rest of the 9-byte destination (8 characters + NUL).
void CopyTypeCreator(char destination[9], const unsigned char typeCreator[8]);

// Reads the header's fields from the first length bytes of an expanded
// stream. The header CRC is not looked at and need not be there.
// Returns: kDone, or kCut when the bytes end before the resource fork
// length (header is then not to be used).
int ParseBinHexHeader(const unsigned char *bytes, size_t length, BinHexHeader *header);

// Stream offsets of the forks, from the start of the expanded stream.
inline uint64_t DataForkOffset(const BinHexHeader *header)
{
    return uint64_t(header->nameLength) + 1 + kFixedPartSize;
}
inline uint64_t ResourceForkOffset(const BinHexHeader *header)
{
    return DataForkOffset(header) + header->dataLength + kForkCrcSize;
}

// Reads the two CRC bytes that follow a fork in stream and compares them
// with crc, the fork's own.
// Returns: kDone when they match, kDamaged, or kCut when the stream ends
// first.
int CheckForkCrc(FILE *stream, uint16_t crc);

// What a copy found of each fork's CRC (as StreamCheck; kPending for a fork
// it did not reach or that has none).
struct ForkChecks {
    int data;
    int resource;
};

// Checks an expanded stream handed over in pieces of any size: the header,
// then each fork, against their CRCs. Each part's result is kPending until
// its CRC has come, then kDone or kDamaged, or kCut when the stream ended
// first. Bytes after the resource fork's CRC are ignored.
struct StreamCheck {
    int stage;                             // which part the next bytes belong to
    unsigned char header[kLongestHeader];  // the header as it comes
    size_t headerLength;                   // bytes of it so far
    size_t headerSize;                     // all of it, CRC included, once n is known
    BinHexHeader fields;                   // once the header is whole
    uint64_t left;                         // bytes of the current fork, or its CRC, to come
    uint16_t crc;                          // of the current fork so far
    uint16_t stored;                       // its stored CRC, as it comes
    int headerPart;                        // what the check found of the header
    int dataPart;                          // ... of the data fork
    int resourcePart;                      // ... of the resource fork
};

void StartStreamCheck(StreamCheck *check);
void CheckStreamBytes(StreamCheck *check, const unsigned char *bytes, size_t length);
// At the end of the stream: every part still pending is cut.
void EndStreamCheck(StreamCheck *check);

// ------------------------------------------------------ the pipeline in memory

// Reads the header of the BinHex file input, from its start, in memory:
// the encoded text (FindEncodedText), at most kHeaderSearchBytes bytes of it
// decoded, expanded, and the header checked against its CRC.
// Returns: kDone with header filled; kCut when the header is missing or
// cut, kDamaged when it does not match its CRC (the file is not correct
// BinHex either way); kNoRoom without memory for the stages.
const size_t kHeaderSearchBytes = 3072;
int ReadCheckedHeader(FILE *input, BinHexHeader *header);

// Decodes the whole BinHex file input, from its start, in memory, and
// checks the header and both forks against their CRCs (check tells).
// Returns: kDone, or kNoRoom without memory for the stages.
int CheckBinHexFile(FILE *input, StreamCheck *check);

// ---------------------------------------------------------------- fork copy

const int kCopyBufferSize = 40960;

// Copies count bytes from the current position of source to the current
// position of destination, in blocks of kCopyBufferSize, stopping as soon
// as a read yields nothing; *crc is carried over the bytes copied (crc
// null: a fork without a CRC, none is computed).
// Returns: kDone; kCut when the source ended before count bytes;
// kWriteFailed.
int CopyBytes(FILE *source, FILE *destination, uint32_t count, uint16_t *crc);

#endif
