// String helpers, and the text encodings: Windows-1252 to UTF-8, UTF-8
// characters, and the Unicode characters of Mac Roman names that
// Windows-1252 lacks.
#include "extract/text.h"

#include <cstring>

#include "extract/platform.h"

namespace {

// Unicode code points of Windows-1252 bytes 0x80-0x9F; the five bytes the
// code page leaves undefined keep their C1 code point, as Windows does.
const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

inline bool IsComponentSeparator(char c)
{
    return c == '\\' || c == '/';
}

}  // namespace

// From the published Mac Roman table, for the characters that MacNameTable
// turns into '_'.
const uint16_t MacRomanUnicode[128] = {
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0x80
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0x88
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0x90
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0x98
    0x2020, 0x0000, 0x0000, 0x0000, 0x0000, 0x2022, 0x0000, 0x0000,  // 0xA0
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x2260, 0x0000, 0x0000,  // 0xA8
    0x221E, 0x0000, 0x2264, 0x2265, 0x0000, 0x0000, 0x2202, 0x2211,  // 0xB0
    0x220F, 0x03C0, 0x222B, 0x0000, 0x0000, 0x03A9, 0x0000, 0x0000,  // 0xB8
    0x0000, 0x0000, 0x0000, 0x221A, 0x0000, 0x2248, 0x2206, 0x0000,  // 0xC0
    0x0000, 0x2026, 0x00A0, 0x0000, 0x0000, 0x0000, 0x0152, 0x0153,  // 0xC8
    0x0000, 0x0000, 0x201C, 0x201D, 0x0000, 0x0000, 0x0000, 0x25CA,  // 0xD0
    0x0000, 0x0000, 0x0000, 0x0000, 0x2039, 0x203A, 0xFB01, 0xFB02,  // 0xD8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x0000, 0x0000, 0x0000,  // 0xE0
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0xE8
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,  // 0xF0
    0x0000, 0x02D8, 0x02D9, 0x0000, 0x0000, 0x0000, 0x02DB, 0x02C7,  // 0xF8
};

int HasExtension(const char *s, const char *extension)
{
    size_t length = strlen(s);
    size_t e = strlen(extension);
    if (length < e + 1 || s[length - e - 1] != '.')
        return 0;
    for (size_t i = 0; i < e; i++)
        if (LowerAscii(s[length - e + i]) != extension[i])
            return 0;
    return 1;
}

long ExtensionDot(const char *s)
{
    size_t length = strlen(s);
    long dot = kNotFound;
    for (size_t i = 0; i < length; i++) {
        if (IsComponentSeparator(s[i]))
            dot = kNotFound;
        else if (s[i] == '.')
            dot = long(i);
    }
    return dot != kNotFound && CountCharacters(s + dot + 1) <= 3 ? dot : kNotFound;
}

char *SetExtension(char *s, const char *extension)
{
    long dot = ExtensionDot(s);
    if (dot != kNotFound)
        s[dot + 1] = 0;
    if (extension == nullptr)
        return s;
    if (dot == kNotFound)
        AppendChar(s, '.');
    return AppendLowerCase(s, extension);
}

char *AppendChar(char *s, char c)
{
    size_t length = strlen(s);
    s[length] = c;
    s[length + 1] = 0;
    return s;
}

char *AppendLowerCase(char *s, const char *text)
{
    char *end = s + strlen(s);
    for (; *text != 0; text++)
        *end++ = LowerAscii(*text);
    *end = 0;
    return s;
}

int StripLeadingBlanks(char *s)
{
    size_t blanks = strspn(s, " ");
    memmove(s, s + blanks, strlen(s + blanks) + 1);
    return int(blanks);
}

char *TranslateChars(char *destination, const char *source, const unsigned char *table)
{
    size_t i = 0;
    for (; source[i] != 0; i++)
        destination[i] = char(table[(unsigned char)source[i]]);
    destination[i] = 0;
    return destination;
}

int EncodeUtf8(unsigned code, char out[3])
{
    if (code < 0x80) {
        out[0] = char(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = char(0xC0 | (code >> 6));
        out[1] = char(0x80 | (code & 0x3F));
        return 2;
    }
    out[0] = char(0xE0 | (code >> 12));
    out[1] = char(0x80 | ((code >> 6) & 0x3F));
    out[2] = char(0x80 | (code & 0x3F));
    return 3;
}

int AnsiToUtf8(const char *ansi, char *out, int capacity)
{
    int length = 0;
    for (const unsigned char *p = (const unsigned char *)ansi; *p != 0; p++) {
        char bytes[3];
        int n = EncodeUtf8(*p < 0x80 ? *p : (*p < 0xA0 ? kHighControls[*p - 0x80] : *p), bytes);
        if (length + n + 1 > capacity) {
            if (capacity > 0)
                out[0] = 0;
            return kNoRoom;
        }
        for (int i = 0; i < n; i++)
            out[length++] = bytes[i];
    }
    if (capacity <= 0)
        return kNoRoom;
    out[length] = 0;
    return kDone;
}

size_t CountUtf8Characters(const char *text)
{
    size_t count = 0;
    for (const unsigned char *p = (const unsigned char *)text; *p != 0; p++)
        count += (*p & 0xC0) != 0x80;
    return count;
}
