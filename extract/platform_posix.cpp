// POSIX side of the platform seams: file names and console text are UTF-8,
// files are compared by device and inode.
#include "extract/platform.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace {

// Unicode code points of Windows-1252 bytes 0x80-0x9F; the five bytes the
// code page leaves undefined keep their C1 code point, as Windows does.
const uint16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

}  // namespace

int ToNativeText(const char *ansi, char *out, int capacity)
{
    int length = 0;
    for (const unsigned char *p = (const unsigned char *)ansi; *p != 0; p++) {
        unsigned code = *p < 0x80 ? *p : (*p < 0xA0 ? kHighControls[*p - 0x80] : *p);
        unsigned char bytes[3];
        int n;
        if (code < 0x80) {
            bytes[0] = (unsigned char)code;
            n = 1;
        } else if (code < 0x800) {
            bytes[0] = (unsigned char)(0xC0 | (code >> 6));
            bytes[1] = (unsigned char)(0x80 | (code & 0x3F));
            n = 2;
        } else {
            bytes[0] = (unsigned char)(0xE0 | (code >> 12));
            bytes[1] = (unsigned char)(0x80 | ((code >> 6) & 0x3F));
            bytes[2] = (unsigned char)(0x80 | (code & 0x3F));
            n = 3;
        }
        if (length + n + 1 > capacity) {
            if (capacity > 0)
                out[0] = 0;
            return -1;
        }
        for (int i = 0; i < n; i++)
            out[length++] = char(bytes[i]);
    }
    if (capacity <= 0)
        return -1;
    out[length] = 0;
    return 0;
}

int WriteText(const char *text, FILE *stream)
{
    return fputs(text, stream) < 0 ? -1 : 0;
}

int SameFile(const char *a, const char *b)
{
    struct stat sa, sb;
    if (stat(a, &sa) != 0 || stat(b, &sb) != 0)
        return 0;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int SeekTo(FILE *stream, uint64_t position)
{
    if (position > uint64_t(INT64_MAX))
        return -1;
    return fseeko(stream, off_t(position), SEEK_SET) == 0 ? 0 : -1;
}

FILE *OpenForReading(const char *path)
{
    FILE *stream = fopen(path, "rb");
    struct stat st;
    if (stream != nullptr && (fstat(fileno(stream), &st) != 0 || S_ISDIR(st.st_mode))) {
        fclose(stream);
        return nullptr;
    }
    return stream;
}
