// The expanded BinHex stream: header fields and fork positions.
#include "decode/binhex.h"

#include <cstring>

uint32_t SwapLong(uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0x0000FF00u) |
           ((value << 8) & 0x00FF0000u) | (value << 24);
}

uint32_t ReadBigEndian32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) |
           (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void CopyTypeCreator(char destination[9], const unsigned char typeCreator[8])
{
    memset(destination, 0, 9);
    for (int i = 0; i < 8 && typeCreator[i] != 0; i++)
        destination[i] = char(typeCreator[i]);
}

void ParseFixedPart(BinHexHeader *header, const unsigned char fixed[kFixedPartSize])
{
    memcpy(header->fixed, fixed, kFixedPartSize);
    header->version = fixed[kFixedVersion];
    memcpy(header->typeCreator, fixed + kFixedTypeCreator, 8);
    header->finderFlags = uint16_t((fixed[kFixedFinderFlags] << 8) | fixed[kFixedFinderFlags + 1]);
    header->dataLength = ReadBigEndian32(fixed + kFixedDataLength);
    header->resourceLength = ReadBigEndian32(fixed + kFixedResourceLength);
    header->headerCrc = uint16_t((fixed[kFixedHeaderCrc] << 8) | fixed[kFixedHeaderCrc + 1]);
}

int ReadBinHexHeader(FILE *stream, BinHexHeader *header)
{
    memset(header, 0, sizeof *header);
    int n = getc(stream);
    if (n == EOF)
        return -1;
    header->nameLength = (unsigned char)n;
    if (fread(header->name, 1, size_t(n), stream) != size_t(n))
        return -1;
    unsigned char fixed[kFixedPartSize];
    if (fread(fixed, 1, kFixedPartSize, stream) != size_t(kFixedPartSize))
        return -1;
    ParseFixedPart(header, fixed);
    return 0;
}
