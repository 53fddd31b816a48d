// Fuzz target: the whole decoding path on arbitrary bytes taken as a BinHex
// file. Text stage, run-length stage, the fork header of every request, the
// fork copies of modes 1 to 3 and the MacBinary writer of mode 4, each on
// in-memory streams, with the results checked against the stream layout:
// - the fast text stage against the per-character operations that the
//   information panel uses (start of the text, groups, decoding), a short last
//   group giving its whole bytes;
// - the run-length stage against a plain expansion by its rules;
// - every fork copy and the MacBinary file against the bytes of the
//   expanded stream, cut short only where the stream ends.
#include <cstring>
#include <vector>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/platform.h"
#include "extract/signatures.h"
#include "fuzz_support.h"

namespace {

const size_t kMaxInput = 16384;
// A run of two BQX bytes writes at most 254 bytes.
const size_t kExpandedCapacity = kMaxInput * 3 / 4 / 2 * 254 + kMaxInput + 64;

unsigned char bqxBuffer[kMaxInput];
unsigned char bixBuffer[kExpandedCapacity];
unsigned char outBuffer[kExpandedCapacity + 256];

std::vector<unsigned char> ReadAll(FILE *stream)
{
    std::vector<unsigned char> bytes(StreamLength(stream));
    rewind(stream);
    if (!bytes.empty() && fread(bytes.data(), 1, bytes.size(), stream) != bytes.size())
        FuzzFailure("reading back a scratch stream");
    return bytes;
}

std::vector<unsigned char> PlainExpansion(const std::vector<unsigned char> &in)
{
    std::vector<unsigned char> out;
    unsigned char previous = 0;
    for (size_t i = 0; i < in.size(); i++) {
        unsigned char c = in[i];
        if (c == 0x90) {
            if (i + 1 == in.size())
                break;
            unsigned count = in[++i];
            if (count == 0)
                out.push_back(0x90);
            else
                out.insert(out.end(), count - 1, previous);
        } else {
            out.push_back(c);
        }
        previous = c;
    }
    return out;
}

// Copies a fork the way the driver does and checks the copy.
void CheckForkCopy(FILE *expanded, const std::vector<unsigned char> &bix, uint64_t offset,
                   uint32_t length)
{
    FILE *out = OpenScratchStream(outBuffer, sizeof outBuffer);
    int result = SeekTo(expanded, offset) == 0 ? CopyBytes(expanded, out, length) : kCopyShortSource;
    std::vector<unsigned char> copied = ReadAll(out);
    fclose(out);
    uint64_t available = offset < bix.size() ? bix.size() - offset : 0;
    uint64_t expected = available < length ? available : length;
    FUZZ_CHECK(copied.size() == expected);
    FUZZ_CHECK(expected == 0 || memcmp(copied.data(), bix.data() + offset, size_t(expected)) == 0);
    FUZZ_CHECK(result == (expected == length ? kCopyDone : kCopyShortSource));
}

void CheckMacBinary(FILE *expanded, const std::vector<unsigned char> &bix)
{
    rewind(expanded);
    BinHexHeader header;
    if (ReadBinHexHeader(expanded, &header) != 0)
        return;
    FILE *out = OpenScratchStream(outBuffer, sizeof outBuffer);
    int result = WriteMacBinary(&header, expanded, out);
    std::vector<unsigned char> bin = ReadAll(out);
    fclose(out);
    unsigned n = header.nameLength;
    uint32_t d = header.dataLength;
    uint32_t r = header.resourceLength;
    FUZZ_CHECK(bin.size() >= size_t(kMacBinaryHeaderSize));
    FUZZ_CHECK(bin[0] == 0);
    unsigned kept = n < 63 ? n : 63;
    FUZZ_CHECK(bin[1] == kept);
    FUZZ_CHECK(memcmp(bin.data() + 2, bix.data() + 1, kept) == 0);
    for (unsigned i = 2 + kept; i < 65; i++)
        FUZZ_CHECK(bin[i] == 0);
    FUZZ_CHECK(memcmp(bin.data() + 83, bix.data() + n + 1 + kFixedDataLength, 8) == 0);
    for (int i = 91; i < kMacBinaryHeaderSize; i++)
        FUZZ_CHECK(bin[i] == 0);

    // The data fork, then (when R is not zero) padding and the resource fork,
    // each as far as the expanded stream holds it.
    size_t dataStart = n + 22;
    size_t dataHave = bix.size() - dataStart < d ? bix.size() - dataStart : d;
    size_t expectedSize = kMacBinaryHeaderSize + dataHave;
    FUZZ_CHECK(bin.size() >= expectedSize);
    FUZZ_CHECK(memcmp(bin.data() + kMacBinaryHeaderSize, bix.data() + dataStart, dataHave) == 0);
    if (dataHave < d) {
        FUZZ_CHECK(result == kCopyShortSource && bin.size() == expectedSize);
        return;
    }
    if (r == 0) {
        FUZZ_CHECK(result == kCopyDone && bin.size() == expectedSize);
        return;
    }
    size_t pad = (128 - d % 128) % 128;
    for (size_t i = 0; i < pad; i++)
        FUZZ_CHECK(bin[expectedSize + i] == 0);
    expectedSize += pad;
    uint64_t resourceStart = uint64_t(n) + 24 + d;
    uint64_t resourceHave = resourceStart < bix.size() ? bix.size() - resourceStart : 0;
    if (resourceHave > r)
        resourceHave = r;
    FUZZ_CHECK(bin.size() == expectedSize + resourceHave);
    FUZZ_CHECK(resourceHave == 0 ||
               memcmp(bin.data() + expectedSize, bix.data() + resourceStart, size_t(resourceHave)) == 0);
    FUZZ_CHECK(result == (resourceHave == r ? kCopyDone : kCopyShortSource));
}

}  // namespace

