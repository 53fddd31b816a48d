// Block-buffered output for the decoding stages.
//
// The stages write one byte at a time in their logic; doing that through
// the C library would cost a lock and a call per byte. A writer keeps its
// own buffer and touches the stream once per block. (The stages read their
// input in blocks too, into buffers of their own.)
//
// A writer hands its full blocks to a stream, or to a sink function (the
// next stage, when the stages run in memory).
#ifndef QUILLON_DECODE_BLOCK_IO_H
#define QUILLON_DECODE_BLOCK_IO_H

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decode/result.h"

const size_t kStageBufferSize = 65536;

// Takes a block of a writer's bytes, which stay the writer's.
typedef void (*BlockSink)(void *context, const unsigned char *bytes, size_t length);

struct BlockWriter {
    FILE *stream;        // where full blocks go, or null
    BlockSink sink;      // or to whom, when there is no stream (a sink never fails)
    void *context;       // the sink's
    size_t length;
    int failed;          // a write to the stream came up short
    unsigned char bytes[kStageBufferSize];
};

inline void OpenBlockWriter(BlockWriter *w, FILE *stream)
{
    w->stream = stream;
    w->sink = nullptr;
    w->context = nullptr;
    w->length = 0;
    w->failed = 0;
}

inline void OpenBlockSink(BlockWriter *w, BlockSink sink, void *context)
{
    OpenBlockWriter(w, nullptr);
    w->sink = sink;
    w->context = context;
}

// Hands the buffered bytes to the sink or the stream; the buffer is empty
// afterwards. Returns: kDone, or kWriteFailed once a write to the stream has
// failed (later bytes are dropped).
inline int FlushBlockWriter(BlockWriter *w)
{
    if (w->sink != nullptr && w->length != 0)
        w->sink(w->context, w->bytes, w->length);
    else if (w->stream != nullptr && w->length != 0 && !w->failed &&
             fwrite(w->bytes, 1, w->length, w->stream) != w->length)
        w->failed = 1;
    w->length = 0;
    return w->failed ? kWriteFailed : kDone;
}

inline void PutByte(BlockWriter *w, unsigned char c)
{
    if (w->length == kStageBufferSize && FlushBlockWriter(w) != kDone)
        return;
    w->bytes[w->length++] = c;
}

inline void PutRepeated(BlockWriter *w, unsigned char c, size_t count)
{
    while (count != 0) {
        if (w->length == kStageBufferSize && FlushBlockWriter(w) != kDone)
            return;
        size_t room = kStageBufferSize - w->length;
        size_t n = count < room ? count : room;
        memset(w->bytes + w->length, c, n);
        w->length += n;
        count -= n;
    }
}

// A stage's work on one block of its input, and at the end of it, on the
// stage's own state.
typedef void (*StageBlock)(void *state, const unsigned char *bytes, size_t length, BlockWriter *out);
typedef void (*StageEnd)(void *state, BlockWriter *out);

// Runs a stage over the rest of input into output: blocks of
// kStageBufferSize bytes to block while the writes succeed, then end (when
// not null). The buffers are the call's own.
// Returns: kDone when the end of the input was reached, kWriteFailed when a
// write failed, kNoRoom without memory for the buffers.
inline int RunFileStage(FILE *input, FILE *output, StageBlock block, StageEnd end, void *state)
{
    struct Buffers {
        unsigned char input[kStageBufferSize];
        BlockWriter writer;
    };
    Buffers *b = static_cast<Buffers *>(malloc(sizeof(Buffers)));
    if (b == nullptr)
        return kNoRoom;
    OpenBlockWriter(&b->writer, output);
    size_t got;
    while (!b->writer.failed && (got = fread(b->input, 1, sizeof b->input, input)) != 0)
        block(state, b->input, got, &b->writer);
    if (end != nullptr)
        end(state, &b->writer);
    int result = FlushBlockWriter(&b->writer);
    free(b);
    return result;
}

#endif
