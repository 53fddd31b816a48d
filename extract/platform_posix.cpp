// POSIX side of the platform seams: file names and console text are UTF-8,
// files are compared by device and inode.
#include "extract/platform.h"

#include "extract/text.h"

#include <sys/stat.h>
#include <sys/types.h>

int ToNativeText(const char *ansi, char *out, int capacity)
{
    return AnsiToUtf8(ansi, out, capacity);
}

int NativeTextIsUnicode()
{
    return 1;
}

size_t CountCharacters(const char *native)
{
    return CountUtf8Characters(native);
}

int WriteText(const char *text, FILE *stream)
{
    return fputs(text, stream) < 0 ? kWriteFailed : kDone;
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
        return kCut;
    return fseeko(stream, off_t(position), SEEK_SET) == 0 ? kDone : kCut;
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
