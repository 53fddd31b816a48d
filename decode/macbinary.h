// MacBinary: one file holding a Macintosh file's header and both of its
// forks. The writer makes MacBinary II files from the expanded BinHex
// stream; the reader tells a MacBinary file (I, II or III) from other data
// and says where its forks lie.
//
// The 128-byte header: 0 zero; 1 the name length (1 to 63); 2 the name;
// 65 type; 69 creator; 73 the Finder flags' high byte; 74 zero; 75 to 81
// the file's place in its window and folder, and the protected flag; 82
// zero; 83 the data fork length; 87 the resource fork length; 91 the
// creation date; 95 the modification date (seconds since 1904-01-01, local
// time); 99 the length of the Get Info comment that may follow the forks;
// 101 the Finder flags' low byte; 102 "mBIN" in MacBinary III; 120 the
// length of a secondary header before the data fork; 122 the version that
// wrote it, 123 the oldest that reads it (129 for II, 130 for III); 124 the
// CRC-16/XMODEM of bytes 0 to 123. Numbers are big-endian. Each fork starts
// on a multiple of 128 bytes.
#ifndef QUILLON_DECODE_MACBINARY_H
#define QUILLON_DECODE_MACBINARY_H

#include <cstdint>
#include <cstdio>

#include "decode/binhex.h"

const int kMacBinaryHeaderSize = 128;
const int kMacBinaryNameCapacity = 63;
const int kMacBinaryNameLength = 1;
const int kMacBinaryName = 2;
const int kMacBinaryTypeCreator = 65;
const int kMacBinaryFlagsHigh = 73;
const int kMacBinaryZeroFill = 74;
const int kMacBinaryZeroFill2 = 82;
const int kMacBinaryDataLength = 83;
const int kMacBinaryResourceLength = 87;
const int kMacBinaryCreated = 91;
const int kMacBinaryModified = 95;
const int kMacBinaryCommentLength = 99;
const int kMacBinaryFlagsLow = 101;
const int kMacBinarySecondaryLength = 120;
const int kMacBinaryVersion = 122;
const int kMacBinaryMinimumVersion = 123;
const int kMacBinaryCrc = 124;
const int kMacBinaryCrcCovers = 124;      // bytes 0 to 123

// What the writer puts in both version bytes: MacBinary II.
const unsigned char kMacBinaryIIVersion = 129;

// The Finder flags that describe one Mac's desktop rather than the file:
// on the desktop (bit 0) and placed in its window (bit 8). They are
// cleared when a file is written; the others (bundle, invisible, alias,
// custom icon, stationery, locked name...) go over.
const uint16_t kDesktopFinderFlags = 0x0101;

struct MacBinaryHeader {
    unsigned char bytes[kMacBinaryHeaderSize];
};

// Builds the MacBinary II header for header (name, type and creator,
// Finder flags, fork lengths), both dates set to date (seconds since
// 1904-01-01, local time), with its CRC. A name longer than 63 bytes keeps
// its first 63 bytes and the length byte says 63.
void BuildMacBinaryHeader(MacBinaryHeader *out, const BinHexHeader *header, uint32_t date);

// Writes the MacBinary file of header and its forks to output (new and
// empty): the header (BuildMacBinaryHeader), the data fork, the resource
// fork, each padded with zeros to a multiple of 128 bytes and checked
// against its CRC. input is the expanded stream, at its data fork.
// Returns: kDone, or the first failure of its copies (kCut when a fork or
// its CRC is cut short: what there was is written).
int WriteMacBinary(const BinHexHeader *header, uint32_t date, FILE *input, FILE *output, ForkChecks *checks);

// Where the forks of a MacBinary file lie, from its start.
struct MacBinaryLayout {
    uint64_t dataOffset;
    uint64_t resourceOffset;
    uint64_t end;             // where the last fork ends: a file shorter than this is cut
};

// Reads the first length bytes of a file of fileSize bytes as a MacBinary
// header. They make one when bytes 0 and 74 are zero and the name is 1 to
// 63 bytes long, and either
//   - the header's CRC matches: MacBinary II or III, whatever its version
//     bytes say (some writers leave them 0), even in a file cut short; or
//   - without it, the MacBinary I checks: byte 82 zero, no zero byte in the
//     name, zeros where MacBinary II puts its fields (bytes 99 to 125),
//     fork lengths below 2 GiB that fileSize holds (the last fork unpadded
//     or not), and dates that are set, or else a file of exactly the size
//     of the header and its forks (as MacBinary I writers without dates,
//     this program's earlier versions among them, left it).
// Padding, a Get Info comment after the forks and the version bytes are
// not looked at.
// Returns: kDone with header (name, type and creator, Finder flags, fork
// lengths) and layout; kNotFound when the bytes make no MacBinary header.
int ParseMacBinaryHeader(const unsigned char *bytes, size_t length, uint64_t fileSize, BinHexHeader *header,
                         MacBinaryLayout *layout);

#endif
