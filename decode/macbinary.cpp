// The MacBinary II writer, and the block copy shared with the fork
// extraction.
#include "decode/macbinary.h"

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
        if (crc != nullptr)
            *crc = UpdateCrc16(*crc, buffer, chunk);
        if (fwrite(buffer, 1, chunk, destination) != chunk)
            return kWriteFailed;
        count -= uint32_t(chunk);
    }
    return kDone;
}

void BuildMacBinaryHeader(MacBinaryHeader *out, const BinHexHeader *header, uint32_t date)
{
    unsigned char *b = out->bytes;
    memset(b, 0, sizeof out->bytes);
    unsigned n = header->nameLength;
    if (n > unsigned(kMacBinaryNameCapacity))
        n = kMacBinaryNameCapacity;
    b[kMacBinaryNameLength] = (unsigned char)n;
    memcpy(b + kMacBinaryName, header->name, n);
    // Type and creator as a text: the copy stops at the first zero byte. It
    // writes a ninth zero at offset 73, where the flags go next.
    CopyTypeCreator(reinterpret_cast<char *>(b + kMacBinaryTypeCreator), header->typeCreator);
    uint16_t flags = header->finderFlags & uint16_t(~kDesktopFinderFlags);
    b[kMacBinaryFlagsHigh] = (unsigned char)(flags >> 8);
    b[kMacBinaryFlagsLow] = (unsigned char)flags;
    StoreBigEndian32(b + kMacBinaryDataLength, header->dataLength);
    StoreBigEndian32(b + kMacBinaryResourceLength, header->resourceLength);
    StoreBigEndian32(b + kMacBinaryCreated, date);
    StoreBigEndian32(b + kMacBinaryModified, date);
    b[kMacBinaryVersion] = b[kMacBinaryMinimumVersion] = kMacBinaryIIVersion;
    uint16_t crc = UpdateCrc16(0, b, kMacBinaryCrcCovers);
    b[kMacBinaryCrc] = (unsigned char)(crc >> 8);
    b[kMacBinaryCrc + 1] = (unsigned char)crc;
}

// Copies one fork of length bytes, checks its CRC into *check, then pads
// it with zeros to a multiple of 128. The padding is written rather than
// sought over, so that a full disk shows here and not later.
// Returns: kDone, or the copy's failure (kCut also when the CRC is cut).
static int CopyFork(FILE *input, FILE *output, uint32_t length, int *check)
{
    static const unsigned char zeros[kMacBinaryHeaderSize] = {0};
    uint16_t crc = 0;
    int result = CopyBytes(input, output, length, &crc);
    if (result == kDone)
        *check = CheckForkCrc(input, crc);
    if (result == kDone && *check == kCut)
        return kCut;
    size_t pad = (kMacBinaryHeaderSize - length % kMacBinaryHeaderSize) % kMacBinaryHeaderSize;
    if (result == kDone && pad != 0 && fwrite(zeros, 1, pad, output) != pad)
        return kWriteFailed;
    return result;
}

int WriteMacBinary(const BinHexHeader *header, uint32_t date, FILE *input, FILE *output, ForkChecks *checks)
{
    checks->data = checks->resource = kPending;
    MacBinaryHeader out;
    BuildMacBinaryHeader(&out, header, date);
    if (fwrite(out.bytes, 1, kMacBinaryHeaderSize, output) != size_t(kMacBinaryHeaderSize))
        return kWriteFailed;
    int result = CopyFork(input, output, header->dataLength, &checks->data);
    if (result != kDone)
        return result;
    return CopyFork(input, output, header->resourceLength, &checks->resource);
}
