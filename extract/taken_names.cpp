// The names one batch has written. Files are known by a 64-bit fingerprint
// of their identity, names by one of their text folded to lower case: two
// files whose fingerprints collide (one chance in 2^64) only cost a name
// its number, never a file its content, since a name is free only when no
// file this batch wrote answers to it.
#include "extract/batch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "extract/text.h"

namespace {

const size_t kFirstSlots = 256;   // a power of two; the tables stay at most half full

uint64_t Mix(uint64_t x)
{
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x != 0 ? x : 1;        // 0 marks an unused slot
}

uint64_t FileKey(const FileId *id)
{
    return Mix(id->volume * 0x9E3779B97F4A7C15ull ^ Mix(id->index));
}

// FNV-1a over the name with A to Z folded: names that differ only in case
// share their numbers, as they share a file where the system ignores case.
uint64_t NameKey(const char *name)
{
    uint64_t hash = 0xCBF29CE484222325ull;
    for (; *name != 0; name++)
        hash = (hash ^ (unsigned char)LowerAscii(*name)) * 0x100000001B3ull;
    return Mix(hash);
}

// Returns: the slot of key in keys (slots, a power of two): where it is, or
// the unused slot where it would go.
size_t SlotOf(const uint64_t *keys, size_t slots, uint64_t key)
{
    size_t i = size_t(key) & (slots - 1);
    while (keys[i] != 0 && keys[i] != key)
        i = (i + 1) & (slots - 1);
    return i;
}

// Makes room for one more key in a table of *slots keys holding count
// (values: a parallel table of numbers, or null), doubling it once it
// would be more than half full.
// Returns: kDone, or kNoRoom (the table is unchanged).
int Grow(uint64_t **keys, unsigned **values, size_t *slots, size_t count)
{
    if (*keys != nullptr && 2 * (count + 1) <= *slots)
        return kDone;
    size_t wider = *keys != nullptr ? 2 * *slots : kFirstSlots;
    uint64_t *newKeys = static_cast<uint64_t *>(calloc(wider, sizeof *newKeys));
    unsigned *newValues = values != nullptr ? static_cast<unsigned *>(calloc(wider, sizeof *newValues)) : nullptr;
    if (newKeys == nullptr || (values != nullptr && newValues == nullptr)) {
        free(newKeys);
        free(newValues);
        return kNoRoom;
    }
    for (size_t i = 0; *keys != nullptr && i < *slots; i++) {
        if ((*keys)[i] == 0)
            continue;
        size_t to = SlotOf(newKeys, wider, (*keys)[i]);
        newKeys[to] = (*keys)[i];
        if (values != nullptr)
            newValues[to] = (*values)[i];
    }
    free(*keys);
    *keys = newKeys;
    if (values != nullptr) {
        free(*values);
        *values = newValues;
    }
    *slots = wider;
    return kDone;
}

}  // namespace

void StartTakenNames(TakenNames *taken)
{
    memset(taken, 0, sizeof *taken);
}

void FreeTakenNames(TakenNames *taken)
{
    free(taken->files);
    free(taken->nameKeys);
    free(taken->lastNumbers);
    StartTakenNames(taken);
}

int IsTaken(const TakenNames *taken, const char *path)
{
    FileId id;
    if (taken->files == nullptr || GetFileId(path, &id) != kDone)
        return 0;
    uint64_t key = FileKey(&id);
    return taken->files[SlotOf(taken->files, taken->fileSlots, key)] == key;
}

int RecordWritten(TakenNames *taken, const char *path)
{
    FileId id;
    if (GetFileId(path, &id) != kDone || !id.isFile)
        return kDone;                     // gone already, or a device: nothing to keep free
    if (Grow(&taken->files, nullptr, &taken->fileSlots, taken->fileCount) != kDone)
        return kNoRoom;
    uint64_t key = FileKey(&id);
    size_t slot = SlotOf(taken->files, taken->fileSlots, key);
    taken->fileCount += taken->files[slot] == 0;
    taken->files[slot] = key;
    return kDone;
}

int NumberedName(const char *name, unsigned number, char *out, size_t capacity)
{
    size_t length = strlen(name);
    size_t start = length;
    while (start != 0 && !IsSeparator(name[start - 1]))
        start--;
    const char *dot = strrchr(name + start, '.');
    size_t at = dot != nullptr && dot != name + start ? size_t(dot - name) : length;
    char mark[16];
    size_t markLength = size_t(snprintf(mark, sizeof mark, " (%u)", number));
    if (length + markLength + 1 > capacity)
        return kNoRoom;
    memcpy(out, name, at);
    memcpy(out + at, mark, markLength);
    memcpy(out + at + markLength, name + at, length - at + 1);
    return kDone;
}

int ChooseFreeName(TakenNames *taken, char *path, size_t capacity)
{
    if (!IsTaken(taken, path))
        return kDone;
    uint64_t key = NameKey(path);
    size_t slot = taken->nameKeys != nullptr ? SlotOf(taken->nameKeys, taken->nameSlots, key) : 0;
    bool known = taken->nameKeys != nullptr && taken->nameKeys[slot] == key;
    unsigned number = known ? taken->lastNumbers[slot] : 1;
    char candidate[2 * kPathCapacity];
    do {
        if (NumberedName(path, ++number, candidate, capacity < sizeof candidate ? capacity : sizeof candidate) !=
                kDone ||
            CountCharacters(candidate) > size_t(kPathCharacters))
            return kNoRoom;
    } while (IsTaken(taken, candidate));
    // Without memory for the number, the next file of the name counts from
    // 2 again: slower, never wrong.
    if (Grow(&taken->nameKeys, &taken->lastNumbers, &taken->nameSlots, taken->nameCount) == kDone) {
        slot = SlotOf(taken->nameKeys, taken->nameSlots, key);
        taken->nameCount += taken->nameKeys[slot] == 0;
        taken->nameKeys[slot] = key;
        taken->lastNumbers[slot] = number;
    }
    strcpy(path, candidate);
    return kDone;
}
