// ref-decode: the reference decoding of one BinHex file, for the benchmark's
// checks of what every decoder wrote.
//
//   ref-decode FILE.hqx PREFIX
//
// Writes PREFIX.bqx, PREFIX.bix, PREFIX.data, PREFIX.rsrc and PREFIX.bin.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/reference_decode.h"

namespace {

FILE *Open(const std::string &path, const char *mode)
{
    FILE *f = fopen(path.c_str(), mode);
    if (f == nullptr) {
        fprintf(stderr, "ref-decode: cannot open %s\n", path.c_str());
        exit(1);
    }
    return f;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        fputs("usage: ref-decode FILE.hqx PREFIX\n", stderr);
        return 2;
    }
    std::string prefix = argv[2];
    FILE *in = Open(argv[1], "rb");
    FILE *bqx = Open(prefix + ".bqx", "w+b");
    ReferenceTextStage(in, bqx);
    fclose(in);
    rewind(bqx);
    FILE *bix = Open(prefix + ".bix", "w+b");
    ReferenceRunLength(bqx, bix);
    fclose(bqx);
    ReferenceHeader header;
    if (ReferenceReadHeader(bix, &header) < 0) {
        fputs("ref-decode: no header\n", stderr);
        return 1;
    }
    const char *extensions[2] = {".data", ".rsrc"};
    for (int fork = 0; fork < 2; fork++) {
        FILE *out = Open(prefix + extensions[fork], "wb");
        ReferenceCopyFork(bix, &header, fork, out);
        fclose(out);
    }
    FILE *bin = Open(prefix + ".bin", "wb");
    ReferenceMacBinary(bix, &header, bin);
    fclose(bin);
    fclose(bix);
    return 0;
}
