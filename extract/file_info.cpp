// The information panel's text: the Macintosh name, type/creator and fork
// lengths, read from the start of a MacBinary file or decoded in memory
// from the start of a BinHex file.
#include "extract/file_info.h"

#include <cstring>

#include "decode/binhex.h"
#include "extract/convert.h"
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
        return kNotFound;
    InputHeader input;
    int found = ReadInputHeader(file, &input);
    fclose(file);
    if (found != kDone)
        return kNotFound;
    const BinHexHeader &header = input.fields;

    // Each part of the text in native text: the Macintosh name as fork
    // names have it, the type and creator bytes as Windows-1252.
    char name[kHeaderNameCapacity * 3 + 1];
    MacNameToNative(reinterpret_cast<const char *>(header.name), name, sizeof name, NativeTextIsUnicode());
    char typeCreator[9];
    CopyTypeCreator(typeCreator, header.typeCreator);
    char nativeType[sizeof typeCreator * 3];
    char format[sizeof kPanelFormat * 3];
    ToNativeText(typeCreator, nativeType, sizeof nativeType);
    ToNativeText(kPanelFormat, format, sizeof format);
    snprintf(text, kInfoTextCapacity, format, name, nativeType, (unsigned long)header.dataLength,
             (unsigned long)header.resourceLength);
    return kDone;
}
