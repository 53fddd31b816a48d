// MacBinary I writer and the block copy shared with the fork extraction.
#include "decode/binhex.h"

#include <cstring>

int CopyBytes(FILE *source, FILE *destination, uint32_t count)
{
    static unsigned char buffer[kCopyBufferSize];
    size_t chunk = kCopyBufferSize;
    while (count != 0) {
        if (count < chunk)
            chunk = count;
        size_t got = fread(buffer, 1, chunk, source);
        if (got == 0)
            return kCopyShortSource;     // the source ended early
        chunk = got;
        if (fwrite(buffer, 1, chunk, destination) != chunk)
            return kCopyWriteFailed;
        count -= uint32_t(chunk);
    }
    return kCopyDone;
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

int WriteMacBinary(const BinHexHeader *header, FILE *input, FILE *output)
{
    MacBinaryHeader out;
    BuildMacBinaryHeader(&out, header);
    if (fwrite(out.bytes, 1, kMacBinaryHeaderSize, output) != size_t(kMacBinaryHeaderSize))
        return kCopyWriteFailed;

    uint32_t d = header->dataLength;
    uint32_t r = header->resourceLength;
    int result = CopyBytes(input, output, d);
    if (result != kCopyDone || r == 0)
        return result;

    // Skip the data fork CRC; pad the data fork to a multiple of 128 with
    // zeros. The padding is written rather than sought over so that a full
    // disk shows here and not later.
    if (fseek(input, kForkCrcSize, SEEK_CUR) != 0)
        return kCopyShortSource;
    static const unsigned char zeros[kMacBinaryHeaderSize] = {0};
    size_t pad = (kMacBinaryHeaderSize - d % kMacBinaryHeaderSize) % kMacBinaryHeaderSize;
    if (pad != 0 && fwrite(zeros, 1, pad, output) != pad)
        return kCopyWriteFailed;
    return CopyBytes(input, output, r);
}
