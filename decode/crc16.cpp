// BinHex's checksum, CRC-16/XMODEM, sixteen bytes a step.
#include "decode/binhex.h"

#include <cstring>

namespace {

const uint16_t kCrcPolynomial = 0x1021;
const int kCrcSlices = 16;

// table[k][b]: the CRC, from 0, of the byte b followed by k zero bytes.
// Sixteen bytes then cost sixteen lookups: the CRC reaches only the first
// two of them, and each byte's share is independent of the others', so the
// lookups do not wait for one another. (Sixteen is where the processor's
// loads, not the chain from one step to the next, set the pace.)
struct CrcTable {
    uint16_t slice[kCrcSlices][256];
};

constexpr CrcTable BuildCrcTable()
{
    CrcTable t{};
    for (unsigned b = 0; b < 256; b++) {
        uint16_t crc = uint16_t(b << 8);
        for (int bit = 0; bit < 8; bit++)
            crc = uint16_t((crc & 0x8000) ? (crc << 1) ^ kCrcPolynomial : crc << 1);
        t.slice[0][b] = crc;
    }
    for (int k = 1; k < kCrcSlices; k++)
        for (unsigned b = 0; b < 256; b++) {
            uint16_t before = t.slice[k - 1][b];
            t.slice[k][b] = uint16_t((before << 8) ^ t.slice[0][before >> 8]);
        }
    return t;
}

// Built by the compiler: the table is constant data.
constexpr CrcTable kCrc = BuildCrcTable();

}  // namespace

uint16_t UpdateCrc16(uint16_t crc, const unsigned char *bytes, size_t count)
{
    const uint16_t (*t)[256] = kCrc.slice;
    while (count >= size_t(kCrcSlices)) {
        uint16_t first = uint16_t(t[15][bytes[0] ^ (crc >> 8)] ^ t[14][bytes[1] ^ (crc & 0xFF)] ^
                                  t[13][bytes[2]] ^ t[12][bytes[3]] ^ t[11][bytes[4]] ^
                                  t[10][bytes[5]] ^ t[9][bytes[6]] ^ t[8][bytes[7]]);
        uint16_t second = uint16_t(t[7][bytes[8]] ^ t[6][bytes[9]] ^ t[5][bytes[10]] ^
                                   t[4][bytes[11]] ^ t[3][bytes[12]] ^ t[2][bytes[13]] ^
                                   t[1][bytes[14]] ^ t[0][bytes[15]]);
        crc = uint16_t(first ^ second);
        bytes += kCrcSlices;
        count -= kCrcSlices;
    }
    for (; count != 0; count--)
        crc = uint16_t((crc << 8) ^ t[0][(crc >> 8) ^ *bytes++]);
    return crc;
}
