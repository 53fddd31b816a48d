// The MacBinary reader: tells a MacBinary header from other data, as the
// readers in use today do, and finds the forks.
#include "decode/macbinary.h"

#include <cstring>

namespace {

// Forks are stored in whole blocks of this many bytes.
const uint64_t kBlock = kMacBinaryHeaderSize;

uint64_t Padded(uint64_t length)
{
    return (length + kBlock - 1) / kBlock * kBlock;
}

uint16_t ReadBigEndian16(const unsigned char *p)
{
    return uint16_t((p[0] << 8) | p[1]);
}

}  // namespace

int ParseMacBinaryHeader(const unsigned char *b, size_t length, uint64_t fileSize, BinHexHeader *header,
                         MacBinaryLayout *layout)
{
    if (length < size_t(kMacBinaryHeaderSize))
        return kNotFound;
    unsigned n = b[kMacBinaryNameLength];
    if (b[0] != 0 || b[kMacBinaryZeroFill] != 0 || n == 0 || n > unsigned(kMacBinaryNameCapacity))
        return kNotFound;
    uint32_t d = ReadBigEndian32(b + kMacBinaryDataLength);
    uint32_t r = ReadBigEndian32(b + kMacBinaryResourceLength);
    uint64_t dataOffset = kBlock;
    bool checked = UpdateCrc16(0, b, kMacBinaryCrcCovers) == ReadBigEndian16(b + kMacBinaryCrc);
    if (checked) {
        // A secondary header, which no known writer makes, comes before the
        // data fork.
        dataOffset += Padded(ReadBigEndian16(b + kMacBinarySecondaryLength));
    } else {
        // MacBinary I has no CRC: what else today's readers ask of it, and
        // none of the fields that MacBinary II added (a damaged MacBinary
        // II or III header is no MacBinary I header). Its last fork need
        // not be padded.
        static const unsigned char kNothing[kMacBinaryCrc + 2 - kMacBinaryCommentLength] = {0};
        uint64_t unpadded = r != 0 ? kBlock + Padded(d) + r : kBlock + d;
        bool dated = ReadBigEndian32(b + kMacBinaryCreated) != 0 && ReadBigEndian32(b + kMacBinaryModified) != 0;
        bool exact = fileSize == unpadded || fileSize == kBlock + Padded(d) + Padded(r);
        if (b[kMacBinaryZeroFill2] != 0 || memchr(b + kMacBinaryName, 0, n) != nullptr ||
            memcmp(b + kMacBinaryCommentLength, kNothing, sizeof kNothing) != 0 || d > 0x7FFFFFFFu ||
            r > 0x7FFFFFFFu || fileSize < unpadded || !(dated || exact))
            return kNotFound;
    }
    memset(header, 0, sizeof *header);
    header->nameLength = (unsigned char)n;
    memcpy(header->name, b + kMacBinaryName, n);
    memcpy(header->typeCreator, b + kMacBinaryTypeCreator, 8);
    header->finderFlags = uint16_t((b[kMacBinaryFlagsHigh] << 8) | b[kMacBinaryFlagsLow]);
    header->dataLength = d;
    header->resourceLength = r;
    layout->dataOffset = dataOffset;
    layout->resourceOffset = dataOffset + Padded(d);
    layout->end = r != 0 ? layout->resourceOffset + r : dataOffset + d;
    return kDone;
}
