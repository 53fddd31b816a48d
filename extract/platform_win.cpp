// Windows side of the platform seams: native text is the ANSI code page's
// (UTF-8 where the manifest's request is honoured) and goes to a console in
// UTF-16 and elsewhere in UTF-8; files are compared by their file index.
#include "extract/platform.h"

#include "extract/text.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <io.h>

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
    if (NativeTextIsUnicode())
        return AnsiToUtf8(ansi, out, capacity);
    size_t length = strlen(ansi);
    if (capacity <= 0 || length + 1 > size_t(capacity)) {
        if (capacity > 0)
            out[0] = 0;
        return kNoRoom;
    }
    memcpy(out, ansi, length + 1);
    return kDone;
}

int NativeTextIsUnicode()
{
    return GetACP() == CP_UTF8;
}

// Counted as the system counts them, in UTF-16 units.
size_t CountCharacters(const char *native)
{
    int units = MultiByteToWideChar(CP_ACP, 0, native, -1, nullptr, 0);
    return units > 0 ? size_t(units - 1) : strlen(native);
}

// Native text is in the ANSI code page (CP_ACP), UTF-8 where the
// manifest's request is honoured.
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
            return kWriteFailed;
        if (console) {
            DWORD written = 0;
            if (!WriteConsoleW(handle, wide, DWORD(units), &written, nullptr))
                return kWriteFailed;
        } else {
            char utf8[3 * kPieceBytes];
            int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
            if (bytes == 0 || fwrite(utf8, 1, size_t(bytes), stream) != size_t(bytes))
                return kWriteFailed;
        }
        text += length;
    }
    return kDone;
}

// Compared by volume and file index, as POSIX compares device and inode:
// two names of one file (a short name, other letter case, a hard link) are
// the same file.
int SameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION info[2];
    const char *paths[2] = {a, b};
    for (int i = 0; i < 2; i++) {
        HANDLE file = CreateFileA(paths[i], 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return 0;
        BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known)
            return 0;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

int SeekTo(FILE *stream, uint64_t position)
{
    if (position > uint64_t(INT64_MAX))
        return kCut;
    return _fseeki64(stream, (__int64)position, SEEK_SET) == 0 ? kDone : kCut;
}

FILE *OpenForReading(const char *path)
{
    return fopen(path, "rb");    // a folder does not open here
}
