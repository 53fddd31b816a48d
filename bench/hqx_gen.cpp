// hqx-gen: writes a benchmark input and the forks a decoder must give back.
//
//   hqx-gen KIND SIZE SEED OUT.hqx [DATA-FORK-FILE [RESOURCE-FORK-FILE]]
//
// KIND is random, runs or both; SIZE the wanted size of the text, in bytes
// or with a K or M suffix. Prints the Macintosh name, D, R and the type and
// creator.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/hqx_encode.h"

namespace {

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

}  // namespace

int main(int argc, char **argv)
{
    uint64_t size = 0;
    BenchFile file;
    if (argc < 5 || argc > 7 || ParseSize(argv[2], &size) < 0 ||
        SetUpBenchFile(&file, argv[1], size, strtoull(argv[3], nullptr, 10)) < 0) {
        fputs("usage: hqx-gen random|runs|both SIZE[K|M] SEED OUT.hqx [DATA [RSRC]]\n", stderr);
        return 2;
    }
    if (SizeBenchFile(&file) < 0) {
        fputs("hqx-gen: a fork would pass 4 GB\n", stderr);
        return 1;
    }
    if (WriteBenchFile(&file, argv[4], argc > 5 ? argv[5] : nullptr, argc > 6 ? argv[6] : nullptr) < 0) {
        fprintf(stderr, "hqx-gen: cannot write %s\n", argv[4]);
        return 1;
    }
    printf("%s %lu %lu %.8s\n", file.name, (unsigned long)file.dataLength, (unsigned long)file.resourceLength,
           file.typeCreator);
    return 0;
}
