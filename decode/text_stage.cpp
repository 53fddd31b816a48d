// BinHex text stage: four significant characters become three bytes.
#include "decode/binhex.h"

#include "decode/block_io.h"

#include <cstring>


const char BinHexIdentification[] = "(This file must be converted with BinHex";

namespace {

// The 64 characters of the BinHex 4.0 encoding; a character's 6-bit value
// is its position here.
const char BinHexAlphabet[65] =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

// Returns: the 6-bit value of every byte, built at the first call. Bytes
// outside the alphabet count as 0, the value of '!': a damaged character
// costs its own six bits and nothing else, and the output keeps its length.
// (The skipped characters never get that far.)
const unsigned char *BinHexValues()
{
    static unsigned char values[256];
    static bool built = false;
    if (!built) {
        for (int i = 0; i < 64; i++)
            values[(unsigned char)BinHexAlphabet[i]] = (unsigned char)i;
        built = true;
    }
    return values;
}

const int kCR = 0x0D;
const int kLF = 0x0A;
const int kColon = 0x3A;
const int kSpace = 0x20;
const int kTab = 0x09;

// Marks the skipped characters in the text stage's table of character
// values, which otherwise hold 0 to 63.
const unsigned kSkippedClass = 0x80;

// The same mark in the table of character pairs, whose values hold 12 bits.
const unsigned kSkippedPair = 0x8000;
const unsigned kPairTableSize = 65536;

// The search reads the file in blocks; each block starts with the last
// bytes of the one before, so that an identification across two blocks is
// still seen whole.
const size_t kSearchBlockSize = 65536;

// Characters that take no place in a group: line ends, the colons around
// the text, and the blanks that mail programs add.
inline bool IsSkipped(int c)
{
    return c == kCR || c == kLF || c == kColon || c == kSpace || c == kTab;
}

inline bool IsLineEndPair(int first, int second)
{
    return (first == kCR && second == kLF) || (first == kLF && second == kCR);
}

// Returns: the offset from the start of the stream's current position of the
// first BinHexIdentification within kIdentificationSearchLimit bytes, or -1.
long FindIdentification(FILE *stream)
{
    static unsigned char block[kSearchBlockSize];
    const size_t length = strlen(BinHexIdentification);
    long blockStart = 0;     // offset of block[0]
    size_t have = 0;         // bytes in block
    while (blockStart + long(have) < kIdentificationSearchLimit) {
        size_t room = kSearchBlockSize - have;
        long left = kIdentificationSearchLimit - blockStart - long(have);
        if (long(room) > left)
            room = size_t(left);
        size_t got = fread(block + have, 1, room, stream);
        if (got == 0)
            return -1;
        have += got;
        const unsigned char *p = block;
        const unsigned char *end = block + have;
        while ((p = static_cast<const unsigned char *>(memchr(p, '(', size_t(end - p)))) != nullptr) {
            if (size_t(end - p) < length)
                break;                  // may continue in the next block
            if (memcmp(p, BinHexIdentification, length) == 0)
                return blockStart + long(p - block);
            p++;
        }
        size_t keep = have < length - 1 ? have : length - 1;
        memmove(block, block + have - keep, keep);
        blockStart += long(have - keep);
        have = keep;
    }
    return -1;
}

}  // namespace

int FindEncodedText(FILE *stream, char *firstLine)
{
    firstLine[0] = 0;
    long start = ftell(stream);
    long found = start < 0 ? -1 : FindIdentification(stream);
    if (found < 0) {
        fseek(stream, start < 0 ? 0 : start, SEEK_SET);
        ReadTextLine(firstLine, kTextLineCapacity, stream);
        return 0;
    }
    fseek(stream, start + found + long(strlen(BinHexIdentification)), SEEK_SET);
    // The rest of the line goes, unless a colon follows its ')': the text
    // then starts there. A line end's partner is skipped like any line end.
    bool closed = false;
    for (int c = getc(stream); c != EOF && c != kCR && c != kLF; c = getc(stream)) {
        if (closed || c != ')')
            continue;
        closed = true;
        do
            c = getc(stream);
        while (c == kSpace || c == kTab);
        if (c == kColon || c == EOF || c == kCR || c == kLF)
            break;
    }
    return 1;
}

int ReadTextLine(char *buffer, int capacity, FILE *stream)
{
    if (capacity <= 1)
        return 0;
    int count = 0;
    for (int i = 0; i < capacity; i++) {
        int c = getc(stream);
        if (c == EOF)
            break;
        buffer[count++] = char(c);
        if (c == kCR || c == kLF) {
            int d = getc(stream);
            if (d != EOF && IsLineEndPair(c, d))
                buffer[count++] = char(d);
            else if (d != EOF)
                ungetc(d, stream);
            break;
        }
    }
    buffer[count] = 0;
    return count;
}

