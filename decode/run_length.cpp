// BinHex run-length stage: 0x90 followed by a count.
#include "decode/binhex.h"

#include "decode/block_io.h"

int ExpandRunLength(FILE *input, FILE *output)
{
    static BlockReader reader;
    static BlockWriter writer;
    OpenBlockReader(&reader, input);
    OpenBlockWriter(&writer, output);

    // The byte a count repeats: the first byte of the previous step as read,
    // so 0x90 after any marker step, never the count or a repeated byte.
    unsigned char previous = 0x00;
    for (;;) {
        int c = NextByte(&reader);
        if (c < 0)
            break;
        if (c != kRunMarker) {
            PutByte(&writer, (unsigned char)c);
        } else {
            int count = NextByte(&reader);
            if (count < 0)
                break;                            // marker without a count
            if (count == 0)
                PutByte(&writer, kRunMarker);     // a literal 0x90
            else
                PutRepeated(&writer, previous, size_t(count) - 1);
        }
        previous = (unsigned char)c;
    }
    return FlushBlockWriter(&writer) < 0 ? -1 : 1;
}
