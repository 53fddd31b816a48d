// Windows side of the platform seams: program text is the file system's
// text already; files are compared by their full path, without regard to
// letter case.
#include "extract/platform.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

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
