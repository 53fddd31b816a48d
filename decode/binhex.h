// BinHex 4.0 decoding pipeline: text stage, run-length stage, stream layout
// and the MacBinary writer.
//
// Every stage works on streams its caller opened; none of them opens,
// rewinds, flushes or closes a stream it was given.
#ifndef QUILLON_DECODE_BINHEX_H
#define QUILLON_DECODE_BINHEX_H

#include <cstdint>
#include <cstdio>

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
// Returns: 1 when the identification line was found (firstLine is then
// empty), 0 when it was not.
int FindEncodedText(FILE *stream, char *firstLine);

// Reads one text line into buffer, which must have room for capacity + 2
// bytes. A line end (CR, LF, CR LF or LF CR) ends the line and is stored;
// the byte after a lone CR or LF is pushed back.
// Returns: the number of characters stored (line-end characters included),
// 0 at once when capacity is 1 or less.
int ReadTextLine(char *buffer, int capacity, FILE *stream);

// Fills group[0..3] with the next four significant characters, skipping CR,
// LF, colon and blanks (space and tab: mail programs add them).
// Returns: 0 when four characters were stored, 1 when the input ended first
// (the positions not reached keep their earlier content).
int ReadCharGroup(FILE *stream, unsigned char group[4]);

// Replaces the four characters of group by three decoded bytes and a zero:
// each character is worth its position in the BinHex 4.0 alphabet
// ("!" to "r", without 7, O, W, g, n and o), a byte outside it 0.
void DecodeCharGroup(unsigned char group[4]);

// The whole text stage: skips what comes before the encoded text (see
// FindEncodedText), then writes three bytes for every four significant
// characters, and the whole bytes of a short last group (one for two
// characters, two for three).
// Returns: 1 when the end of the input was reached, -1 when a write to the
// output failed (the stage stops there).
int DecodeTextStage(FILE *input, FILE *output);

// ----------------------------------------------------------- run-length stage

const unsigned char kRunMarker = 0x90;

// Expands BinHex run-length encoding from input to output. The byte that a
// count repeats is the first byte of the previous step as read (0x90 after
// a marker step), 0x00 at the start.
// Returns: 1 when the end of the input was reached, -1 when a write failed
// (the stage stops there).
int ExpandRunLength(FILE *input, FILE *output);

// The same expansion from memory to memory, with the stage's own code, for
// the first bytes of a file (at most kRunLengthMemoryInput of them). What
// does not fit in capacity bytes is dropped.
// Returns: the number of bytes written to out.
const size_t kRunLengthMemoryInput = 65536;
size_t ExpandRunLengthInMemory(const unsigned char *in, size_t length, unsigned char *out,
                               size_t capacity);

// ---------------------------------------------------------- stream layout
//
// The expanded stream: the header (name length n, n name bytes, then the
// 21-byte fixed part: version, type, creator, Finder flags, data fork
// length D, resource fork length R, header CRC; numbers big-endian), the
// data fork and its 2-byte CRC, the resource fork and its CRC. No CRC is
// checked, and the version and Finder flags are not read.

const int kFixedPartSize = 21;
const int kFixedTypeCreator = 1;      // 8 bytes: type then creator
const int kFixedDataLength = 11;      // 4 bytes
const int kFixedResourceLength = 15;  // 4 bytes
const int kForkCrcSize = 2;

// The header fields the program reads. The name holds at most
// kHeaderNameCapacity bytes, all a length byte can say.
const int kHeaderNameCapacity = 255;
struct BinHexHeader {
    unsigned char nameLength;                     // n, as in the stream
    unsigned char name[kHeaderNameCapacity + 1];  // n bytes, then a zero
    unsigned char typeCreator[8];                 // as in the stream
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
// stream. The header CRC, which nothing reads, need not be there.
// Returns: 0, or -1 when the bytes end before the resource fork length
// (header is then not to be used).
int ParseBinHexHeader(const unsigned char *bytes, size_t length, BinHexHeader *header);

// Reads the header from the current position of stream (normally its start)
// and leaves the stream at the data fork.
// Returns: 0 when the length byte, the name and the 21 fixed bytes were all
// read; -1 when the stream ended first (header is then not to be used).
int ReadBinHexHeader(FILE *stream, BinHexHeader *header);

// Stream offsets of the forks, from the start of the expanded stream.
inline uint64_t DataForkOffset(const BinHexHeader *header)
{
    return uint64_t(header->nameLength) + 1 + kFixedPartSize;
}
inline uint64_t ResourceForkOffset(const BinHexHeader *header)
{
    return DataForkOffset(header) + header->dataLength + kForkCrcSize;
}

// ----------------------------------------------------------- MacBinary writer

const int kMacBinaryHeaderSize = 128;
const int kMacBinaryNameCapacity = 63;
const int kMacBinaryNameLength = 1;
const int kMacBinaryName = 2;
const int kMacBinaryTypeCreator = 65;
const int kMacBinaryDataLength = 83;
const int kMacBinaryResourceLength = 87;

struct MacBinaryHeader {
    unsigned char bytes[kMacBinaryHeaderSize];
};

// Builds the MacBinary I header for a BinHex header. A name longer than 63
// bytes keeps its first 63 bytes and the length byte says 63.
void BuildMacBinaryHeader(MacBinaryHeader *out, const BinHexHeader *header);

// Result codes shared by CopyBytes and WriteMacBinary.
const int kCopyDone = 0;
const int kCopyShortSource = -2;  // the source ended before count bytes
const int kCopyWriteFailed = -3;  // a write to the destination failed

const int kCopyBufferSize = 40960;

// Copies count bytes from the current position of source to the current
// position of destination, in blocks of kCopyBufferSize through one static
// buffer, stopping as soon as a read yields nothing.
// Returns: kCopyDone, kCopyShortSource or kCopyWriteFailed.
int CopyBytes(FILE *source, FILE *destination, uint32_t count);

// Writes the MacBinary file of header and its forks to output (new and
// empty): header, data fork, padding to a multiple of 128 when a resource
// fork follows, resource fork. input is the expanded stream, at its data
// fork (where ReadBinHexHeader leaves it).
// Returns: kCopyDone, or the first failure of its copies (kCopyShortSource
// when a fork is cut short: what there was is written).
int WriteMacBinary(const BinHexHeader *header, FILE *input, FILE *output);

#endif
