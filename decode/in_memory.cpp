// The pipeline in memory: the text stage's blocks go straight to the
// run-length stage, whose blocks go to the stream check. Nothing is written
// anywhere; the same stage code as for the intermediate files decodes.
#include "decode/binhex.h"

#include <cstdlib>

namespace {

// Text read from the file a block at a time; the header search reads in
// small pieces so as to stop soon after the header.
const size_t kTextBlockSize = 65536;
const size_t kHeaderPieceSize = 256;

struct Pipeline {
    unsigned char text[kTextBlockSize];
    TextDecoder decoder;
    BlockWriter decoded;        // the text stage's output, to ExpandDecoded
    uint64_t decodedTotal;      // bytes handed on so far
    uint64_t decodedLimit;      // bytes handed on at most
    RunLengthState runs;
    BlockWriter expanded;       // the run-length stage's output, to CheckExpanded
    StreamCheck check;
};

void CheckExpanded(void *context, const unsigned char *bytes, size_t length)
{
    CheckStreamBytes(&static_cast<Pipeline *>(context)->check, bytes, length);
}

void ExpandDecoded(void *context, const unsigned char *bytes, size_t length)
{
    Pipeline *p = static_cast<Pipeline *>(context);
    if (length > p->decodedLimit - p->decodedTotal)
        length = size_t(p->decodedLimit - p->decodedTotal);
    p->decodedTotal += length;
    ExpandRuns(&p->runs, bytes, length, &p->expanded);
}

// Returns: the pipeline (the caller frees it) with input positioned at its
// encoded text, or null when there is no memory for it.
Pipeline *OpenPipeline(FILE *input, uint64_t decodedLimit)
{
    Pipeline *p = static_cast<Pipeline *>(malloc(sizeof(Pipeline)));
    if (p == nullptr)
        return nullptr;
    char firstLine[kTextLineCapacity + 2];
    FindEncodedText(input, firstLine);
    StartTextDecoder(&p->decoder);
    OpenBlockSink(&p->decoded, ExpandDecoded, p);
    p->decodedTotal = 0;
    p->decodedLimit = decodedLimit;
    StartRunLength(&p->runs);
    OpenBlockSink(&p->expanded, CheckExpanded, p);
    StartStreamCheck(&p->check);
    return p;
}

// Hands every byte still in a buffer on to the check.
void Drain(Pipeline *p)
{
    FlushBlockWriter(&p->decoded);
    FlushBlockWriter(&p->expanded);
}

// The end of the text: its short last group, then every part not reached
// is cut.
void ClosePipeline(Pipeline *p)
{
    FinishTextDecoder(&p->decoder, &p->decoded);
    Drain(p);
    EndStreamCheck(&p->check);
}

}  // namespace

int ReadCheckedHeader(FILE *input, BinHexHeader *header)
{
    Pipeline *p = OpenPipeline(input, kHeaderSearchBytes);
    if (p == nullptr)
        return kNoRoom;
    size_t got;
    while (p->check.headerPart == kPending && p->decodedTotal < p->decodedLimit &&
           (got = fread(p->text, 1, kHeaderPieceSize, input)) != 0) {
        DecodeText(&p->decoder, p->text, got, &p->decoded);
        Drain(p);
    }
    ClosePipeline(p);
    int result = p->check.headerPart;
    if (result == kDone)
        *header = p->check.fields;
    free(p);
    return result;
}

int CheckBinHexFile(FILE *input, StreamCheck *check)
{
    Pipeline *p = OpenPipeline(input, UINT64_MAX);
    if (p == nullptr)
        return kNoRoom;
    size_t got;
    while ((got = fread(p->text, 1, sizeof p->text, input)) != 0)
        DecodeText(&p->decoder, p->text, got, &p->decoded);
    ClosePipeline(p);
    *check = p->check;
    free(p);
    return kDone;
}
