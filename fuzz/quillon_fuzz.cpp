// Fuzz target: what quillon-cli does with one file, on arbitrary bytes: the
// information panel or a conversion in one of the four modes, with a
// signatures file, in a scratch folder of its own that every run leaves
// empty (tools/fuzz removes the folder).
//
// Input: a selector byte, the length L of the signatures file, L bytes of
// it, then the file. The selector's value modulo 5 chooses: 0 the panel, 1
// to 4 the mode. When its value divided by 5 is odd, the file is not the
// BinHex text but an expanded stream: its header CRC is made right and the
// stream encoded as BinHex here, so that changes to the header still reach
// the forks, the names and the MacBinary writer (a wrong header CRC stops a
// file before anything else). Fork CRCs are left as they come. The encoder
// is the tests' own (tests/hqx_text.h). When the selector divided by 10 is
// odd, the file's first 128 bytes are made a MacBinary header whose CRC
// holds (bytes 0 and 74 zero, a name of 1 to 63 bytes), so that any fork
// lengths, offsets and file sizes reach the MacBinary reader.
// Besides the sanitizers' checks: the panel's text ends within its buffer,
// and files are made in the folder only, never beside it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "extract/convert.h"
#include "extract/file_info.h"
#include "extract/signatures.h"
#include "tests/hqx_text.h"

static void Write(const char *path, const uint8_t *bytes, size_t size)
{
    FILE *file = fopen(path, "wb");
    if (file == nullptr || fwrite(bytes, 1, size, file) != size || fclose(file) != 0)
        abort();
}

// The entries of folder, removed when remove is set.
static int Entries(const char *folder, bool remove)
{
    int count = 0;
    for (const std::filesystem::directory_entry &entry : std::filesystem::directory_iterator(folder)) {
        count++;
        if (remove && !std::filesystem::remove(entry.path()))
            abort();
    }
    return count;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    char folder[64];
    snprintf(folder, sizeof folder, "/dev/shm/quillon-fuzz-%d", int(getpid()));
    if (mkdir(folder, 0700) != 0 || chdir(folder) != 0 || mkdir("work", 0700) != 0 || chdir("work") != 0)
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > 16384)
        return 0;
    size_t signatures = std::min<size_t>(data[1], size - 2);
    Write("q.sig", data + 2, signatures);
    const uint8_t *file = data + 2 + signatures;
    size_t fileSize = size - 2 - signatures;
    std::string bytes(reinterpret_cast<const char *>(file), fileSize);
    if (data[0] / 10 % 2 == 1 && fileSize >= 128) {
        bytes[0] = bytes[74] = 0;
        bytes[1] = char(1 + (unsigned char)bytes[1] % 63);
        const uint16_t crc = Crc(bytes.substr(0, 124));
        bytes[124] = char(crc >> 8), bytes[125] = char(crc);
        Write("in.hqx", reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    } else if (data[0] / 5 % 2 == 1) {
        const std::string text = HqxOf(SealHeader(bytes));
        Write("in.hqx", reinterpret_cast<const uint8_t *>(text.data()), text.size());
    } else {
        Write("in.hqx", file, fileSize);
    }
    if (data[0] % 5 == 0) {
        static char text[kInfoTextCapacity];
        FormatFileInfo("in.hqx", text);
        if (memchr(text, 0, sizeof text) == nullptr)
            abort();
    } else {
        const Reporter reporter = {[](void *, const char *) {}, nullptr, nullptr};
        static SignatureTable table;   // a run's: read once, at the first extraction
        OpenSignatureTable(&table, "q.sig");
        Batch batch;
        StartBatch(&batch, &table, &reporter);
        ConvertFile("in.hqx", data[0] % 5, &batch);
        EndBatch(&batch);
    }
    if (Entries(".", true) < 2 || Entries("..", false) != 1)   // "work" alone beside it
        abort();
    return 0;
}
