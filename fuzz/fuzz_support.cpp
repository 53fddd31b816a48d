#include "fuzz_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "decode/binhex.h"

namespace {

// A stream over a fixed buffer, through the C library's cookie streams:
// glibc's fmemopen treats zero bytes as text ends and moves its end past
// binary writes, so it cannot stand in for a file.
struct MemoryFile {
    unsigned char *bytes;
    size_t capacity;
    size_t length;       // the end of the file: the furthest byte written
    size_t position;
    bool writable;
    bool inUse;
};

MemoryFile memoryFiles[8];

ssize_t MemoryRead(void *cookie, char *buffer, size_t size)
{
    MemoryFile *m = static_cast<MemoryFile *>(cookie);
    size_t n = m->position < m->length ? m->length - m->position : 0;
    if (n > size)
        n = size;
    if (n != 0)
        memcpy(buffer, m->bytes + m->position, n);
    m->position += n;
    return ssize_t(n);
}

ssize_t MemoryWrite(void *cookie, const char *buffer, size_t size)
{
    MemoryFile *m = static_cast<MemoryFile *>(cookie);
    if (!m->writable || m->position > m->capacity)
        return -1;
    size_t n = m->capacity - m->position;
    if (n > size)
        n = size;
    if (m->position > m->length)        // a gap left by a seek reads as zeros
        memset(m->bytes + m->length, 0, m->position - m->length);
    memcpy(m->bytes + m->position, buffer, n);
    m->position += n;
    if (m->position > m->length)
        m->length = m->position;
    return n == 0 ? -1 : ssize_t(n);
}

int MemorySeek(void *cookie, off64_t *offset, int whence)
{
    MemoryFile *m = static_cast<MemoryFile *>(cookie);
    long long base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? (long long)m->position
                                                                  : (long long)m->length;
    long long target = base + *offset;
    if (target < 0)
        return -1;
    m->position = size_t(target);
    *offset = target;
    return 0;
}

int MemoryClose(void *cookie)
{
    static_cast<MemoryFile *>(cookie)->inUse = false;
    return 0;
}

FILE *OpenMemoryFile(unsigned char *bytes, size_t capacity, size_t length, bool writable)
{
    for (MemoryFile &m : memoryFiles) {
        if (m.inUse)
            continue;
        m = MemoryFile{bytes, capacity, length, 0, writable, true};
        cookie_io_functions_t io = {MemoryRead, MemoryWrite, MemorySeek, MemoryClose};
        FILE *stream = fopencookie(&m, writable ? "w+" : "r", io);
        if (stream == nullptr)
            FuzzFailure("fopencookie");
        return stream;
    }
    FuzzFailure("too many memory streams open");
}

}  // namespace

FILE *OpenReadStream(const uint8_t *data, size_t size)
{
    return OpenMemoryFile(const_cast<uint8_t *>(data), size, size, false);
}

FILE *OpenScratchStream(unsigned char *buffer, size_t capacity)
{
    return OpenMemoryFile(buffer, capacity, 0, true);
}

size_t StreamLength(FILE *stream)
{
    fflush(stream);
    long here = ftell(stream);
    fseek(stream, 0, SEEK_END);
    long end = ftell(stream);
    fseek(stream, here, SEEK_SET);
    return end < 0 ? 0 : size_t(end);
}

namespace {

char folder[128];

// Removes the scratch folder and what the targets left in it.
void RemoveScratchFolder()
{
    static const char *const kNames[] = {"signatures.sig", "input.hqx"};
    char path[256];
    for (const char *name : kNames) {
        snprintf(path, sizeof path, "%s/%s", folder, name);
        unlink(path);
    }
    rmdir(folder);
}

}  // namespace

const char *ScratchPath(const char *name)
{
    static char path[256];
    if (folder[0] == 0) {
        struct stat st;
        const char *base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
        snprintf(folder, sizeof folder, "%s/quillon-fuzz-%ld", base, long(getpid()));
        mkdir(folder, 0700);
        atexit(RemoveScratchFolder);
    }
    snprintf(path, sizeof path, "%s/%s", folder, name);
    return path;
}

void WriteWholeFile(const char *path, const uint8_t *data, size_t size)
{
    FILE *file = fopen(path, "wb");
    if (file == nullptr || (size != 0 && fwrite(data, 1, size, file) != size) || fclose(file) != 0)
        FuzzFailure("cannot write the scratch file");
}

std::vector<unsigned char> SlowTextStage(const uint8_t *data, size_t size, bool withShortGroup)
{
    std::vector<unsigned char> out;
    FILE *input = OpenReadStream(data, size);
    char line[kTextLineCapacity + 2];
    FindEncodedText(input, line);
    FUZZ_CHECK(strlen(line) <= size_t(kTextLineCapacity) + 1);
    unsigned char group[4];
    int filled = 0;
    int c;
    while ((c = getc(input)) != EOF) {
        if (c == '\r' || c == '\n' || c == ':' || c == ' ' || c == '\t')
            continue;
        group[filled++] = (unsigned char)c;
        if (filled == 4) {
            DecodeCharGroup(group);
            FUZZ_CHECK(group[3] == 0);
            out.insert(out.end(), group, group + 3);
            filled = 0;
        }
    }
    fclose(input);
    if (withShortGroup && filled >= 2) {
        for (int i = filled; i < 4; i++)
            group[i] = '!';               // value 0
        DecodeCharGroup(group);
        out.insert(out.end(), group, group + filled - 1);
    }
    return out;
}

void FuzzFailure(const char *what)
{
    fprintf(stderr, "fuzz check failed: %s\n", what);
    abort();
}
