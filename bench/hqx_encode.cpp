// The benchmark's BinHex 4.0 encoder and fork contents.
#include "bench/hqx_encode.h"

#include <cstdlib>
#include <cstring>

namespace {

// The 64 characters of BinHex 4.0, by 6-bit value.
const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
const char kFirstLine[] = "(This file must be converted with BinHex 4.0)\n";
const unsigned char kMarker = 0x90;

uint64_t NextRandom(uint64_t *state)
{
    uint64_t x = *state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    *state = x;
    return x * 0x2545F4914F6CDD1Dull;
}

// Below n, n > 0.
uint32_t RandomBelow(uint64_t *state, uint32_t n)
{
    return uint32_t((NextRandom(state) >> 32) % n);
}

const unsigned char kMacText[] =
    "Le c\xCF" "ur a ses raisons que la raison ne conna\x94t point. \x83t\x8E \x88 No\x91l.\r";

// Segment types of the structured kinds.
enum {
    kSegRandom,       // random bytes
    kSegSparse90,     // random bytes, one in eight 0x90
    kSegRun,          // segmentByte repeated
    kSegText,         // Mac text
    kSegNumbers,      // big-endian small numbers: zeros, then a low byte
};

void StartSegment(DataSource *s)
{
    uint64_t *r = &s->state;
    uint32_t pick = RandomBelow(r, 100);
    if (s->kind == kDataRuns) {
        if (pick < 40) {
            s->segmentType = kSegSparse90;
            s->segmentLeft = 1 + RandomBelow(r, 48);
        } else if (pick < 85) {
            s->segmentType = kSegRun;
            s->segmentLeft = RandomBelow(r, 100) < 85 ? 3 + RandomBelow(r, 38) : 41 + RandomBelow(r, 560);
            uint32_t b = RandomBelow(r, 100);
            s->segmentByte = b < 30 ? kMarker : b < 50 ? 0x00 : (unsigned char)RandomBelow(r, 256);
        } else {
            s->segmentType = kSegRun;
            s->segmentLeft = 1 + RandomBelow(r, 3);
            s->segmentByte = kMarker;
        }
    } else {  // kDataResource
        if (pick < 30) {
            s->segmentType = kSegRun;
            s->segmentLeft = 2 + RandomBelow(r, 200);
            s->segmentByte = RandomBelow(r, 8) == 0 ? 0xFF : 0x00;
        } else if (pick < 55) {
            s->segmentType = kSegText;
            s->segmentLeft = 10 + RandomBelow(r, 70);
        } else if (pick < 80) {
            s->segmentType = kSegNumbers;
            s->segmentLeft = 4 * (1 + RandomBelow(r, 16));
        } else {
            s->segmentType = kSegSparse90;
            s->segmentLeft = 1 + RandomBelow(r, 64);
        }
    }
}

unsigned char NextDataByte(DataSource *s)
{
    if (s->kind == kDataRandom)
        return (unsigned char)(NextRandom(&s->state) >> 56);
    if (s->segmentLeft == 0)
        StartSegment(s);
    uint32_t left = s->segmentLeft--;
    switch (s->segmentType) {
    case kSegSparse90:
        return RandomBelow(&s->state, 8) == 0 ? kMarker : (unsigned char)(NextRandom(&s->state) >> 56);
    case kSegRun:
        return s->segmentByte;
    case kSegText: {
        unsigned char c = kMacText[s->textPosition++];
        if (s->textPosition == sizeof kMacText - 1)
            s->textPosition = 0;
        return c;
    }
    case kSegNumbers:
        return left % 4 == 1 ? (unsigned char)RandomBelow(&s->state, 256) : 0x00;
    default:
        return (unsigned char)(NextRandom(&s->state) >> 56);
    }
}

uint16_t crcTable[256];
bool crcTableReady = false;

void BuildCrcTable()
{
    for (unsigned i = 0; i < 256; i++) {
        uint16_t c = uint16_t(i << 8);
        for (int k = 0; k < 8; k++)
            c = uint16_t((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
        crcTable[i] = c;
    }
    crcTableReady = true;
}

void EmitChar(HqxWriter *w, char c)
{
    w->written++;
    if (w->out == nullptr)
        return;
    if (w->length == kHqxOutputBuffer) {
        if (!w->failed && fwrite(w->buffer, 1, w->length, w->out) != w->length)
            w->failed = 1;
        w->length = 0;
    }
    w->buffer[w->length++] = (unsigned char)c;
}

// One character of the encoded text, with a line end before every 65th.
void EmitCoded(HqxWriter *w, char c)
{
    if (w->column == kHqxLineLength) {
        EmitChar(w, '\n');
        w->column = 0;
    }
    EmitChar(w, c);
    w->column++;
}

// One byte of the run-length coded stream, into 6-bit characters.
void EmitByte(HqxWriter *w, unsigned char b)
{
    w->bits = (w->bits << 8) | b;
    w->bitCount += 8;
    while (w->bitCount >= 6) {
        w->bitCount -= 6;
        EmitCoded(w, kAlphabet[(w->bits >> w->bitCount) & 0x3F]);
    }
    w->bits &= (1u << w->bitCount) - 1;
}

void EmitLiteral(HqxWriter *w, unsigned char b)
{
    EmitByte(w, b);
    if (b == kMarker)
        EmitByte(w, 0x00);
}

// A run is its byte once, then the marker and the count for three or more.
// A run never goes on past 255 with a second count: the next run starts
// again with its byte, which every decoder reads the same way.
void FlushRun(HqxWriter *w)
{
    if (w->runByte < 0)
        return;
    unsigned char b = (unsigned char)w->runByte;
    EmitLiteral(w, b);
    if (w->runLength == 2) {
        EmitLiteral(w, b);
    } else if (w->runLength >= 3) {
        EmitByte(w, kMarker);
        EmitByte(w, (unsigned char)w->runLength);
    }
    w->runByte = -1;
    w->runLength = 0;
}

void PutStreamByte(HqxWriter *w, unsigned char b)
{
    if (w->runByte == b && w->runLength < 255) {
        w->runLength++;
        return;
    }
    FlushRun(w);
    w->runByte = b;
    w->runLength = 1;
}

void PutBigEndian32(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)(v >> 24);
    p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8);
    p[3] = (unsigned char)v;
}

const size_t kChunk = 65521;   // odd, so fork lengths are rarely round

void PutHeader(HqxWriter *w, const BenchFile *file)
{
    unsigned char header[64 + 22];
    size_t n = strlen(file->name);
    header[0] = (unsigned char)n;
    memcpy(header + 1, file->name, n);
    header[n + 1] = 0;                               // version
    memcpy(header + n + 2, file->typeCreator, 8);
    header[n + 10] = 0;                              // Finder flags
    header[n + 11] = 0;
    PutBigEndian32(header + n + 12, file->dataLength);
    PutBigEndian32(header + n + 16, file->resourceLength);
    HqxPut(w, header, n + 20);
    HqxPutCrc(w);
}

// Draws length bytes of source, encodes them into w when it is set, and
// writes them to out when it is set and to copy when it is set.
int PutFork(HqxWriter *w, DataSource *source, uint32_t length, FILE *out, FILE *copy, unsigned char *chunk)
{
    int result = 0;
    while (length != 0) {
        size_t n = length < kChunk ? length : kChunk;
        FillData(source, chunk, n);
        if (w != nullptr)
            HqxPut(w, chunk, n);
        if (out != nullptr && fwrite(chunk, 1, n, out) != n)
            result = -1;
        if (copy != nullptr && fwrite(chunk, 1, n, copy) != n)
            result = -1;
        length -= uint32_t(n);
    }
    if (w != nullptr)
        HqxPutCrc(w);
    return result;
}

// Opens the fork files of the paths that are not null (files[i] null for
// the others).
// Returns: 0, -1 when one could not be created.
int OpenForkFiles(FILE *files[2], const char *dataPath, const char *rsrcPath)
{
    const char *paths[2] = {dataPath, rsrcPath};
    int result = 0;
    for (int fork = 0; fork < 2; fork++) {
        files[fork] = paths[fork] != nullptr ? fopen(paths[fork], "wb") : nullptr;
        if (paths[fork] != nullptr && files[fork] == nullptr)
            result = -1;
    }
    return result;
}

// Closes what OpenForkFiles opened and file.
// Returns: result, or -1 when a close failed.
int CloseFiles(FILE *files[2], FILE *file, int result)
{
    for (int fork = 0; fork < 2; fork++)
        if (files[fork] != nullptr && fclose(files[fork]) != 0)
            result = -1;
    if (fclose(file) != 0)
        result = -1;
    return result;
}

int DataKindOf(const BenchFile *file, int fork)
{
    if (file->kind == kFileRuns)
        return kDataRuns;
    if (file->kind == kFileBoth && fork == 1)
        return kDataResource;
    return kDataRandom;
}

uint64_t ForkSeed(const BenchFile *file, int fork)
{
    return fork == 0 ? file->seed : file->seed ^ 0x5DEECE66Dull;
}

}  // namespace

