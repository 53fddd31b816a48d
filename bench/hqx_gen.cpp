// hqx-gen: writes a benchmark input and the forks a decoder must give back.
//
//   hqx-gen KIND SIZE SEED OUT [DATA-FORK-FILE [RESOURCE-FORK-FILE]]
//   hqx-gen folder COUNT SIZE SEED DIR WANT-DIR
//
// KIND is random, runs or both, written as a BinHex file; or macbinary, a
// file of both forks (as both) written as a MacBinary II file. SIZE is the
// wanted size of the file, in bytes or with a K or M suffix. Prints the
// Macintosh name, D, R and the type and creator.
//
// folder writes COUNT BinHex files into DIR (0000.hqx, 0001.hqx...), of the
// three kinds in turn and of SIZE / 2 to 3 * SIZE / 2 bytes, named "Read Me
// 0" to "Read Me 99" in turn; and into WANT-DIR the data fork of each under
// the name that one run of quillon-cli -m 1 over DIR, without signatures,
// gives it: the name for its first file, then "Read Me 7 (2)", "Read Me 7
// (3)"... Prints COUNT, D and R in all.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/hqx_encode.h"

namespace {

const size_t kPathSize = 4096;
const unsigned kFolderNames = 100;

int ParseSize(const char *text, uint64_t *size)
{
    char *end = nullptr;
    unsigned long long value = strtoull(text, &end, 10);
    if (end == text)
        return -1;
    if (*end == 'K' || *end == 'k')
        value <<= 10, end++;
    else if (*end == 'M' || *end == 'm')
        value <<= 20, end++;
    if (*end != 0)
        return -1;
    *size = value;
    return 0;
}

// Returns: 0, -1 when a file could not be written (told on stderr).
int WriteFolder(unsigned count, uint64_t size, uint64_t seed, const char *dir, const char *want)
{
    static const char *const kKinds[] = {"random", "runs", "both"};
    unsigned seen[kFolderNames] = {0};
    uint64_t data = 0, resource = 0;
    for (unsigned i = 0; i < count; i++) {
        BenchFile file;
        SetUpBenchFile(&file, kKinds[i % 3], size / 2 + uint64_t(i) * 997 % size, seed + i);
        unsigned name = i % kFolderNames;
        snprintf(file.name, sizeof file.name, "Read Me %u", name);
        char hqx[kPathSize], fork[kPathSize];
        snprintf(hqx, sizeof hqx, "%s/%04u.hqx", dir, i);
        if (++seen[name] == 1)
            snprintf(fork, sizeof fork, "%s/%s", want, file.name);
        else
            snprintf(fork, sizeof fork, "%s/%s (%u)", want, file.name, seen[name]);
        if (SizeBenchFile(&file) < 0 || WriteBenchFile(&file, hqx, fork, nullptr) < 0) {
            fprintf(stderr, "hqx-gen: cannot write %s\n", hqx);
            return -1;
        }
        data += file.dataLength;
        resource += file.resourceLength;
    }
    printf("%u %llu %llu\n", count, (unsigned long long)data, (unsigned long long)resource);
    return 0;
}

int Usage()
{
    fputs("usage: hqx-gen random|runs|both|macbinary SIZE[K|M] SEED OUT [DATA [RSRC]]\n"
          "       hqx-gen folder COUNT SIZE[K|M] SEED DIR WANT-DIR\n",
          stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    uint64_t size = 0;
    if (argc == 7 && strcmp(argv[1], "folder") == 0) {
        unsigned count = unsigned(strtoul(argv[2], nullptr, 10));
        if (count == 0 || count > 10000 || ParseSize(argv[3], &size) < 0 || size == 0)
            return Usage();
        return WriteFolder(count, size, strtoull(argv[4], nullptr, 10), argv[5], argv[6]) < 0 ? 1 : 0;
    }
    BenchFile file;
    bool macBinary = argc > 1 && strcmp(argv[1], "macbinary") == 0;
    if (argc < 5 || argc > 7 || ParseSize(argv[2], &size) < 0 ||
        SetUpBenchFile(&file, macBinary ? "both" : argv[1], size, strtoull(argv[3], nullptr, 10)) < 0)
        return Usage();
    if (macBinary)
        strcpy(file.name, "bench-macbinary");
    if ((macBinary ? SizeBenchMacBinary(&file) : SizeBenchFile(&file)) < 0) {
        fputs("hqx-gen: a fork would pass 4 GB, or a MacBinary file 4 GB or be under 1 KB\n", stderr);
        return 1;
    }
    const char *dataPath = argc > 5 ? argv[5] : nullptr;
    const char *rsrcPath = argc > 6 ? argv[6] : nullptr;
    if ((macBinary ? WriteBenchMacBinary(&file, argv[4], dataPath, rsrcPath)
                   : WriteBenchFile(&file, argv[4], dataPath, rsrcPath)) < 0) {
        fprintf(stderr, "hqx-gen: cannot write %s\n", argv[4]);
        return 1;
    }
    printf("%s %lu %lu %.8s\n", file.name, (unsigned long)file.dataLength, (unsigned long)file.resourceLength,
           file.typeCreator);
    return 0;
}
