// BinHex run-length stage: 0x90 followed by a count.
#include "decode/binhex.h"

#include "decode/block_io.h"

#include <cstdint>
#include <cstring>

namespace {

// Room one step needs in the output buffer: a run of 255 writes 254 bytes,
// in eight-byte stores that may pass its end by up to 7.
const size_t kLongestStep = 264;

// Whether any of the 8 bytes of word is the marker (the classic test for
// a zero byte, applied to word with the marker taken out).
inline bool HasMarker(uint64_t word)
{
    const uint64_t ones = 0x0101010101010101ull;
    uint64_t x = word ^ (ones * kRunMarker);
    return ((x - ones) & ~x & (ones * 0x80)) != 0;
}

// The stage itself, from reader to writer, until the input ends or a write
// fails.
void Expand(BlockReader *input, BlockWriter *output)
{
    BlockReader &reader = *input;
    BlockWriter &writer = *output;
    // The byte a count repeats: the first byte of the previous step as read,
    // so 0x90 after any marker step, never the count or a repeated byte.
    unsigned char previous = 0x00;
    while (!writer.failed) {
        if (reader.position == reader.length && !RefillBlockReader(&reader))
            break;
        if (kStageBufferSize - writer.length < kLongestStep && FlushBlockWriter(&writer) < 0)
            break;

        // The steps that lie whole in the block, while the output buffer
        // has room for the longest step. Bytes up to the next marker are
        // steps that write themselves: when the next eight hold no marker,
        // the whole stretch up to it goes over in one copy.
        const unsigned char *p = reader.bytes + reader.position;
        const unsigned char *end = reader.bytes + reader.length;
        unsigned char *out = writer.bytes + writer.length;
        unsigned char *outEnd = writer.bytes + kStageBufferSize;
        unsigned char *outLimit = outEnd - kLongestStep;
        while (end - p >= 2 && out <= outLimit) {
            if (end - p >= 8) {
                uint64_t word;
                memcpy(&word, p, 8);
                if (!HasMarker(word)) {
                    size_t n = size_t(end - p);
                    if (n > size_t(outEnd - out))
                        n = size_t(outEnd - out);
                    const void *marker = memchr(p + 8, kRunMarker, n - 8);
                    if (marker != nullptr)
                        n = size_t(static_cast<const unsigned char *>(marker) - p);
                    memcpy(out, p, n);
                    out += n;
                    p += n;
                    previous = p[-1];
                    continue;
                }
            }
            unsigned char c = *p++;
            if (c != kRunMarker) {
                *out++ = c;
            } else {
                unsigned count = *p++;
                if (count == 0) {
                    *out++ = kRunMarker;          // a literal 0x90
                } else {
                    // Short runs are the common case: eight bytes a store.
                    // Bytes stored past the run's end lie beyond the
                    // buffer's length, where the next step overwrites them.
                    uint64_t fill = 0x0101010101010101ull * previous;
                    unsigned char *runEnd = out + (count - 1);
                    for (; out < runEnd; out += 8)
                        memcpy(out, &fill, 8);
                    out = runEnd;
                }
            }
            previous = c;
        }
        writer.length = size_t(out - writer.bytes);
        reader.position = size_t(p - reader.bytes);
        if (reader.length - reader.position != 1)
            continue;

        // The block's last byte: a marker's count is in the next block.
        // (PutByte and PutRepeated make their own room.)
        int c = NextByte(&reader);
        if (c != kRunMarker) {
            PutByte(&writer, (unsigned char)c);
        } else {
            int count = NextByte(&reader);
            if (count < 0)
                break;                            // marker without a count
            if (count == 0)
                PutByte(&writer, kRunMarker);
            else
                PutRepeated(&writer, previous, size_t(count) - 1);
        }
        previous = (unsigned char)c;
    }
}

static_assert(kRunLengthMemoryInput <= kStageBufferSize, "memory input fits the reader's buffer");

// The stage's buffers: one stage runs at a time.
BlockReader reader;
BlockWriter writer;

}  // namespace

int ExpandRunLength(FILE *input, FILE *output)
{
    OpenBlockReader(&reader, input);
    OpenBlockWriter(&writer, output);
    Expand(&reader, &writer);
    return FlushBlockWriter(&writer) < 0 ? -1 : 1;
}

size_t ExpandRunLengthInMemory(const unsigned char *in, size_t length, unsigned char *out,
                               size_t capacity)
{
    OpenBlockReader(&reader, nullptr);
    OpenBlockWriter(&writer, nullptr);
    if (length > kRunLengthMemoryInput)
        length = kRunLengthMemoryInput;
    memcpy(reader.bytes, in, length);
    reader.length = length;
    Expand(&reader, &writer);
    size_t written = writer.length < capacity ? writer.length : capacity;
    memcpy(out, writer.bytes, written);
    return written;
}
