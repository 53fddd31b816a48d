// The byte-at-a-time reference decoder.
#include "bench/reference_decode.h"

#include <cstring>

namespace {

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

unsigned SixBits(int c)
{
    if (c == 0)
        return 0;                 // strchr would find the terminator
    const char *p = strchr(kAlphabet, c);
    return p != nullptr ? unsigned(p - kAlphabet) : 0;
}

bool Skipped(int c)
{
    return c == '\r' || c == '\n' || c == ':' || c == ' ' || c == '\t';
}

void SkipBytes(FILE *in, uint64_t count)
{
    for (uint64_t i = 0; i < count; i++)
        if (getc(in) == EOF)
            return;
}

void CopyCount(FILE *in, FILE *out, uint32_t count)
{
    for (uint32_t i = 0; i < count; i++) {
        int c = getc(in);
        if (c == EOF)
            return;
        putc(c, out);
    }
}

}  // namespace

void ReferenceTextStage(FILE *in, FILE *out)
{
    // The first line: at most 128 characters; a CR or LF ends it, and takes
    // its partner with it when the two make CR LF or LF CR.
    for (int i = 0; i < 128; i++) {
        int c = getc(in);
        if (c == EOF)
            return;
        if (c == '\r' || c == '\n') {
            int d = getc(in);
            if (d != EOF && !((c == '\r' && d == '\n') || (c == '\n' && d == '\r')))
                ungetc(d, in);
            break;
        }
    }
    unsigned values[4];
    int filled = 0;
    for (;;) {
        int c = getc(in);
        if (c == EOF)
            break;
        if (Skipped(c))
            continue;
        values[filled++] = SixBits(c);
        if (filled == 4) {
            putc(int((values[0] << 2) | (values[1] >> 4)), out);
            putc(int(((values[1] & 15) << 4) | (values[2] >> 2)), out);
            putc(int(((values[2] & 3) << 6) | values[3]), out);
            filled = 0;
        }
    }
    if (filled >= 2)
        putc(int((values[0] << 2) | (values[1] >> 4)), out);
    if (filled == 3)
        putc(int(((values[1] & 15) << 4) | (values[2] >> 2)), out);
}

void ReferenceRunLength(FILE *in, FILE *out)
{
    int previous = 0x00;
    for (;;) {
        int c = getc(in);
        if (c == EOF)
            return;
        if (c != 0x90) {
            putc(c, out);
        } else {
            int n = getc(in);
            if (n == EOF)
                return;
            if (n == 0)
                putc(0x90, out);
            for (int i = 1; i < n; i++)
                putc(previous, out);
        }
        previous = c;
    }
}

int ReferenceReadHeader(FILE *bix, ReferenceHeader *header)
{
    memset(header, 0, sizeof *header);
    rewind(bix);
    int n = getc(bix);
    if (n == EOF)
        return -1;
    header->nameLength = unsigned(n);
    for (int i = 0; i < n; i++) {
        int c = getc(bix);
        if (c == EOF)
            return -1;
        header->name[i] = (unsigned char)c;
    }
    for (int i = 0; i < 21; i++) {
        int c = getc(bix);
        if (c == EOF)
            return -1;
        header->fixed[i] = (unsigned char)c;
    }
    const unsigned char *f = header->fixed;
    header->dataLength = uint32_t(f[11]) << 24 | uint32_t(f[12]) << 16 | uint32_t(f[13]) << 8 | f[14];
    header->resourceLength = uint32_t(f[15]) << 24 | uint32_t(f[16]) << 16 | uint32_t(f[17]) << 8 | f[18];
    return 0;
}

void ReferenceCopyFork(FILE *bix, const ReferenceHeader *header, int fork, FILE *out)
{
    rewind(bix);
    // 1 length byte, n name bytes, 21 fixed bytes; the data fork's CRC.
    uint64_t dataStart = 1 + uint64_t(header->nameLength) + 21;
    if (fork == 0) {
        SkipBytes(bix, dataStart);
        CopyCount(bix, out, header->dataLength);
    } else {
        SkipBytes(bix, dataStart + header->dataLength + 2);
        CopyCount(bix, out, header->resourceLength);
    }
}

void ReferenceMacBinary(FILE *bix, const ReferenceHeader *header, FILE *out)
{
    unsigned char mb[128];
    memset(mb, 0, sizeof mb);
    unsigned n = header->nameLength > 63 ? 63 : header->nameLength;
    mb[1] = (unsigned char)n;
    memcpy(mb + 2, header->name, n);
    for (int i = 0; i < 8 && header->fixed[1 + i] != 0; i++)
        mb[65 + i] = header->fixed[1 + i];
    memcpy(mb + 83, header->fixed + 11, 8);
    for (int i = 0; i < 128; i++)
        putc(mb[i], out);
    ReferenceCopyFork(bix, header, 0, out);
    if (header->resourceLength == 0)
        return;
    for (uint32_t i = header->dataLength % 128; i != 0 && i < 128; i++)
        putc(0, out);
    ReferenceCopyFork(bix, header, 1, out);
}
