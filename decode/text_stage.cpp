// BinHex text stage: four significant characters become three bytes.
#include "decode/binhex.h"

#include "decode/block_io.h"

#include <cstdlib>
#include <cstring>

const char BinHexIdentification[] = "(This file must be converted with BinHex";

namespace {

// The 64 characters of the BinHex 4.0 encoding; a character's 6-bit value
// is its position here.
const char BinHexAlphabet[65] =
    "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

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

// The stage's lookup tables, built at the first use; they only ever hold
// these constants.
struct TextTables {
    // The 6-bit value of every byte, kSkippedClass for the skipped
    // characters. Bytes outside the alphabet count as 0, the value of '!':
    // a damaged character costs its own six bits and nothing else, and the
    // output keeps its length.
    unsigned char charClass[256];
    // The twelve bits of two characters at once, indexed by the first plus
    // 256 times the second, or kSkippedPair when either is skipped.
    uint16_t pairValue[kPairTableSize];
};

const TextTables &Tables()
{
    static TextTables table;
    static bool built = false;
    if (!built) {
        memset(table.charClass, 0, sizeof table.charClass);
        for (int i = 0; i < 64; i++)
            table.charClass[(unsigned char)BinHexAlphabet[i]] = (unsigned char)i;
        for (int c = 0; c < 256; c++)
            if (IsSkipped(c))
                table.charClass[c] = kSkippedClass;
        for (unsigned i = 0; i < kPairTableSize; i++) {
            unsigned first = table.charClass[i & 0xFF];
            unsigned second = table.charClass[i >> 8];
            table.pairValue[i] = ((first | second) & kSkippedClass) ? uint16_t(kSkippedPair)
                                                                    : uint16_t((first << 6) | second);
        }
        built = true;
    }
    return table;
}

// Returns: the offset from the start of the stream's current position of the
// first BinHexIdentification within kIdentificationSearchLimit bytes, or
// kNotFound (also without memory to search).
long FindIdentification(FILE *stream)
{
    unsigned char *block = static_cast<unsigned char *>(malloc(kSearchBlockSize));
    long found = kNotFound;
    if (block == nullptr)
        return kNotFound;
    const size_t length = strlen(BinHexIdentification);
    long blockStart = 0;     // offset of block[0]
    size_t have = 0;         // bytes in block
    while (found == kNotFound && blockStart + long(have) < kIdentificationSearchLimit) {
        size_t room = kSearchBlockSize - have;
        long left = kIdentificationSearchLimit - blockStart - long(have);
        if (long(room) > left)
            room = size_t(left);
        size_t got = fread(block + have, 1, room, stream);
        if (got == 0)
            break;
        have += got;
        const unsigned char *p = block;
        const unsigned char *end = block + have;
        while ((p = static_cast<const unsigned char *>(memchr(p, '(', size_t(end - p)))) != nullptr) {
            if (size_t(end - p) < length)
                break;                  // may continue in the next block
            if (memcmp(p, BinHexIdentification, length) == 0) {
                found = blockStart + long(p - block);
                break;
            }
            p++;
        }
        size_t keep = have < length - 1 ? have : length - 1;
        memmove(block, block + have - keep, keep);
        blockStart += long(have - keep);
        have = keep;
    }
    free(block);
    return found;
}

}  // namespace

int FindEncodedText(FILE *stream, char *firstLine)
{
    firstLine[0] = 0;
    long start = ftell(stream);
    long found = start < 0 ? kNotFound : FindIdentification(stream);
    if (found == kNotFound) {
        fseek(stream, start < 0 ? 0 : start, SEEK_SET);
        ReadTextLine(firstLine, kTextLineCapacity, stream);
        return kNotFound;
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
    return kDone;
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

void StartTextDecoder(TextDecoder *decoder)
{
    decoder->bits = 0;
    decoder->filled = 0;
}

void DecodeText(TextDecoder *decoder, const unsigned char *text, size_t length, BlockWriter *out)
{
    const uint16_t *pairValue = Tables().pairValue;
    const unsigned char *charClass = Tables().charClass;
    // Six bits per significant character; every fourth one completes 24 bits.
    unsigned long bits = decoder->bits;
    int filled = decoder->filled;
    const unsigned char *p = text;
    const unsigned char *end = text + length;
    while (p != end) {
        if (filled == 0) {
            // Between groups: whole groups of four significant characters
            // in a row, the usual text, go three bytes at a time; a skipped
            // character sends its group below.
            size_t groups = size_t(end - p) / 4;
            size_t room = (kStageBufferSize - out->length) / 3;
            if (room == 0) {
                if (FlushBlockWriter(out) != kDone)
                    break;
                continue;
            }
            if (groups > room)
                groups = room;
            unsigned char *o = out->bytes + out->length;
            const unsigned char *stop = p + groups * 4;
            while (p != stop) {
                unsigned high = pairValue[p[0] | (p[1] << 8)];
                unsigned low = pairValue[p[2] | (p[3] << 8)];
                if ((high | low) & kSkippedPair)
                    break;
                unsigned v = (high << 12) | low;
                o[0] = (unsigned char)(v >> 16);
                o[1] = (unsigned char)(v >> 8);
                o[2] = (unsigned char)v;
                o += 3;
                p += 4;
            }
            out->length = size_t(o - out->bytes);
            if (p == end)
                break;
        }
        // One character at a time.
        unsigned value = charClass[*p++];
        if (value & kSkippedClass)
            continue;
        bits = (bits << 6) | value;
        if (++filled == 4) {
            if (out->length + 3 > kStageBufferSize && FlushBlockWriter(out) != kDone)
                break;
            unsigned char *o = out->bytes + out->length;
            o[0] = (unsigned char)(bits >> 16);
            o[1] = (unsigned char)(bits >> 8);
            o[2] = (unsigned char)bits;
            out->length += 3;
            filled = 0;
            bits = 0;
        }
    }
    decoder->bits = bits;
    decoder->filled = filled;
}

void FinishTextDecoder(TextDecoder *decoder, BlockWriter *out)
{
    // Encoders end the text with a short group when the stream is not a
    // multiple of three bytes: two characters carry one whole byte, three
    // carry two. Those bytes are real (often the end of the resource fork,
    // when a run reaches into its CRC), so they are written; a lone
    // character carries no whole byte.
    if (decoder->filled == 2)
        PutByte(out, (unsigned char)(decoder->bits >> 4));
    if (decoder->filled == 3) {
        PutByte(out, (unsigned char)(decoder->bits >> 10));
        PutByte(out, (unsigned char)(decoder->bits >> 2));
    }
    decoder->filled = 0;
    decoder->bits = 0;
}

// The decoder's work as RunFileStage takes it.
static void DecodeTextBlock(void *decoder, const unsigned char *text, size_t length, BlockWriter *out)
{
    DecodeText(static_cast<TextDecoder *>(decoder), text, length, out);
}

static void FinishTextBlock(void *decoder, BlockWriter *out)
{
    FinishTextDecoder(static_cast<TextDecoder *>(decoder), out);
}

int DecodeTextStage(FILE *input, FILE *output)
{
    char firstLine[kTextLineCapacity + 2];
    FindEncodedText(input, firstLine);
    TextDecoder decoder;
    StartTextDecoder(&decoder);
    return RunFileStage(input, output, DecodeTextBlock, FinishTextBlock, &decoder);
}
