// Fork output names: the Macintosh name through MacNameTable, an extension
// from the signature table, and the string helpers the naming uses.
#include "extract/naming.h"

#include <cstring>


namespace {

// The console's own names, reserved only as whole names (trailing dots and
// blanks aside).
bool IsConsoleName(const char *name)
{
    static const char *const kConsoles[] = {"conin$", "conout$"};
    size_t length = strlen(name);
    while (length > 0 && (name[length - 1] == ' ' || name[length - 1] == '.'))
        length--;
    for (const char *console : kConsoles) {
        if (strlen(console) != length)
            continue;
        size_t i = 0;
        while (i < length && LowerAscii(name[i]) == console[i])
            i++;
        if (i == length)
            return true;
    }
    return false;
}

// Returns: true when the first length bytes of name are `lower` in any
// letter case.
bool SameLetters(const char *name, size_t length, const char *lower)
{
    if (strlen(lower) != length)
        return false;
    for (size_t i = 0; i < length; i++)
        if (LowerAscii(name[i]) != lower[i])
            return false;
    return true;
}

bool IsReservedDeviceName(const char *name)
{
    static const char *const kDevices[] = {"con", "prn", "aux", "nul"};
    // The superscript digits 1, 2 and 3, which Windows takes for digits in
    // COM and LPT names.
    static const char *const kSuperscripts[] = {"\xB9", "\xB2", "\xB3"};
    if (IsConsoleName(name))
        return true;
    // The device part ends at the first dot; blanks before it don't count.
    size_t length = strcspn(name, ".");
    while (length > 0 && name[length - 1] == ' ')
        length--;
    for (const char *device : kDevices)
        if (SameLetters(name, length, device))
            return true;
    if (length < 4 || !(SameLetters(name, 3, "com") || SameLetters(name, 3, "lpt")))
        return false;
    // COM1 to COM9 and LPT1 to LPT9, the digit a character of native text.
    const char *digit = name + 3;
    size_t digitLength = length - 3;
    if (digitLength == 1 && digit[0] >= '1' && digit[0] <= '9')
        return true;
    for (const char *superscript : kSuperscripts) {
        char native[4];
        ToNativeText(superscript, native, sizeof native);
        if (strlen(native) == digitLength && memcmp(native, digit, digitLength) == 0)
            return true;
    }
    return false;
}

}  // namespace

int MacNameToNative(const char *mac, char *out, int capacity, int unicode)
{
    if (!unicode) {
        if (strlen(mac) + 1 > size_t(capacity)) {
            out[0] = 0;
            return kNoRoom;
        }
        TranslateChars(out, mac, MacNameTable);
        return kDone;
    }
    int length = 0;
    for (const unsigned char *p = (const unsigned char *)mac; *p != 0; p++) {
        char bytes[3];
        int n;
        uint16_t code = *p >= 0x80 ? MacRomanUnicode[*p - 0x80] : 0;
        if (code != 0) {
            n = EncodeUtf8(code, bytes);
        } else {
            const char ansi[2] = {char(MacNameTable[*p]), 0};
            char utf8[4];
            AnsiToUtf8(ansi, utf8, sizeof utf8);
            n = int(strlen(utf8));
            memcpy(bytes, utf8, size_t(n));
        }
        if (length + n + 1 > capacity) {
            out[0] = 0;
            return kNoRoom;
        }
        memcpy(out + length, bytes, size_t(n));
        length += n;
    }
    out[length] = 0;
    return kDone;
}

int MakeSafeFileName(const char *name, char *out, int capacity)
{
    static const char kRefused[] = "\\/:*?\"<>|";
    size_t length = strlen(name);
    bool onlyDotsAndBlanks = strspn(name, ". ") == length;
    bool prefix = onlyDotsAndBlanks || IsReservedDeviceName(name);
    if (length + (prefix ? 1 : 0) + 1 > size_t(capacity)) {
        if (capacity > 0)
            out[0] = 0;
        return kNoRoom;
    }
    char *p = out;
    if (prefix)
        *p++ = '_';
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        *p++ = (c < 0x20 || strchr(kRefused, c) != nullptr) ? '_' : char(c);
    }
    *p = 0;
    return kDone;
}

int ReadForkHeader(SignatureTable *table, const BinHexHeader *header, char *name, int request)
{
    if (table != nullptr)
        LoadSignatureTableOnce(table);
    name[0] = 0;
    if (header == nullptr)
        return kNotFound;                 // no header: no fork either
    uint32_t tested = (request == kForkData || request == kForkPairData) ? header->dataLength
                                                                         : header->resourceLength;
    // A name longer than 127 bytes keeps its first 127; a zero byte inside
    // it ends it, as with any text.
    char kept[kNameReadCapacity];
    size_t n = header->nameLength < kNameReadCapacity - 1 ? header->nameLength : kNameReadCapacity - 1;
    memcpy(kept, header->name, n);
    kept[n] = 0;
    MacNameToNative(kept, name, kPathCapacity, NativeTextIsUnicode());
    if (tested == 0)
        return kNotFound;

    const SignatureEntry *row = FindSignature(table, header->typeCreator);
    // The row's extension (program text) in native text; null: no table.
    char nativeExtension[sizeof row->extension * 3];
    const char *extension = nullptr;
    if (row != nullptr && ToNativeText(row->extension, nativeExtension, sizeof nativeExtension) == 0)
        extension = nativeExtension;
    if (request == kForkData || request == kForkResource) {
        SetExtension(name, extension);
        return kDone;
    }
    // Both forks: the mark goes between the name and the PC extension, so
    // the data fork's file still opens with the right program and the two
    // names always differ: "Read Me.dat.txt" and "Read Me.res.txt".
    long dot = ExtensionDot(name);
    if (dot != kNotFound)
        name[dot] = 0;
    strcat(name, request == kForkPairData ? ".dat" : ".res");
    if (extension != nullptr)
        AppendLowerCase(AppendChar(name, '.'), extension);
    return kDone;
}
