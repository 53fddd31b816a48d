// Bounded string helpers of the front end and the help file's path.
#include <cstring>

#include "app/shell.h"

int CopyText(char *destination, const char *source, int capacity)
{
    size_t length = strlen(source);
    if (length >= size_t(capacity)) {
        destination[0] = '\0';
        return -1;
    }
    memcpy(destination, source, length + 1);
    return 0;
}

int AppendText(char *destination, const char *source, int capacity)
{
    size_t used = strlen(destination);
    size_t length = strlen(source);
    if (used + length >= size_t(capacity))
        return -1;
    memcpy(destination + used, source, length + 1);
    return 0;
}

void GetHelpFilePath(char *path)
{
    // GetModuleFileNameA does not terminate a path that fills the buffer;
    // such a path is not provided for and gives no help file name.
    DWORD length = GetModuleFileNameA(nullptr, path, kPathCapacity);
    if (length == 0 || length >= DWORD(kPathCapacity)) {
        path[0] = '\0';
        return;
    }
    char *dot = strrchr(path, '.');
    if (dot == nullptr || size_t(dot - path) + 4 >= size_t(kPathCapacity))
        return;
    strcpy(dot + 1, "HLP");
}
