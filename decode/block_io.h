// Block-buffered byte access for the decoding stages.
//
// The stages read and write one byte at a time in their logic; doing that
// through the C library would cost a lock and a call per byte. These readers
// and writers keep their own buffer over the stream and touch the stream
// once per block. A stage reads its input to the end, so the stream position
// that the reader leaves behind (one block ahead) is never observed.
//
// Without a stream they work in memory: the reader holds the bytes put in
// its buffer and nothing more, the writer keeps what fits in its buffer and
// reports a failed write when it is full.
#ifndef QUILLON_DECODE_BLOCK_IO_H
#define QUILLON_DECODE_BLOCK_IO_H

#include <cstddef>
#include <cstdio>
#include <cstring>

const size_t kStageBufferSize = 65536;

struct BlockReader {
    FILE *stream;
    size_t position;
    size_t length;
    unsigned char bytes[kStageBufferSize];
};

struct BlockWriter {
    FILE *stream;
    size_t length;
    int failed;          // a write to the stream came up short
    unsigned char bytes[kStageBufferSize];
};

inline void OpenBlockReader(BlockReader *r, FILE *stream)
{
    r->stream = stream;
    r->position = 0;
    r->length = 0;
}

// Returns: 1 when more bytes are buffered, 0 at the end of the input (a read
// error counts as the end).
inline int RefillBlockReader(BlockReader *r)
{
    r->position = 0;
    r->length = r->stream != nullptr ? fread(r->bytes, 1, kStageBufferSize, r->stream) : 0;
    return r->length != 0;
}

// Returns: the next byte, or -1 at the end of the input.
inline int NextByte(BlockReader *r)
{
    if (r->position == r->length && !RefillBlockReader(r))
        return -1;
    return r->bytes[r->position++];
}

// Returns: the next byte without consuming it, or -1 at the end.
inline int PeekByte(BlockReader *r)
{
    if (r->position == r->length && !RefillBlockReader(r))
        return -1;
    return r->bytes[r->position];
}

inline void OpenBlockWriter(BlockWriter *w, FILE *stream)
{
    w->stream = stream;
    w->length = 0;
    w->failed = 0;
}

// Hands the buffered bytes to the stream. Returns: 0, or -1 once a write
// has failed (later bytes are dropped; in memory, the buffer was full).
inline int FlushBlockWriter(BlockWriter *w)
{
    if (w->stream == nullptr) {
        w->failed = 1;           // asked for room that memory does not have
        return -1;
    }
    if (w->length != 0 && !w->failed &&
        fwrite(w->bytes, 1, w->length, w->stream) != w->length)
        w->failed = 1;
    w->length = 0;
    return w->failed ? -1 : 0;
}

inline void PutByte(BlockWriter *w, unsigned char c)
{
    if (w->length == kStageBufferSize && FlushBlockWriter(w) < 0)
        return;
    w->bytes[w->length++] = c;
}

inline void PutRepeated(BlockWriter *w, unsigned char c, size_t count)
{
    while (count != 0) {
        if (w->length == kStageBufferSize && FlushBlockWriter(w) < 0)
            return;
        size_t room = kStageBufferSize - w->length;
        size_t n = count < room ? count : room;
        memset(w->bytes + w->length, c, n);
        w->length += n;
        count -= n;
    }
}

#endif
