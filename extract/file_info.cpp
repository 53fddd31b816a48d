// The information panel's text: the Macintosh name, type/creator and fork
// lengths, decoded in memory from the start of a BinHex file.
#include "extract/file_info.h"

#include <cstring>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/platform.h"

namespace {

const char kNotCorrect[] = "Ce fichier n'est pas un fichier BinHex correct.";
const char kPanelFormat[] = "Nom r\xE9" "el : %s\nType : %s\nDonn\xE9" "es : %lu\nRessources : %lu";

// The panel decodes at most this many groups: a header with the longest
// name needs far fewer, unless runs that write nothing pad it, and a file of
// nothing but such runs must not make it read on.
const int kPanelMaxGroups = 1024;

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
    // Whole groups only: an incomplete last group decodes to nothing here.
    static unsigned char decoded[kPanelMaxGroups * 3];
    size_t length = 0;
    unsigned char group[4];
    while (length < sizeof decoded && ReadCharGroup(file, group) == 0) {
        DecodeCharGroup(group);
        memcpy(decoded + length, group, 3);
        length += 3;
    }
    fclose(file);

    unsigned char expanded[kLongestHeader];
    BinHexHeader header;
    size_t have = ExpandRunLengthInMemory(decoded, length, expanded, sizeof expanded);
    if (ParseBinHexHeader(expanded, have, &header) < 0)
        return -1;               // too short to hold a header

    char name[kHeaderNameCapacity + 1];
    TranslateChars(name, reinterpret_cast<const char *>(header.name), MacNameTable);
    char typeCreator[9];
    CopyTypeCreator(typeCreator, header.typeCreator);
    char ansi[kInfoTextCapacity];
    snprintf(ansi, sizeof ansi, kPanelFormat, name, typeCreator, (unsigned long)header.dataLength,
             (unsigned long)header.resourceLength);
    if (ToNativeText(ansi, text, kInfoTextCapacity) < 0) {
        ToNativeText(kNotCorrect, text, kInfoTextCapacity);
        return -1;
    }
    return 0;
}