void StartDataSource(DataSource *source, int kind, uint64_t seed)
{
    memset(source, 0, sizeof *source);
    source->kind = kind;
    source->state = seed * 0x9E3779B97F4A7C15ull + 1;
    if (source->state == 0)
        source->state = 1;
}

void FillData(DataSource *source, unsigned char *out, size_t count)
{
    for (size_t i = 0; i < count; i++)
        out[i] = NextDataByte(source);
}

uint16_t Crc16Update(uint16_t crc, const unsigned char *bytes, size_t count)
{
    if (!crcTableReady)
        BuildCrcTable();
    for (size_t i = 0; i < count; i++)
        crc = uint16_t((crc << 8) ^ crcTable[((crc >> 8) ^ bytes[i]) & 0xFF]);
    return crc;
}

int HqxBegin(HqxWriter *w, FILE *out)
{
    memset(w, 0, sizeof *w);
    w->out = out;
    w->runByte = -1;
    if (out != nullptr) {
        w->buffer = static_cast<unsigned char *>(malloc(kHqxOutputBuffer));
        if (w->buffer == nullptr)
            return -1;
    }
    for (const char *p = kFirstLine; *p != 0; p++)
        EmitChar(w, *p);
    EmitChar(w, ':');
    w->column = 1;
    return 0;
}

