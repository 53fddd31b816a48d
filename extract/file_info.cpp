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

}  // namespace

int FormatFileInfo(const char *path, char text[kInfoTextCapacity])
{
    ToNativeText(kNotCorrect, text, kInfoTextCapacity);
    FILE *file = OpenForReading(path);
    if (file == nullptr)
        return -1;
    BinHexHeader header;
    int found = ReadCheckedHeader(file, &header);
    fclose(file);
    if (found < 0)
        return -1;

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
