// stage-bench: each decoding stage alone, on files, as the driver runs it.
//
//   stage-bench REPS FILE.hqx WORKDIR
//
// Times, REPS times each, in turn: the text stage (FILE.hqx to WORKDIR/
// stage.bqx), the run-length stage (stage.bqx to stage.bix) and the fork
// copy (the data fork of stage.bix, or its resource fork when the data
// fork is empty, to stage.fork through CopyBytes, its CRC checked). Every timing covers the
// opens, the stage and the flushing closes; the output is deleted before
// each repetition. Prints one line per stage, with the medians of the
// elapsed time and of the process's user and system time:
//   STAGE ELAPSED USER SYSTEM BYTES-IN BYTES-OUT
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "decode/binhex.h"

namespace {

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// User and system time of this process so far.
void CpuNow(double *user, double *system)
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    *user = double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) * 1e-6;
    *system = double(u.ru_stime.tv_sec) + double(u.ru_stime.tv_usec) * 1e-6;
}

long long FileSize(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (f == nullptr)
        return -1;
    fseek(f, 0, SEEK_END);
    long long size = ftell(f);
    fclose(f);
    return size;
}

struct Timing {
    std::vector<double> elapsed;
    std::vector<double> user;
    std::vector<double> system;
};

// Runs stage from `from` to `to` as the driver does and records the time.
void TimeStage(Timing *t, const char *from, const char *to, int (*stage)(FILE *, FILE *))
{
    remove(to);
    double start = Now();
    double startUser, startSystem;
    CpuNow(&startUser, &startSystem);
    FILE *input = fopen(from, "r+b");
    FILE *output = fopen(to, "w+b");
    if (input == nullptr || output == nullptr) {
        fprintf(stderr, "stage-bench: cannot open %s or %s\n", from, to);
        exit(1);
    }
    stage(input, output);
    fclose(input);
    fflush(output);
    fclose(output);
    t->elapsed.push_back(Now() - start);
    double user, system;
    CpuNow(&user, &system);
    t->user.push_back(user - startUser);
    t->system.push_back(system - startSystem);
}

uint64_t forkOffset;
uint32_t forkLength;

// The fork copy as the driver makes it: the bytes, then their CRC checked.
int CopyFork(FILE *input, FILE *output)
{
    fseek(input, long(forkOffset), SEEK_SET);
    uint16_t crc = 0;
    int result = CopyBytes(input, output, forkLength, &crc);
    return result == kDone && CheckForkCrc(input, crc) != kDone ? kCut : result;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Report(const char *stage, Timing *t, long long in, long long out)
{
    printf("%s %.6f %.6f %.6f %lld %lld\n", stage, Median(t->elapsed), Median(t->user),
           Median(t->system), in, out);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        fputs("usage: stage-bench REPS FILE.hqx WORKDIR\n", stderr);
        return 2;
    }
    int reps = atoi(argv[1]);
    std::string work = argv[3];
    std::string bqx = work + "/stage.bqx", bix = work + "/stage.bix", fork = work + "/stage.fork";
    Timing text, rle, copy;
    for (int i = 0; i < reps; i++) {
        TimeStage(&text, argv[2], bqx.c_str(), DecodeTextStage);
        TimeStage(&rle, bqx.c_str(), bix.c_str(), ExpandRunLength);
        FILE *f = fopen(bix.c_str(), "rb");
        unsigned char start[kLongestHeader];
        BinHexHeader header;
        size_t got = f != nullptr ? fread(start, 1, sizeof start, f) : 0;
        if (f == nullptr || ParseBinHexHeader(start, got, &header) < 0) {
            fputs("stage-bench: no header in the expanded stream\n", stderr);
            return 1;
        }
        fclose(f);
        forkOffset = DataForkOffset(&header);
        forkLength = header.dataLength;
        if (forkLength == 0) {
            forkOffset = ResourceForkOffset(&header);
            forkLength = header.resourceLength;
        }
        TimeStage(&copy, bix.c_str(), fork.c_str(), CopyFork);
    }
    Report("text", &text, FileSize(argv[2]), FileSize(bqx.c_str()));
    Report("run-length", &rle, FileSize(bqx.c_str()), FileSize(bix.c_str()));
    Report("copy", &copy, (long long)forkLength, FileSize(fork.c_str()));
    remove(bqx.c_str());
    remove(bix.c_str());
    remove(fork.c_str());
    return 0;
}
