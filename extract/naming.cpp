// Fork output names: the Macintosh name through MacNameTable, an extension
// from the signature table, and the string helpers the naming uses.
#include "extract/convert.h"

#include <cstdlib>
#include <cstring>

#include "decode/binhex.h"

namespace {

// Whether LoadSignatureTable has been tried in this run: once per run, at
// the first fork extraction, whatever its outcome.
bool signatureLoadTried = false;

inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

inline char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

inline bool IsComponentSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Position of the dot that starts the extension of s (a dot in the last
// path component followed by at most three characters), or -1.
long ExtensionDot(const char *s)
{
    size_t length = strlen(s);
    long dot = -1;
    for (size_t i = 0; i < length; i++) {
        if (IsComponentSeparator(s[i]))
            dot = -1;
        else if (s[i] == '.')
            dot = long(i);
    }
    if (dot >= 0 && size_t(dot) + 4 >= length)
        return dot;
    return -1;
}

// The console's own names, reserved only as whole names (trailing dots and
// blanks aside).
bool IsConsoleName(const char *name)
{
    static const char *const kConsoles[] = {"CONIN$", "CONOUT$"};
    size_t length = strlen(name);
    while (length > 0 && (name[length - 1] == ' ' || name[length - 1] == '.'))
        length--;
    for (const char *console : kConsoles) {
        if (strlen(console) != length)
            continue;
        size_t i = 0;
        while (i < length && UpperAscii(name[i]) == console[i])
            i++;
        if (i == length)
            return true;
    }
    return false;
}

bool IsReservedDeviceName(const char *name)
{
    static const char *const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    if (IsConsoleName(name))
        return true;
    // The device part ends at the first dot; blanks before it don't count.
    size_t length = strcspn(name, ".");
    while (length > 0 && name[length - 1] == ' ')
        length--;
    char base[5];
    if (length < 3 || length > 4)
        return false;
    for (size_t i = 0; i < length; i++)
        base[i] = char(name[i] >= 'a' && name[i] <= 'z' ? name[i] - 'a' + 'A' : name[i]);
    base[length] = 0;
    if (length == 3) {
        for (const char *device : kDevices)
            if (strcmp(base, device) == 0)
                return true;
        return false;
    }
    // COM1 to COM9 and LPT1 to LPT9, also with the superscript digits 1, 2
    // and 3 of code page 1252, which Windows takes for digits here.
    unsigned char digit = (unsigned char)base[3];
    return (strncmp(base, "COM", 3) == 0 || strncmp(base, "LPT", 3) == 0) &&
           ((digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3);
}

}  // namespace

void ResetSignatureLoad()
{
    free(SignatureTable);
    SignatureTable = nullptr;
    signatureLoadTried = false;
}

char *SetExtension(char *s, const char *extension)
{
    long dot = ExtensionDot(s);
    if (dot >= 0)
        s[dot + 1] = 0;
    if (extension == nullptr)
        return s;
    if (dot < 0)
        AppendChar(s, '.');
    for (const char *e = extension; *e != 0; e++)
        AppendChar(s, LowerAscii(*e));
    return s;
}

char *AppendChar(char *s, char c)
{
    size_t length = strlen(s);
    s[length] = c;
    s[length + 1] = 0;
    return s;
}

int StripLeadingBlanks(char *s)
{
    size_t blanks = strspn(s, " ");
    if (blanks == 0)
        return 0;
    memmove(s, s + blanks, strlen(s + blanks) + 1);
    return 1;
}

char *TranslateChars(char *destination, const char *source, const unsigned char *table)
{
    size_t i = 0;
    for (; source[i] != 0; i++)
        destination[i] = char(table[(unsigned char)source[i]]);
    destination[i] = 0;
    return destination;
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
        return -1;
    }
    char *p = out;
    if (prefix)
        *p++ = '_';
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)name[i];
        *p++ = (c < 0x20 || strchr(kRefused, c) != nullptr) ? '_' : char(c);
    }
    *p = 0;
    return 0;
}

int ReadForkHeader(FILE *stream, char *name, unsigned char fixed[21], int request)
{
    if (!signatureLoadTried) {
        signatureLoadTried = true;
        LoadSignatureTable();
    }
    name[0] = 0;
    memset(fixed, 0, kFixedPartSize);
    rewind(stream);

    // A name longer than the read buffer keeps its first 127 bytes; all n
    // bytes are consumed so that the fixed part is read from its place.
    char nameRead[kNameReadCapacity];
    int n = getc(stream);
    if (n == EOF)
        return -request;                  // no header: no fork either
    size_t kept = size_t(n) < sizeof nameRead - 1 ? size_t(n) : sizeof nameRead - 1;
    if (fread(nameRead, 1, kept, stream) != kept)
        return -request;
    nameRead[kept] = 0;
    for (size_t skipped = kept; skipped < size_t(n); skipped++)
        if (getc(stream) == EOF)
            return -request;
    // A zero byte inside the name ends it, as with any text.
    TranslateChars(name, nameRead, MacNameTable);
    if (fread(fixed, 1, kFixedPartSize, stream) != size_t(kFixedPartSize))
        return -request;

    uint32_t d = ReadBigEndian32(fixed + kFixedDataLength);
    uint32_t r = ReadBigEndian32(fixed + kFixedResourceLength);
    uint32_t tested = (request == kForkData || request == kForkPairData) ? d : r;
    if (tested == 0)
        return -request;

    const SignatureEntry *row = FindSignature(fixed + kFixedTypeCreator);
    const char *extension = row != nullptr ? row->extension : nullptr;
    if (request == kForkData || request == kForkResource) {
        SetExtension(name, extension);
        return n;
    }
    // Both forks: the mark goes between the name and the PC extension, so
    // the data fork's file still opens with the right program and the two
    // names always differ: "Read Me.dat.txt" and "Read Me.res.txt".
    long dot = ExtensionDot(name);
    if (dot >= 0)
        name[dot] = 0;
    strcat(name, request == kForkPairData ? ".dat" : ".res");
    if (extension != nullptr) {
        AppendChar(name, '.');
        for (const char *e = extension; *e != 0; e++)
            AppendChar(name, LowerAscii(*e));
    }
    return n;
}
