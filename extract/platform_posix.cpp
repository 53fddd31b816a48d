// POSIX side of the platform seams: file names and console text are UTF-8,
// files are compared by device and inode.
#include "extract/platform.h"

#include "extract/text.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

const char kPathSeparator = '/';
const int kProgramExpandsWildcards = 0;

int IsSeparator(char c)
{
    return c == '/';
}

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

int GetFileId(const char *path, FileId *id)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return kNotFound;
    id->volume = uint64_t(st.st_dev);
    id->index = uint64_t(st.st_ino);
    id->isFile = S_ISREG(st.st_mode);
    return kDone;
}

int GetStreamSize(FILE *stream, uint64_t *size)
{
    struct stat st;
    if (fstat(fileno(stream), &st) != 0)
        return kNotFound;
    *size = uint64_t(st.st_size);
    return kDone;
}

int GetModifiedTime(const char *path, int64_t *seconds)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return kNotFound;
    *seconds = int64_t(st.st_mtime);
    return kDone;
}

int IsFolder(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The kind comes from lstat: a link is a file when it leads to one, and is
// never followed into a folder (a link to a parent folder would loop).
int ListFolder(const char *folder, FolderEntrySink take, void *context)
{
    DIR *dir = opendir(folder);
    if (dir == nullptr)
        return kNotFound;
    int fd = dirfd(dir);
    while (const dirent *entry = readdir(dir)) {
        const char *name = entry->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        struct stat st;
        int kind = kEntryOther;
        if (fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(st.st_mode))
                kind = kEntryFolder;
            else if (S_ISREG(st.st_mode) || (S_ISLNK(st.st_mode) && fstatat(fd, name, &st, 0) == 0 && S_ISREG(st.st_mode)))
                kind = kEntryFile;
        }
        take(context, name, kind);
    }
    closedir(dir);
    return kDone;
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
