// The files a front end was given: paths kept one after the other in one
// growing block, folders walked, wildcards expanded.
#include "extract/batch.h"

#include <cstdlib>
#include <cstring>

#include "decode/macbinary.h"
#include "extract/convert.h"
#include "extract/text.h"

namespace {

const char kMessageFolderEmpty[] = "Le dossier %s ne contient aucun fichier BinHex.";
const char kMessageFolderUnreadable[] = "Le dossier %s ne peut pas \xEAtre ouvert.";

// A walk builds its paths here: a folder of kPathCapacity bytes and a name
// of as many, so that a path too long to convert is still named whole.
const size_t kWalkCapacity = 2 * kPathCapacity + 2;

const size_t kFirstListCapacity = 4096;

// One folder's entries, read whole before any is looked at: each is its
// kind, as one character '0' + kind, then its name.
struct Entries {
    FileList names;
    bool full;        // an entry could not be added: no memory
};

void TakeEntry(void *context, const char *name, int kind)
{
    Entries *entries = static_cast<Entries *>(context);
    char entry[kPathCapacity + 2];
    size_t length = strlen(name);
    if (length > kPathCapacity)
        kind = kEntryOther;                 // no path of it could be converted
    entry[0] = char('0' + kind);
    memcpy(entry + 1, name, length < kPathCapacity ? length + 1 : 1);
    if (AddToFileList(&entries->names, entry) != kDone)
        entries->full = true;
}

int CompareEntries(const void *a, const void *b)
{
    return CompareNames(*static_cast<const char *const *>(a) + 1, *static_cast<const char *const *>(b) + 1);
}

// Reads folder's entries into entries and sorts them by name into *order
// (the caller frees both).
// Returns: kDone; kNotFound when the folder can't be read; kNoRoom.
int ReadSorted(const char *folder, Entries *entries, const char ***order)
{
    StartFileList(&entries->names);
    entries->full = false;
    *order = nullptr;
    if (ListFolder(folder, TakeEntry, entries) != kDone)
        return kNotFound;
    if (entries->full)
        return kNoRoom;
    if (entries->names.count == 0)
        return kDone;
    *order = static_cast<const char **>(malloc(size_t(entries->names.count) * sizeof **order));
    if (*order == nullptr)
        return kNoRoom;
    int i = 0;
    for (const char *e = NextInList(&entries->names, nullptr); e != nullptr; e = NextInList(&entries->names, e))
        (*order)[i++] = e;
    qsort(*order, size_t(i), sizeof **order, CompareEntries);
    return kDone;
}

// Appends name to the path of length bytes in path (kWalkCapacity bytes),
// with a separator unless it ends in one.
// Returns: the new length.
size_t Join(char *path, size_t length, const char *name)
{
    if (length != 0 && !IsSeparator(path[length - 1]))
        path[length++] = kPathSeparator;
    size_t n = strlen(name);
    memcpy(path + length, name, n + 1);
    return length + n;
}

bool FitsPath(const char *path)
{
    return strlen(path) < size_t(kPathCapacity) && CountCharacters(path) <= size_t(kPathCharacters);
}

// Adds the files of the folder at path (length bytes of kWalkCapacity) and
// of its subfolders; path is as it was when it returns.
// Returns: the number added; kNotFound when the folder could not be read
// (after a message); kNoRoom.
int Walk(FileList *list, char *path, size_t length, const Reporter *reporter)
{
    Entries entries;
    const char **order;
    int result = ReadSorted(length != 0 ? path : ".", &entries, &order);
    if (result == kNotFound)
        ReportMessage(reporter, kMessageFolderUnreadable, path);
    int added = 0;
    for (int i = 0; result == kDone && i < entries.names.count; i++) {
        int kind = order[i][0] - '0';
        const char *name = order[i] + 1;
        if (kind == kEntryOther ||
            (kind == kEntryFile && !HasExtension(name, "hqx") && !HasExtension(name, "bin")))
            continue;
        Join(path, length, name);
        if (!FitsPath(path)) {
            if (kind == kEntryFolder || HasExtension(name, "hqx"))
                ReportMessage(reporter, kPathTooLong, path);
        } else if (kind == kEntryFolder) {
            int found = Walk(list, path, strlen(path), reporter);
            if (found == kNoRoom)
                result = found;
            else if (found > 0)
                added += found;
        } else if (ConvertedByFolder(path)) {
            result = AddToFileList(list, path);
            added += result == kDone;
        }
        path[length] = 0;
    }
    free(order);
    FreeFileList(&entries.names);
    return result == kDone ? added : result;
}

}  // namespace

