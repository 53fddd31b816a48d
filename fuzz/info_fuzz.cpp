// Fuzz target: the information panel's text on arbitrary file contents.
//
// The panel decodes only the start of the file, in memory, by its own
// route; its answer is checked against the full decoding path on the same
// bytes: when the file has the identification line, or a first line that
// holds "BinHex", and the expansion of the first
// 1,024 groups holds the header up to its resource fork length (n + 20
// bytes; the header CRC is not read), the panel must show that header's
// name, type/creator and lengths, in UTF-8; otherwise the one-line message.
#include <cstring>
#include <vector>

#include "decode/binhex.h"
#include "extract/file_info.h"
#include "extract/naming.h"
#include "extract/platform.h"
#include "fuzz_support.h"

namespace {

const size_t kMaxInput = 16384;
const size_t kPanelBytes = 1024 * 3;     // the panel decodes at most 1,024 groups

unsigned char bixBuffer[kPanelBytes / 2 * 254 + 64];

bool IsUtf8(const char *text)
{
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p != 0) {
        int follow = *p < 0x80 ? 0 : (*p >> 5) == 0x6 ? 1 : (*p >> 4) == 0xE ? 2 : -1;
        if (follow < 0)
            return false;
        p++;
        for (int i = 0; i < follow; i++, p++)
            if ((*p >> 6) != 0x2)
                return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > kMaxInput)
        return 0;
    const char *path = ScratchPath("input.hqx");
    WriteWholeFile(path, data, size);
    static char text[kInfoTextCapacity];
    memset(text, 0x55, sizeof text);
    int shown = FormatFileInfo(path, text);
    FUZZ_CHECK(memchr(text, 0, sizeof text) != nullptr);
    FUZZ_CHECK(IsUtf8(text));

    // The verdict of the full path, on the first 1,024 groups.
    FILE *input = OpenReadStream(data, size);
    char line[kTextLineCapacity + 2];
    bool banner = FindEncodedText(input, line) == 1 || strstr(line, "BinHex") != nullptr;
    fclose(input);

    // The panel decodes whole groups only.
    std::vector<unsigned char> decoded = SlowTextStage(data, size, false);
    size_t used = decoded.size() < kPanelBytes ? decoded.size() : kPanelBytes;
    FILE *start = OpenReadStream(decoded.data(), used);
    FILE *bix = OpenScratchStream(bixBuffer, sizeof bixBuffer);
    ExpandRunLength(start, bix);
    fclose(start);
    // The panel reads the header up to R; the header CRC need not be there.
    size_t expandedLength = StreamLength(bix);
    fclose(bix);
    bool haveHeader = expandedLength >= 1 && expandedLength >= size_t(bixBuffer[0]) + 20;

    char expected[kInfoTextCapacity];
    if (!banner || !haveHeader) {
        FUZZ_CHECK(shown == -1);
        ToNativeText("Ce fichier n'est pas un fichier BinHex correct.", expected, sizeof expected);
        FUZZ_CHECK(strcmp(text, expected) == 0);
        return 0;
    }
    FUZZ_CHECK(shown == 0);
    unsigned n = bixBuffer[0];
    char name[256];
    memcpy(name, bixBuffer + 1, n);
    name[n] = 0;
    TranslateChars(name, name, MacNameTable);
    char typeCreator[9];
    CopyTypeCreator(typeCreator, bixBuffer + n + 2);
    char ansi[kInfoTextCapacity];
    snprintf(ansi, sizeof ansi, "Nom r\xE9" "el : %s\nType : %s\nDonn\xE9" "es : %lu\nRessources : %lu",
             name, typeCreator, (unsigned long)ReadBigEndian32(bixBuffer + n + 12),
             (unsigned long)ReadBigEndian32(bixBuffer + n + 16));
    FUZZ_CHECK(ToNativeText(ansi, expected, sizeof expected) == 0);
    FUZZ_CHECK(strcmp(text, expected) == 0);
    return 0;
}
