// Windows side of the platform seams: program text is the file system's
// text already, and goes to a console in UTF-16 and elsewhere in UTF-8;
// files are compared by their full path, without regard to letter case.
#include "extract/platform.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <io.h>
#include <sys/stat.h>

namespace {

// Program text is converted this many bytes at a time. A byte of the ANSI
// code page gives at most one UTF-16 unit, a UTF-16 unit at most three
// UTF-8 bytes.
const int kPieceBytes = 512;

// Returns: the length of the piece of text to convert next, at most
// kPieceBytes. A longer text is cut after the last byte below 0x80 in that
// reach: such a byte ends a character in every ANSI code page, the
// multi-byte ones and UTF-8 included.
int PieceLength(const char *text)
{
    int length = 0;
    int cut = 0;
    for (; length < kPieceBytes && text[length] != '\0'; ++length) {
        if ((unsigned char)text[length] < 0x80)
            cut = length + 1;
    }
    return text[length] == '\0' || cut == 0 ? length : cut;
}

}  // namespace

int ToNativeText(const char *ansi, char *out, int capacity)
{
    size_t length = strlen(ansi);
    if (capacity <= 0 || length + 1 > size_t(capacity)) {
        if (capacity > 0)
            out[0] = 0;
        return -1;
    }
    memcpy(out, ansi, length + 1);
    return 0;
}

// The program's text is in the ANSI code page (CP_ACP): 1252 for its
// French texts today, whatever the manifest makes it later.
int WriteText(const char *text, FILE *stream)
{
    HANDLE handle = HANDLE(_get_osfhandle(_fileno(stream)));
    DWORD consoleMode = 0;
    bool console = GetConsoleMode(handle, &consoleMode) != 0;
    if (console)
        fflush(stream);  // what the stream holds goes first
    while (*text != '\0') {
        int length = PieceLength(text);
        wchar_t wide[kPieceBytes];
        int units = MultiByteToWideChar(CP_ACP, 0, text, length, wide, kPieceBytes);
        if (units == 0)
            return -1;
        if (console) {
            DWORD written = 0;
            if (!WriteConsoleW(handle, wide, DWORD(units), &written, nullptr))
                return -1;
        } else {
            char utf8[3 * kPieceBytes];
            int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
            if (bytes == 0 || fwrite(utf8, 1, size_t(bytes), stream) != size_t(bytes))
                return -1;
        }
        text += length;
    }
    return 0;
}

int SameFile(const char *a, const char *b)
{
    struct _stat sa, sb;
    if (_stat(a, &sa) != 0 || _stat(b, &sb) != 0)
        return 0;
    char fullA[_MAX_PATH], fullB[_MAX_PATH];
    if (_fullpath(fullA, a, sizeof fullA) == nullptr || _fullpath(fullB, b, sizeof fullB) == nullptr)
        return 0;
    return _stricmp(fullA, fullB) == 0;
}

int SeekTo(FILE *stream, uint64_t position)
{
    if (position > uint64_t(INT64_MAX))
        return -1;
    return _fseeki64(stream, (__int64)position, SEEK_SET) == 0 ? 0 : -1;
}

FILE *OpenForReading(const char *path)
{
    return fopen(path, "rb");    // a folder does not open here
}