void HqxPut(HqxWriter *w, const unsigned char *bytes, size_t count)
{
    w->crc = Crc16Update(w->crc, bytes, count);
    for (size_t i = 0; i < count; i++)
        PutStreamByte(w, bytes[i]);
}

void HqxPutCrc(HqxWriter *w)
{
    unsigned char crc[2] = {(unsigned char)(w->crc >> 8), (unsigned char)w->crc};
    for (int i = 0; i < 2; i++)
        PutStreamByte(w, crc[i]);
    w->crc = 0;
}

int HqxEnd(HqxWriter *w)
{
    FlushRun(w);
    if (w->bitCount > 0) {   // the last byte's bits, padded with zeros
        EmitCoded(w, kAlphabet[(w->bits << (6 - w->bitCount)) & 0x3F]);
        w->bitCount = 0;
    }
    EmitCoded(w, ':');
    EmitChar(w, '\n');
    if (w->out != nullptr) {
        if (w->length != 0 && !w->failed && fwrite(w->buffer, 1, w->length, w->out) != w->length)
            w->failed = 1;
        free(w->buffer);
        w->buffer = nullptr;
    }
    return w->failed ? -1 : 0;
}

int SetUpBenchFile(BenchFile *file, const char *kindName, uint64_t targetSize, uint64_t seed)
{
    memset(file, 0, sizeof *file);
    file->seed = seed;
    file->targetSize = targetSize;
    if (strcmp(kindName, "random") == 0) {
        file->kind = kFileRandom;
        strcpy(file->name, "bench-random");
        memcpy(file->typeCreator, "BINAbnch", 8);
    } else if (strcmp(kindName, "runs") == 0) {
        file->kind = kFileRuns;
        strcpy(file->name, "bench-runs");
        memcpy(file->typeCreator, "BINAbnch", 8);
    } else if (strcmp(kindName, "both") == 0) {
        file->kind = kFileBoth;
        strcpy(file->name, "bench-both");
        memcpy(file->typeCreator, "APPLbnch", 8);
    } else {
        return -1;
    }
    return 0;
}