// A signatures file for the run, so that names get extensions from all
// three lookup passes.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static const char kSignatures[] =
        "# for the fuzz run\r\n"
        "TXT,TEXTttxt,SimpleText\r\n"
        "PDF,PDF CARO\r\n"
        "HTML,TEXTMOSS,four characters\r\n"
        ",GIFF\r\n"
        "JP,JP\r\n";
    const char *path = ScratchPath("signatures.sig");
    WriteWholeFile(path, reinterpret_cast<const uint8_t *>(kSignatures), sizeof kSignatures - 1);
    strcpy(SignaturesFilePath, path);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;

    // Text stage.
    FILE *input = OpenReadStream(data, size);
    FILE *bqxStream = OpenScratchStream(bqxBuffer, sizeof bqxBuffer);
    FUZZ_CHECK(DecodeTextStage(input, bqxStream) == 1);
    fclose(input);
    std::vector<unsigned char> bqx = ReadAll(bqxStream);
    FUZZ_CHECK(bqx == SlowTextStage(data, size, true));

    // Run-length stage.
    rewind(bqxStream);
    FILE *bixStream = OpenScratchStream(bixBuffer, sizeof bixBuffer);
    FUZZ_CHECK(ExpandRunLength(bqxStream, bixStream) == 1);
    fclose(bqxStream);
    std::vector<unsigned char> bix = ReadAll(bixStream);
    FUZZ_CHECK(bix == PlainExpansion(bqx));

    // Fork header of every request, and the copies the driver makes.
    BinHexHeader header;
    rewind(bixStream);
    bool haveHeader = ReadBinHexHeader(bixStream, &header) == 0;
    for (int request = kForkData; request <= kForkPairResource; request++) {
        char name[kPathCapacity];
        int n = ReadForkHeader(haveHeader ? &header : nullptr, name, request);
        FUZZ_CHECK(strlen(name) < size_t(kPathCapacity));
        bool dataRequest = request == kForkData || request == kForkPairData;
        if (!haveHeader) {
            FUZZ_CHECK(n == -request);
            continue;
        }
        uint32_t tested = dataRequest ? header.dataLength : header.resourceLength;
        FUZZ_CHECK(n == (tested == 0 ? -request : int(header.nameLength)));
        if (n < 0)
            continue;
        FUZZ_CHECK(memcmp(bix.data() + n + 1 + kFixedTypeCreator, header.typeCreator, 8) == 0);
        if (dataRequest)
            CheckForkCopy(bixStream, bix, DataForkOffset(&header), header.dataLength);
        else
            CheckForkCopy(bixStream, bix, ResourceForkOffset(&header), header.resourceLength);
    }
    CheckMacBinary(bixStream, bix);
    fclose(bixStream);
    return 0;
}
