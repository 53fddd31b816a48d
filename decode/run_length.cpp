// BinHex run-length stage: 0x90 followed by a count.
#include "decode/binhex.h"

#include <cstdint>
#include <cstring>

namespace {

// Room one step needs in the output buffer: up to seven bytes before a
// marker, stored eight at a time, then a run of 255, which writes 254 bytes
// in eight-byte stores that may pass its end by up to 7.
const size_t kLongestStep = 8 + 254 + 8;

// Whether any of the 8 bytes of word is the marker (the classic test for
// a zero byte, applied to word with the marker taken out).
inline bool HasMarker(uint64_t word)
{
    const uint64_t ones = 0x0101010101010101ull;
    uint64_t x = word ^ (ones * kRunMarker);
    return ((x - ones) & ~x & (ones * 0x80)) != 0;
}

// One marker step whose count is known: a count of 0 is a literal 0x90,
// any other repeats `previous` count - 1 more times.
inline void PutMarkerStep(BlockWriter *out, unsigned char previous, unsigned count)
{
    if (count == 0)
        PutByte(out, kRunMarker);
    else
        PutRepeated(out, previous, size_t(count) - 1);
}

}  // namespace

void StartRunLength(RunLengthState *state)
{
    state->previous = 0x00;
    state->markerPending = 0;
}

void ExpandRuns(RunLengthState *state, const unsigned char *bytes, size_t length, BlockWriter *out)
{
    const unsigned char *p = bytes;
    const unsigned char *end = bytes + length;
    // The byte a count repeats: the first byte of the previous step as read,
    // so 0x90 after any marker step, never the count or a repeated byte.
    unsigned char previous = state->previous;
    if (state->markerPending && p != end) {
        PutMarkerStep(out, previous, *p++);
        previous = kRunMarker;
        state->markerPending = 0;
    }
    while (p != end && !out->failed) {
        if (kStageBufferSize - out->length < kLongestStep && FlushBlockWriter(out) != kDone)
            break;

        // The steps that lie whole in the block, while the output buffer
        // has room for the longest step. Bytes up to the next marker are
        // steps that write themselves: when the next eight hold no marker,
        // the whole stretch up to it goes over in one copy; when they do,
        // the bytes before it go over in one eight-byte store.
        unsigned char *o = out->bytes + out->length;
        unsigned char *outEnd = out->bytes + kStageBufferSize;
        unsigned char *outLimit = outEnd - kLongestStep;
        while (end - p >= 2 && o <= outLimit) {
            if (end - p >= 8) {
                uint64_t word;
                memcpy(&word, p, 8);
                if (!HasMarker(word)) {
                    size_t n = size_t(end - p);
                    if (n > size_t(outEnd - o))
                        n = size_t(outEnd - o);
                    const void *marker = memchr(p + 8, kRunMarker, n - 8);
                    if (marker != nullptr)
                        n = size_t(static_cast<const unsigned char *>(marker) - p);
                    memcpy(o, p, n);
                    o += n;
                    p += n;
                    previous = p[-1];
                    continue;
                }
                size_t k = 0;
                while (p[k] != kRunMarker)
                    k++;
                if (k != 0) {
                    memcpy(o, &word, 8);
                    o += k;
                    p += k;
                    previous = p[-1];
                    if (end - p < 2)
                        break;
                }
            }
            unsigned char c = *p++;
            if (c != kRunMarker) {
                *o++ = c;
            } else {
                unsigned count = *p++;
                if (count == 0) {
                    *o++ = kRunMarker;            // a literal 0x90
                } else {
                    // Short runs are the common case: eight bytes a store.
                    // Bytes stored past the run's end lie beyond the
                    // buffer's length, where the next step overwrites them.
                    uint64_t fill = 0x0101010101010101ull * previous;
                    unsigned char *runEnd = o + (count - 1);
                    for (; o < runEnd; o += 8)
                        memcpy(o, &fill, 8);
                    o = runEnd;
                }
            }
            previous = c;
        }
        out->length = size_t(o - out->bytes);
        if (end - p != 1)
            continue;

        // The block's last byte: a marker's count comes with the next block.
        unsigned char c = *p++;
        if (c == kRunMarker) {
            state->markerPending = 1;
        } else {
            PutByte(out, c);
            previous = c;
        }
    }
    state->previous = previous;
}

// The stage's work as RunFileStage takes it.
static void ExpandRunsBlock(void *state, const unsigned char *bytes, size_t length, BlockWriter *out)
{
    ExpandRuns(static_cast<RunLengthState *>(state), bytes, length, out);
}

int ExpandRunLength(FILE *input, FILE *output)
{
    // A marker at the very end, without its count, writes nothing: no end.
    RunLengthState state;
    StartRunLength(&state);
    return RunFileStage(input, output, ExpandRunsBlock, nullptr, &state);
}
