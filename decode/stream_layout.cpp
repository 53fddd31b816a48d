// The expanded BinHex stream: the only code that knows where the header's
// fields lie.
#include "decode/binhex.h"

#include <cstring>

uint32_t ReadBigEndian32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) |
           (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void StoreBigEndian32(unsigned char *p, uint32_t value)
{
    p[0] = (unsigned char)(value >> 24);
    p[1] = (unsigned char)(value >> 16);
    p[2] = (unsigned char)(value >> 8);
    p[3] = (unsigned char)value;
}

void CopyTypeCreator(char destination[9], const unsigned char typeCreator[8])
{
    memset(destination, 0, 9);
    for (int i = 0; i < 8 && typeCreator[i] != 0; i++)
        destination[i] = char(typeCreator[i]);
}

int ParseBinHexHeader(const unsigned char *bytes, size_t length, BinHexHeader *header)
{
    memset(header, 0, sizeof *header);
    if (length == 0)
        return -1;
    unsigned n = bytes[0];
    const unsigned char *fixed = bytes + 1 + n;
    if (length < 1 + n + kFixedResourceLength + 4)
        return -1;
    header->nameLength = (unsigned char)n;
    memcpy(header->name, bytes + 1, n);
    memcpy(header->typeCreator, fixed + kFixedTypeCreator, 8);
    header->dataLength = ReadBigEndian32(fixed + kFixedDataLength);
    header->resourceLength = ReadBigEndian32(fixed + kFixedResourceLength);
    return 0;
}

int ReadBinHexHeader(FILE *stream, BinHexHeader *header)
{
    unsigned char bytes[kLongestHeader];
    memset(header, 0, sizeof *header);
    int n = getc(stream);
    if (n == EOF)
        return -1;
    bytes[0] = (unsigned char)n;
    size_t rest = size_t(n) + kFixedPartSize;
    if (fread(bytes + 1, 1, rest, stream) != rest)
        return -1;
    return ParseBinHexHeader(bytes, 1 + rest, header);
}
