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
        return kCut;
    unsigned n = bytes[0];
    const unsigned char *fixed = bytes + 1 + n;
    if (length < 1 + n + kFixedResourceLength + 4)
        return kCut;
    header->nameLength = (unsigned char)n;
    memcpy(header->name, bytes + 1, n);
    memcpy(header->typeCreator, fixed + kFixedTypeCreator, 8);
    header->finderFlags = uint16_t((fixed[kFixedFinderFlags] << 8) | fixed[kFixedFinderFlags + 1]);
    header->dataLength = ReadBigEndian32(fixed + kFixedDataLength);
    header->resourceLength = ReadBigEndian32(fixed + kFixedResourceLength);
    return kDone;
}

int CheckForkCrc(FILE *stream, uint16_t crc)
{
    unsigned char stored[kForkCrcSize];
    if (fread(stored, 1, kForkCrcSize, stream) != size_t(kForkCrcSize))
        return kCut;
    return ((stored[0] << 8) | stored[1]) == crc ? kDone : kDamaged;
}

namespace {

// The parts of the stream in their order.
enum {
    kCheckHeader,
    kCheckData,
    kCheckDataCrc,
    kCheckResource,
    kCheckResourceCrc,
    kCheckAfter,
};

// Starts the fork or CRC part `stage` of `length` bytes.
void EnterPart(StreamCheck *check, int stage, uint64_t length)
{
    check->stage = stage;
    check->left = length;
    if (stage == kCheckData || stage == kCheckResource)
        check->crc = 0;
    else
        check->stored = 0;
}

// The header is whole: its CRC covers all of it but the CRC itself.
void CheckHeader(StreamCheck *check)
{
    const unsigned char *crcBytes = check->header + check->headerSize - kForkCrcSize;
    uint16_t crc = UpdateCrc16(0, check->header, check->headerSize - kForkCrcSize);
    check->headerPart = ((crcBytes[0] << 8) | crcBytes[1]) == crc ? kDone : kDamaged;
    ParseBinHexHeader(check->header, check->headerSize, &check->fields);
    if (check->headerPart == kDone)
        EnterPart(check, kCheckData, check->fields.dataLength);
    else
        check->stage = kCheckAfter;       // the lengths are not to be trusted
}

}  // namespace

void StartStreamCheck(StreamCheck *check)
{
    memset(check, 0, sizeof *check);
    check->stage = kCheckHeader;
    check->headerPart = check->dataPart = check->resourcePart = kPending;
}

void CheckStreamBytes(StreamCheck *check, const unsigned char *bytes, size_t length)
{
    while (length != 0 && check->stage != kCheckAfter) {
        if (check->stage == kCheckHeader) {
            if (check->headerLength == 0)
                check->headerSize = 1 + size_t(bytes[0]) + kFixedPartSize;
            size_t n = check->headerSize - check->headerLength;
            if (n > length)
                n = length;
            memcpy(check->header + check->headerLength, bytes, n);
            check->headerLength += n;
            bytes += n;
            length -= n;
            if (check->headerLength == check->headerSize)
                CheckHeader(check);
            continue;
        }
        size_t n = check->left < length ? size_t(check->left) : length;
        if (check->stage == kCheckData || check->stage == kCheckResource) {
            check->crc = UpdateCrc16(check->crc, bytes, n);
        } else {
            for (size_t i = 0; i < n; i++)
                check->stored = uint16_t((check->stored << 8) | bytes[i]);
        }
        bytes += n;
        length -= n;
        check->left -= n;
        if (check->left != 0)
            continue;
        switch (check->stage) {
        case kCheckData:
        case kCheckResource:
            EnterPart(check, check->stage + 1, kForkCrcSize);
            break;
        case kCheckDataCrc:
            check->dataPart = check->stored == check->crc ? kDone : kDamaged;
            EnterPart(check, kCheckResource, check->fields.resourceLength);
            break;
        case kCheckResourceCrc:
            check->resourcePart = check->stored == check->crc ? kDone : kDamaged;
            check->stage = kCheckAfter;
            break;
        }
    }
}

void EndStreamCheck(StreamCheck *check)
{
    // The forks after a damaged header stay pending: nothing is known of them.
    if (check->headerPart == kPending)
        check->headerPart = kCut;
    if (check->headerPart != kDone)
        return;
    if (check->dataPart == kPending)
        check->dataPart = kCut;
    if (check->resourcePart == kPending)
        check->resourcePart = kCut;
}