int SizeBenchFile(BenchFile *file)
{
    // Encode (counting only) until each fork's share of the text is there:
    // all of it for a one-fork file, half each for the two-fork file.
    static unsigned char chunk[kChunk];
    size_t step = file->targetSize < (1u << 20) ? 61 : kChunk;
    HqxWriter w;
    HqxBegin(&w, nullptr);
    int forks = file->kind == kFileBoth ? 2 : 1;
    uint32_t lengths[2] = {0, 0};
    for (int fork = 0; fork < forks; fork++) {
        uint64_t goal = file->targetSize * uint64_t(fork + 1) / uint64_t(forks);
        DataSource source;
        StartDataSource(&source, DataKindOf(file, fork), ForkSeed(file, fork));
        while (w.written < goal) {
            if (uint64_t(lengths[fork]) + step > 0xFFFFFFFFull)
                return -1;
            FillData(&source, chunk, step);
            HqxPut(&w, chunk, step);
            lengths[fork] += uint32_t(step);
        }
        HqxPutCrc(&w);
    }
    HqxEnd(&w);
    file->dataLength = lengths[0];
    file->resourceLength = lengths[1];
    return 0;
}

int WriteBenchFile(const BenchFile *file, const char *hqxPath, const char *dataPath,
                   const char *rsrcPath)
{
    static unsigned char chunk[kChunk];
    FILE *hqx = fopen(hqxPath, "wb");
    if (hqx == nullptr)
        return -1;
    FILE *forkFiles[2];
    int result = OpenForkFiles(forkFiles, dataPath, rsrcPath);
    HqxWriter w;
    if (result == 0 && HqxBegin(&w, hqx) == 0) {
        PutHeader(&w, file);
        uint32_t lengths[2] = {file->dataLength, file->resourceLength};
        for (int fork = 0; fork < 2; fork++) {
            DataSource source;
            StartDataSource(&source, DataKindOf(file, fork), ForkSeed(file, fork));
            if (PutFork(&w, &source, lengths[fork], nullptr, forkFiles[fork], chunk) < 0)
                result = -1;
        }
        if (HqxEnd(&w) < 0)
            result = -1;
    } else {
        result = -1;
    }
    return CloseFiles(forkFiles, hqx, result);
}

int SizeBenchMacBinary(BenchFile *file)
{
    if (file->targetSize < 1024 || file->targetSize > 0xFFFFFF00ull)
        return -1;
    uint64_t half = (file->targetSize - 128) / 2 / 128 * 128;
    file->dataLength = uint32_t(half - 37);
    file->resourceLength = uint32_t(half - 91);
    return 0;
}

int WriteBenchMacBinary(const BenchFile *file, const char *binPath, const char *dataPath,
                        const char *rsrcPath)
{
    static unsigned char chunk[kChunk];
    static const unsigned char zeros[128] = {0};
    FILE *bin = fopen(binPath, "wb");
    if (bin == nullptr)
        return -1;
    FILE *forkFiles[2];
    int result = OpenForkFiles(forkFiles, dataPath, rsrcPath);
    unsigned char header[128] = {0};
    size_t n = strlen(file->name);
    header[1] = (unsigned char)n;
    memcpy(header + 2, file->name, n);
    memcpy(header + 65, file->typeCreator, 8);
    PutBigEndian32(header + 83, file->dataLength);
    PutBigEndian32(header + 87, file->resourceLength);
    PutBigEndian32(header + 91, 0xB5A2C3D4u);       // 2000-07-25, both dates
    PutBigEndian32(header + 95, 0xB5A2C3D4u);
    header[122] = header[123] = 129;
    uint16_t crc = Crc16Update(0, header, 124);
    header[124] = (unsigned char)(crc >> 8);
    header[125] = (unsigned char)crc;
    if (fwrite(header, 1, sizeof header, bin) != sizeof header)
        result = -1;
    uint32_t lengths[2] = {file->dataLength, file->resourceLength};
    for (int fork = 0; fork < 2; fork++) {
        DataSource source;
        StartDataSource(&source, DataKindOf(file, fork), ForkSeed(file, fork));
        size_t pad = (128 - lengths[fork] % 128) % 128;
        if (PutFork(nullptr, &source, lengths[fork], bin, forkFiles[fork], chunk) < 0 ||
            fwrite(zeros, 1, pad, bin) != pad)
            result = -1;
    }
    return CloseFiles(forkFiles, bin, result);
}
