// Fuzz target: the names under which fork files are created.
//
// For an arbitrary expanded stream and an arbitrary signatures file (or
// none), every request's name, as the driver makes it safe for creation,
// must be a bare file name that no file system takes for something else:
// no path separator, no drive or stream colon, none of * ? " < > |, no
// byte below 0x20, not empty, not "." or "..", no reserved device name
// (checked here by Windows' own rules, written without the naming's code), at most
// 255 characters; and the two names of mode 3 must differ.
//
// Input: one byte of flags (bit 0: use a signatures file), two bytes of
// signatures-file length L (big-endian, cut to what follows), L bytes of
// signatures file, then the expanded stream. The stream is also taken,
// from its second byte, as a path whose extension is set with the first
// four bytes.
#include <cstring>
#include <string>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/platform.h"
#include "extract/signatures.h"
#include "fuzz_support.h"

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string UpperTrimmed(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    for (char &c : s)
        c = Upper(c);
    return s;
}

// Windows' reserved device names: CON, PRN, AUX, NUL, COM1-9 and LPT1-9
// (with the superscript digits 1, 2 and 3 of code page 1252 too), in any
// case, alone or before a dot, trailing blanks and dots of that part
// ignored; and the console's CONIN$ and CONOUT$ as whole names.
bool IsDeviceName(const std::string &name)
{
    std::string whole = UpperTrimmed(name);
    if (whole == "CONIN$" || whole == "CONOUT$")
        return true;
    std::string base = UpperTrimmed(name.substr(0, name.find('.')));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL")
        return true;
    if (base.size() != 4 || (base.compare(0, 3, "COM") != 0 && base.compare(0, 3, "LPT") != 0))
        return false;
    unsigned char digit = (unsigned char)base[3];
    return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

void CheckSafeName(const std::string &name)
{
    FUZZ_CHECK(!name.empty() && name != "." && name != "..");
    FUZZ_CHECK(name.size() <= 255);
    for (unsigned char c : name) {
        FUZZ_CHECK(c >= 0x20);
        FUZZ_CHECK(strchr("\\/:*?\"<>|", c) == nullptr);
    }
    FUZZ_CHECK(!IsDeviceName(name));
    FUZZ_CHECK(name.find_first_not_of(". ") != std::string::npos);
}

// The name the driver would create for request, or "" when it creates none.
std::string CreatedName(const uint8_t *stream, size_t size, int request)
{
    FILE *expanded = OpenReadStream(stream, size);
    char name[kPathCapacity];
    BinHexHeader header;
    bool haveHeader = ReadBinHexHeader(expanded, &header) == 0;
    int n = ReadForkHeader(haveHeader ? &header : nullptr, name, request);
    fclose(expanded);
    FUZZ_CHECK(strlen(name) < size_t(kPathCapacity));
    if (n < 0)
        return "";
    char safe[kPathCapacity + 2];
    FUZZ_CHECK(MakeSafeFileName(name, safe, sizeof safe) == 0);
    CheckSafeName(safe);
    // The file system sees the platform's text of it.
    char native[kPathCapacity * 3];
    FUZZ_CHECK(ToNativeText(safe, native, sizeof native) == 0);
    for (const char *p = native; *p != 0; p++)
        FUZZ_CHECK((unsigned char)*p >= 0x20 && *p != '/' && *p != '\\' && *p != ':');
    return safe;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3 || size > 8192)
        return 0;
    bool useSignatures = (data[0] & 1) != 0;
    size_t signaturesSize = size_t(data[1]) << 8 | data[2];
    if (signaturesSize > size - 3)
        signaturesSize = size - 3;
    const uint8_t *signatures = data + 3;
    const uint8_t *stream = signatures + signaturesSize;
    size_t streamSize = size - 3 - signaturesSize;

    ResetSignatureLoad();
    SignaturesFilePath[0] = 0;
    if (useSignatures) {
        strcpy(SignaturesFilePath, ScratchPath("signatures.sig"));
        WriteWholeFile(SignaturesFilePath, signatures, signaturesSize);
    }
    CreatedName(stream, streamSize, kForkData);
    CreatedName(stream, streamSize, kForkResource);
    std::string dataName = CreatedName(stream, streamSize, kForkPairData);
    std::string resourceName = CreatedName(stream, streamSize, kForkPairResource);
    if (!dataName.empty() && !resourceName.empty())
        FUZZ_CHECK(dataName != resourceName);

    // Any path of up to 255 characters takes any extension of up to 4 in a
    // buffer with room for 8 more.
    if (streamSize >= 5) {
        char extension[5] = {0};
        memcpy(extension, stream, 4);
        char path[kPathCapacity + 8];
        size_t length = strnlen(reinterpret_cast<const char *>(stream) + 4,
                                std::min<size_t>(streamSize - 4, kPathCapacity - 1));
        memcpy(path, stream + 4, length);
        path[length] = 0;
        SetExtension(path, extension);
        FUZZ_CHECK(strlen(path) <= length + 1 + strlen(extension));
    }
    return 0;
}