int ReadCharGroup(FILE *stream, unsigned char group[4])
{
    int filled = 0;
    while (filled < 4) {
        int c = getc(stream);
        if (c == EOF)
            return 1;
        if (!IsSkipped(c))
            group[filled++] = (unsigned char)c;
    }
    return 0;
}

void DecodeCharGroup(unsigned char group[4])
{
    const unsigned char *value = BinHexValues();
    unsigned w = value[group[0]];
    unsigned x = value[group[1]];
    unsigned y = value[group[2]];
    unsigned z = value[group[3]];
    group[0] = (unsigned char)((w << 2) | (x >> 4));
    group[1] = (unsigned char)(((x & 0x0F) << 4) | (y >> 2));
    group[2] = (unsigned char)(((y & 0x03) << 6) | z);
    group[3] = 0;
}

int DecodeTextStage(FILE *input, FILE *output)
{
    static BlockReader reader;
    static BlockWriter writer;
    char firstLine[kTextLineCapacity + 2];
    FindEncodedText(input, firstLine);
    OpenBlockReader(&reader, input);
    OpenBlockWriter(&writer, output);

    // The value of every byte, or kSkippedClass for the skipped characters.
    unsigned char charClass[256];
    for (int c = 0; c < 256; c++)
        charClass[c] = IsSkipped(c) ? kSkippedClass : BinHexValues()[c];

    // The twelve bits of two characters at once, indexed by the first plus
    // 256 times the second, or kSkippedPair when either is skipped. Built
    // at the first call; it only ever holds these constants.
    static uint16_t pairValue[kPairTableSize];
    static bool pairValueBuilt = false;
    if (!pairValueBuilt) {
        for (unsigned i = 0; i < kPairTableSize; i++) {
            unsigned first = charClass[i & 0xFF];
            unsigned second = charClass[i >> 8];
            pairValue[i] = ((first | second) & kSkippedClass) ? uint16_t(kSkippedPair)
                                                               : uint16_t((first << 6) | second);
        }
        pairValueBuilt = true;
    }

    // Six bits per significant character; every fourth one completes 24 bits.
    unsigned long bits = 0;
    int filled = 0;
    for (;;) {
        if (reader.position == reader.length && !RefillBlockReader(&reader))
            break;
        const unsigned char *p = reader.bytes + reader.position;
        const unsigned char *end = reader.bytes + reader.length;
        while (p != end) {
            if (filled == 0) {
                // Between groups: whole groups of four significant
                // characters in a row, the usual text, go three bytes at
                // a time; a skipped character sends its group below.
                size_t groups = size_t(end - p) / 4;
                size_t room = (kStageBufferSize - writer.length) / 3;
                if (room == 0) {
                    FlushBlockWriter(&writer);
                    room = kStageBufferSize / 3;
                }
                if (groups > room)
                    groups = room;
                unsigned char *out = writer.bytes + writer.length;
                const unsigned char *stop = p + groups * 4;
                while (p != stop) {
                    unsigned high = pairValue[p[0] | (p[1] << 8)];
                    unsigned low = pairValue[p[2] | (p[3] << 8)];
                    if ((high | low) & kSkippedPair)
                        break;
                    unsigned v = (high << 12) | low;
                    out[0] = (unsigned char)(v >> 16);
                    out[1] = (unsigned char)(v >> 8);
                    out[2] = (unsigned char)v;
                    out += 3;
                    p += 4;
                }
                writer.length = size_t(out - writer.bytes);
                if (p == end)
                    break;
            }
            // One character at a time.
            unsigned value = charClass[*p++];
            if (value & kSkippedClass)
                continue;
            bits = (bits << 6) | value;
            if (++filled == 4) {
                if (writer.length + 3 > kStageBufferSize)
                    FlushBlockWriter(&writer);
                unsigned char *out = writer.bytes + writer.length;
                out[0] = (unsigned char)(bits >> 16);
                out[1] = (unsigned char)(bits >> 8);
                out[2] = (unsigned char)bits;
                writer.length += 3;
                filled = 0;
                bits = 0;
            }
        }
        reader.position = reader.length;
    }
    // Encoders end the text with a short group when the stream is not a
    // multiple of three bytes: two characters carry one whole byte, three
    // carry two. Those bytes are real (often the end of the resource fork,
    // when a run reaches into its CRC), so they are written; a lone
    // character carries no whole byte.
    if (filled == 2)
        PutByte(&writer, (unsigned char)(bits >> 4));
    if (filled == 3) {
        PutByte(&writer, (unsigned char)(bits >> 10));
        PutByte(&writer, (unsigned char)(bits >> 2));
    }
    return FlushBlockWriter(&writer) < 0 ? -1 : 1;
}
