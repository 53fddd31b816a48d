// Windows side of the platform seams: native text is the ANSI code page's
// (UTF-8 where the manifest's request is honoured) and goes to a console in
// UTF-16 and elsewhere in UTF-8; files are compared by their file index.
#include "extract/platform.h"

#include "extract/text.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <io.h>

const char kPathSeparator = '\\';
const int kProgramExpandsWildcards = 1;

int IsSeparator(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

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

// By volume and file index, as POSIX systems have device and inode: two
// names of one file (a short name, other letter case, a hard link) give one
// identity.
int GetFileId(const char *path, FileId *id)
{
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return kNotFound;
    BY_HANDLE_FILE_INFORMATION info;
    BOOL known = GetFileInformationByHandle(file, &info);
    id->isFile = GetFileType(file) == FILE_TYPE_DISK && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    if (!known)
        return kNotFound;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return kDone;
}

int GetStreamSize(FILE *stream, uint64_t *size)
{
    __int64 length = _filelengthi64(_fileno(stream));
    if (length < 0)
        return kNotFound;
    *size = uint64_t(length);
    return kDone;
}

int GetModifiedTime(const char *path, int64_t *seconds)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return kNotFound;
    // 100-nanosecond steps since 1601-01-01 UTC; 1970 is 11,644,473,600 s later.
    uint64_t steps = (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    *seconds = int64_t(steps / 10000000) - INT64_C(11644473600);
    return kDone;
}

int IsFolder(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A folder that is a reparse point (a junction, a symbolic link to a
// folder, a mount point) is never gone into: it may lead back up the tree.
// Names are read in UTF-16 and made native text here: the ANSI form of
// the search keeps 260 bytes of a name, less than a long name takes in
// UTF-8.
int ListFolder(const char *folder, FolderEntrySink take, void *context)
{
    wchar_t pattern[kPathCapacity + 4];
    int length = MultiByteToWideChar(CP_ACP, 0, folder, -1, pattern, kPathCapacity) - 1;
    if (length < 0)
        return kNotFound;
    if (length != 0 && pattern[length - 1] != L'\\' && pattern[length - 1] != L'/' && pattern[length - 1] != L':')
        pattern[length++] = L'\\';
    pattern[length++] = L'*';
    pattern[length] = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kDone : kNotFound;
    do {
        const wchar_t *wide = found.cFileName;
        if (wide[0] == L'.' && (wide[1] == 0 || (wide[1] == L'.' && wide[2] == 0)))
            continue;
        // A name that an ANSI code page can't write could not be opened
        // either (UTF-8 writes every name, and takes no lossy flag).
        char name[kPathCapacity];
        BOOL lossy = FALSE;
        if (WideCharToMultiByte(CP_ACP, 0, wide, -1, name, sizeof name, nullptr,
                                NativeTextIsUnicode() ? nullptr : &lossy) == 0 || lossy)
            continue;
        DWORD attributes = found.dwFileAttributes;
        int kind = kEntryFile;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kEntryOther : kEntryFolder;
        else if (attributes & FILE_ATTRIBUTE_DEVICE)
            kind = kEntryOther;
        take(context, name, kind);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return kDone;
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
