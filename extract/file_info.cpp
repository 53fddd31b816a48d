// The information panel's text: the Macintosh name, type/creator and fork
// lengths, decoded in memory from the start of a BinHex file.
#include "extract/convert.h"

#include <cstring>

#include "decode/binhex.h"

namespace {

const char kNotCorrect[] = "Ce fichier n'est pas un fichier BinHex correct.";
const char kPanelFormat[] = "Nom r\xE9" "el : %s\nType : %s\nDonn\xE9" "es : %lu\nRessources : %lu";

// The panel decodes the first 64 groups, as many as a header with a name of
// up to 44 characters needs, and further groups only while the header is
// not complete; never more than kPanelMaxGroups, so a file of nothing but
// empty runs cannot make it read on.
const int kPanelGroups = 64;
const int kPanelMaxGroups = 1024;
const int kExpandedCapacity = 512;
const int kLastHeaderByte = 20;      // a header is n + 20 bytes up to R

struct PanelDecoder {
    FILE *file;
    int groups;                      // groups decoded so far
    int ended;                       // the text ended in the last read
    size_t decodedLength;
    size_t next;                     // next decoded byte to expand
    unsigned char decoded[kPanelMaxGroups * 3];
};

// Returns: 1 when decoded byte `index` exists, reading further groups as
// needed; 0 when the file has no such byte.
int HaveDecodedByte(PanelDecoder *p, size_t index)
{
    while (p->decodedLength <= index) {
        if (p->ended || p->groups == kPanelMaxGroups)
            return 0;
        unsigned char group[4];
        if (ReadCharGroup(p->file, group) != 0) {
            p->ended = 1;        // an incomplete group decodes to nothing
            return 0;
        }
        DecodeCharGroup(group);
        memcpy(p->decoded + p->decodedLength, group, 3);
        p->decodedLength += 3;
        p->groups++;
    }
    return 1;
}

// Expands tokens until `expanded` holds the whole header: byte 0 (the name
// length n), then n + 20 bytes in all. A run never writes past
// kExpandedCapacity. Returns: the number of bytes wanted, and in *have the
// number expanded (fewer when the file ended first).
size_t ExpandHeader(PanelDecoder *p, unsigned char expanded[kExpandedCapacity], size_t *have)
{
    unsigned char previous = 0;
    size_t count = 0;
    size_t wanted = 1;
    while (count < wanted) {
        if (!HaveDecodedByte(p, p->next))
            break;
        unsigned char c = p->decoded[p->next++];
        if (c != kRunMarker) {
            expanded[count++] = c;
        } else {
            if (!HaveDecodedByte(p, p->next))
                break;
            unsigned repeat = p->decoded[p->next++];
            if (repeat == 0) {
                expanded[count++] = kRunMarker;
            } else {
                for (unsigned i = 1; i < repeat && count < size_t(kExpandedCapacity); i++)
                    expanded[count++] = previous;
            }
        }
        previous = c;
        if (count >= 1)
            wanted = size_t(expanded[0]) + kLastHeaderByte;
    }
    *have = count;
    return wanted;
}

}  // namespace

int FormatFileInfo(const char *path, char text[kInfoTextCapacity])
{
    ToNativeText(kNotCorrect, text, kInfoTextCapacity);
    FILE *file = OpenForReading(path);
    if (file == nullptr)
        return -1;
    char firstLine[kTextLineCapacity + 2];
    if (FindEncodedText(file, firstLine) == 0 && strstr(firstLine, "BinHex") == nullptr) {
        fclose(file);
        return -1;
    }

    static PanelDecoder decoder;
    decoder.file = file;
    decoder.groups = 0;
    decoder.ended = 0;
    decoder.decodedLength = 0;
    decoder.next = 0;
    // The usual 64 groups first; more only when the header needs them.
    HaveDecodedByte(&decoder, kPanelGroups * 3 - 1);

    unsigned char expanded[kExpandedCapacity];
    size_t have = 0;
    size_t wanted = ExpandHeader(&decoder, expanded, &have);
    fclose(file);
    if (have < wanted)
        return -1;               // too short to hold a header

    unsigned n = expanded[0];
    char name[256];
    memcpy(name, expanded + 1, n);
    name[n] = 0;
    TranslateChars(name, name, MacNameTable);
    char typeCreator[9];
    CopyTypeCreator(typeCreator, expanded + n + 2);
    unsigned long d = ReadBigEndian32(expanded + n + 12);
    unsigned long r = ReadBigEndian32(expanded + n + 16);

    char ansi[kInfoTextCapacity];
    snprintf(ansi, sizeof ansi, kPanelFormat, name, typeCreator, d, r);
    if (ToNativeText(ansi, text, kInfoTextCapacity) < 0) {
        ToNativeText(kNotCorrect, text, kInfoTextCapacity);
        return -1;
    }
    return 0;
}
