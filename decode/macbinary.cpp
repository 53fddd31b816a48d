// MacBinary I writer and the block copy shared with the fork extraction.
#include "decode/binhex.h"

#include <cstring>

int CopyBytes(FILE *source, FILE *destination, uint32_t count, uint16_t *crc)
{
    unsigned char buffer[kCopyBufferSize];   // this call's alone
    size_t chunk = kCopyBufferSize;
    while (count != 0) {
        if (count < chunk)
            chunk = count;
        size_t got = fread(buffer, 1, chunk, source);
        if (got == 0)
            return kCut;     // the source ended early
        chunk = got;
        *crc = UpdateCrc16(*crc, buffer, chunk);
        if (fwrite(buffer, 1, chunk, destination) != chunk)
            return kWriteFailed;
        count -= uint32_t(chunk);
    }
    return kDone;
}

void BuildMacBinaryHeader(MacBinaryHeader *out, const BinHexHeader *header)
{
    memset(out->bytes, 0, sizeof out->bytes);
    unsigned n = header->nameLength;
    if (n > unsigned(kMacBinaryNameCapacity))
        n = kMacBinaryNameCapacity;
    out->bytes[kMacBinaryNameLength] = (unsigned char)n;
    memcpy(out->bytes + kMacBinaryName, header->name, n);
    // Type and creator as a text: the copy stops at the first zero byte.
    CopyTypeCreator(reinterpret_cast<char *>(out->bytes + kMacBinaryTypeCreator),
                    header->typeCreator);
    // CopyTypeCreator wrote a ninth zero at offset 73, which is zero anyway.
    StoreBigEndian32(out->bytes + kMacBinaryDataLength, header->dataLength);
    StoreBigEndian32(out->bytes + kMacBinaryResourceLength, header->resourceLength);
}

// Copies one fork of length bytes, then checks its CRC into *check.
// Returns: kDone, or the copy's failure (kCut also when the
// CRC is cut).
static int CopyFork(FILE *input, FILE *output, uint32_t length, int *check)
{
    uint16_t crc = 0;
    int result = CopyBytes(input, output, length, &crc);
    if (result == kDone)
        *check = CheckForkCrc(input, crc);
    return result == kDone && *check == kCut ? kCut : result;
}

int WriteMacBinary(const BinHexHeader *header, FILE *input, FILE *output, ForkChecks *checks)
{
    checks->data = checks->resource = kPending;
    MacBinaryHeader out;
    BuildMacBinaryHeader(&out, header);
    if (fwrite(out.bytes, 1, kMacBinaryHeaderSize, output) != size_t(kMacBinaryHeaderSize))
        return kWriteFailed;

    uint32_t d = header->dataLength;
    uint32_t r = header->resourceLength;
    int result = CopyFork(input, output, d, &checks->data);
    if (result != kDone)
        return result;
    // Pad the data fork to a multiple of 128 with zeros when a resource fork
    // follows. The padding is written rather than sought over so that a
    // full disk shows here and not later.
    static const unsigned char zeros[kMacBinaryHeaderSize] = {0};
    size_t pad = r == 0 ? 0 : (kMacBinaryHeaderSize - d % kMacBinaryHeaderSize) % kMacBinaryHeaderSize;
    if (pad != 0 && fwrite(zeros, 1, pad, output) != pad)
        return kWriteFailed;
    return CopyFork(input, output, r, &checks->resource);
}