void StartFileList(FileList *list)
{
    list->text = nullptr;
    list->used = list->capacity = 0;
    list->count = 0;
}

void FreeFileList(FileList *list)
{
    free(list->text);
    StartFileList(list);
}

int AddToFileList(FileList *list, const char *path)
{
    size_t size = strlen(path) + 1;
    if (list->used + size > list->capacity) {
        size_t capacity = list->capacity != 0 ? list->capacity : kFirstListCapacity;
        while (list->used + size > capacity)
            capacity *= 2;
        char *text = static_cast<char *>(realloc(list->text, capacity));
        if (text == nullptr)
            return kNoRoom;
        list->text = text;
        list->capacity = capacity;
    }
    memcpy(list->text + list->used, path, size);
    list->used += size;
    list->count++;
    return kDone;
}

const char *NextInList(const FileList *list, const char *path)
{
    const char *next = path == nullptr ? list->text : path + strlen(path) + 1;
    return next != nullptr && next < list->text + list->used ? next : nullptr;
}

int CompareNames(const char *a, const char *b)
{
    for (size_t i = 0;; i++) {
        unsigned char x = (unsigned char)LowerAscii(a[i]), y = (unsigned char)LowerAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return strcmp(a, b);
    }
}

int ConvertedByFolder(const char *path)
{
    if (HasExtension(path, "hqx"))
        return 1;
    if (!HasExtension(path, "bin"))
        return 0;
    FILE *file = OpenForReading(path);
    if (file == nullptr)
        return 0;
    unsigned char bytes[kMacBinaryHeaderSize];
    size_t got = fread(bytes, 1, sizeof bytes, file);
    uint64_t size = 0;
    int sized = GetStreamSize(file, &size);
    fclose(file);
    BinHexHeader header;
    MacBinaryLayout layout;
    return sized == kDone && ParseMacBinaryHeader(bytes, got, size, &header, &layout) == kDone;
}

int AddFolderFiles(FileList *list, const char *folder, const Reporter *reporter)
{
    char path[kWalkCapacity];
    size_t length = strlen(folder);
    if (length >= size_t(kPathCapacity)) {
        ReportMessage(reporter, kPathTooLong, folder);
        return 0;
    }
    memcpy(path, folder, length + 1);
    int added = Walk(list, path, length, reporter);
    if (added == 0)
        ReportMessage(reporter, kMessageFolderEmpty, folder);
    return added == kNotFound ? 0 : added;
}

int HasWildcard(const char *argument)
{
    return strpbrk(argument, "*?") != nullptr;
}

int MatchesWildcard(const char *name, const char *pattern)
{
    // The last * seen and where the name stood then: on a mismatch, that *
    // takes one more character.
    const char *star = nullptr;
    const char *resume = nullptr;
    bool unicode = NativeTextIsUnicode() != 0;
    while (*name != 0) {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
        } else if (*pattern == '?' || (*pattern != 0 && LowerAscii(*pattern) == LowerAscii(*name))) {
            bool any = *pattern++ == '?';
            name++;
            // ? stands for a whole character, all of its UTF-8 bytes.
            while (any && unicode && (*name & 0xC0) == 0x80)
                name++;
        } else if (star != nullptr) {
            pattern = star;
            name = ++resume;
            while (unicode && (*name & 0xC0) == 0x80)
                name = ++resume;
        } else {
            return 0;
        }
    }
    while (*pattern == '*')
        pattern++;
    return *pattern == 0;
}

int AddMatchingPaths(FileList *list, const char *pattern)
{
    size_t folderLength = strlen(pattern);
    while (folderLength != 0 && !IsSeparator(pattern[folderLength - 1]))
        folderLength--;
    char path[kWalkCapacity];
    if (folderLength >= size_t(kPathCapacity))
        return 0;
    memcpy(path, pattern, folderLength);
    path[folderLength] = 0;
    Entries entries;
    const char **order;
    int result = ReadSorted(folderLength != 0 ? path : ".", &entries, &order);
    int added = 0;
    for (int i = 0; result == kDone && i < entries.names.count; i++) {
        if (order[i][0] - '0' == kEntryOther || !MatchesWildcard(order[i] + 1, pattern + folderLength))
            continue;
        memcpy(path + folderLength, order[i] + 1, strlen(order[i] + 1) + 1);
        result = AddToFileList(list, path);
        added += result == kDone;
    }
    free(order);
    FreeFileList(&entries.names);
    return result == kNoRoom ? kNoRoom : added;
}
