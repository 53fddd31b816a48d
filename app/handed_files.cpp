// Files handed over by Explorer: the paths on the command line ("Open
// with", a file association, a drop on the program's icon) and the files
// and folders dropped on the main window. Each is checked before the list
// takes it; a folder stands for the files its walk finds.
#include <cstdio>
#include <cstring>

#include "app/dialog_util.h"
#include "app/shell.h"

// The one message naming what was left out: "path (why), path (why)".
static const char kLeftOutOne[] = "Ce fichier est laiss\xE9 de c\xF4t\xE9 : %s.";
static const char kLeftOutSeveral[] = "Ces fichiers sont laiss\xE9s de c\xF4t\xE9 : %s.";
static const char kMissing[] = "introuvable";
static const char kCutMark[] = ", \x85";  // ends a list of names that is too long
static const char kNoMemory[] = "M\xE9moire insuffisante : la liste ne prend pas tous les fichiers.";

// An argument or dropped name is read into this many bytes (a path of
// kPathCharacters characters of any script); a longer one is refused as too
// long (the cut name is shown).
static const int kArgumentCapacity = kPathCapacity;

// Adds given (native text) to the list of what was left out, with why.
static void NoteLeftOut(HandedFiles *files, const char *given, const char *why)
{
    ++files->leftOutCount;
    char item[kArgumentCapacity + 32];
    snprintf(item, sizeof item, "%s%s (%s)", files->leftOut[0] != '\0' ? ", " : "", given, why);
    // Room for the cut mark is kept; once it is there, later names are only
    // counted.
    char cut[16];
    ToNativeText(kCutMark, cut, sizeof cut);
    size_t used = strlen(files->leftOut);
    size_t mark = strlen(cut);
    bool marked = used >= mark && strcmp(files->leftOut + used - mark, cut) == 0;
    if (AppendText(files->leftOut, item, kLeftOutCapacity - int(sizeof cut)) < 0 && !marked)
        AppendText(files->leftOut, cut, kLeftOutCapacity);
}

// Takes one path as given (relative to the current directory, or full): an
// existing file is listed by its full path, a folder by the files of its
// walk; a missing file is noted for the message; a full path over
// kPathCharacters characters is refused with the driver's message.
static void ConsiderPath(HandedFiles *files, const char *given, size_t length)
{
    if (length == 0 || files->full)
        return;
    char full[kPathCapacity];
    DWORD fullLength = 0;
    if (length < size_t(kArgumentCapacity))
        fullLength = GetFullPathNameA(given, kPathCapacity, full, nullptr);
    if (length >= size_t(kArgumentCapacity) || fullLength >= DWORD(kPathCapacity)
        || (fullLength != 0 && CountCharacters(full) > size_t(kPathCharacters))) {
        ReportMessage(&files->reporter, kPathTooLong, given);
        return;
    }
    DWORD attributes = fullLength == 0 ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        NoteLeftOut(files, given, kMissing);
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        files->full = AddFolderFiles(&files->paths, full, &files->reporter) == kNoRoom;
    else
        files->full = AddToFileList(&files->paths, full) != kDone;
}

void StartHandedFiles(HandedFiles *files, MessageLog *log)
{
    StartFileList(&files->paths);
    files->leftOutCount = 0;
    files->leftOut[0] = '\0';
    files->full = false;
    files->reporter = MessageLogReporter(log);
}

void FreeHandedFiles(HandedFiles *files)
{
    FreeFileList(&files->paths);
}

// Copies the argument at *cursor into out (kArgumentCapacity bytes, cut if
// longer) and moves *cursor past it. Blanks and tabs separate arguments;
// double quotes keep blanks inside one and are dropped. A backslash is a
// path character and escapes nothing: `"C:\"` is the root of C:.
// Returns: the argument's length before any cut, or -1 at the line's end.
static int NextArgument(const char **cursor, char *out)
{
    const char *p = *cursor;
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p == '\0')
        return -1;
    int length = 0;
    bool quoted = false;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); ++p) {
        if (*p == '"') {
            quoted = !quoted;
        } else {
            if (length < kArgumentCapacity - 1)
                out[length] = *p;
            ++length;
        }
    }
    out[length < kArgumentCapacity ? length : kArgumentCapacity - 1] = '\0';
    *cursor = p;
    return length;
}

void ReadCommandLine(const char *commandLine, HandedFiles *files)
{
    char argument[kArgumentCapacity];
    int length;
    while ((length = NextArgument(&commandLine, argument)) >= 0)
        ConsiderPath(files, argument, size_t(length));
}

void ReadDroppedFiles(HDROP drop, HandedFiles *files)
{
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        char name[kArgumentCapacity];
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        DragQueryFileA(drop, i, name, sizeof name);
        ConsiderPath(files, name, length);
    }
    DragFinish(drop);
}

void ReportLeftOut(HandedFiles *files)
{
    if (files->leftOutCount != 0)
        ReportMessage(&files->reporter, files->leftOutCount == 1 ? kLeftOutOne : kLeftOutSeveral, files->leftOut);
    if (files->full)
        ReportMessage(&files->reporter, kNoMemory, "");
}
