#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "decode/binhex.h"
#include "extract/naming.h"
#include "extract/signatures.h"


std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (f == nullptr)
        return "<missing>";
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    fclose(f);
}

bool FileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> ListFolder(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = opendir(path.c_str());
    if (dir == nullptr)
        return names;
    while (dirent *e = readdir(dir)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
            names.push_back(e->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

FILE *StreamWith(const std::string &bytes)
{
    FILE *f = tmpfile();
    if (f == nullptr)
        return nullptr;
    fwrite(bytes.data(), 1, bytes.size(), f);
    rewind(f);
    return f;
}

std::string StreamContents(FILE *stream)
{
    fflush(stream);
    rewind(stream);
    std::string bytes;
    int c;
    while ((c = getc(stream)) != EOF)
        bytes.push_back(char(c));
    return bytes;
}

static bool SetImmutable(const std::string &path, bool on)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

bool MakeReadOnly(const std::string &path)
{
    chmod(path.c_str(), 0444);
    if (geteuid() != 0)
        return true;
    return SetImmutable(path, true);
}

void UndoReadOnly(const std::string &path)
{
    if (geteuid() == 0)
        SetImmutable(path, false);
    chmod(path.c_str(), 0644);
}

// CRC-16/XMODEM as BinHex computes it (polynomial 0x1021, initial 0): the
// program never checks it, but peers do, so the test files carry real ones.
static uint16_t Crc16(const std::string &bytes)
{
    uint16_t crc = 0;
    for (unsigned char c : bytes) {
        crc ^= uint16_t(c << 8);
        for (int i = 0; i < 8; i++)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return crc;
}

static void AppendBig(std::string *s, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; i--)
        s->push_back(char((value >> (8 * i)) & 0xFF));
}

static void AppendWithCrc(std::string *stream, const std::string &part)
{
    stream->append(part);
    AppendBig(stream, Crc16(part), 2);
}

std::string BinHexStream(const MacFile &file)
{
    std::string header;
    header.push_back(char(file.name.size()));
    header.append(file.name);
    header.push_back(0);                        // version
    header.append(file.type.substr(0, 4));
    header.append(file.creator.substr(0, 4));
    AppendBig(&header, 0, 2);                   // Finder flags
    AppendBig(&header, uint32_t(file.data.size()), 4);
    AppendBig(&header, uint32_t(file.resource.size()), 4);
    std::string stream;
    AppendWithCrc(&stream, header);
    AppendWithCrc(&stream, file.data);
    AppendWithCrc(&stream, file.resource);
    return stream;
}

std::string RunLengthEncode(const std::string &bytes)
{
    std::string out;
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = (unsigned char)bytes[i];
        size_t run = 1;
        while (i + run < bytes.size() && (unsigned char)bytes[i + run] == c && run < 255)
            run++;
        if (c == 0x90) {
            out.append("\x90\x00", 2);
            run = 1;        // each literal marker on its own
        } else if (run >= 3) {
            out.push_back(char(c));
            out.push_back(char(0x90));
            out.push_back(char(run));
        } else {
            out.append(run, char(c));
        }
        i += run;
    }
    return out;
}

// The BinHex 4.0 alphabet, written here apart from the program's.
static const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

std::string BinHexText(const std::string &rle, const std::string &lineEnd)
{
    std::string chars = ":";
    size_t column = 1;
    for (size_t i = 0; i < rle.size(); i += 3) {
        unsigned char b[3] = {0, 0, 0};
        size_t n = std::min<size_t>(3, rle.size() - i);
        memcpy(b, rle.data() + i, n);
        unsigned v = (unsigned(b[0]) << 16) | (unsigned(b[1]) << 8) | b[2];
        size_t emit = n + 1;                    // partial groups: n + 1 characters
        for (size_t k = 0; k < emit; k++) {
            chars.push_back(kAlphabet[(v >> (18 - 6 * k)) & 0x3F]);
            if (++column == 64) {
                chars.append(lineEnd);
                column = 0;
            }
        }
    }
    chars.push_back(':');
    return "(This file must be converted with BinHex 4.0)" + lineEnd + chars + lineEnd;
}

std::string EncodeBinHex(const MacFile &file, const std::string &lineEnd)
{
    return BinHexText(RunLengthEncode(BinHexStream(file)), lineEnd);
}

void InTempFolder::SetUp()
{
    char templ[] = "/tmp/quillon-test-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    folder = templ;
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previous = cwd;
    ASSERT_EQ(chdir(folder.c_str()), 0);
    RecordedMessages.clear();
    ResetSignatureLoad();
    SignaturesFilePath[0] = 0;
}

void InTempFolder::TearDown()
{
    ResetSignatureLoad();
    SignaturesFilePath[0] = 0;
    if (chdir(previous.c_str()) != 0)
        ADD_FAILURE() << "cannot go back to " << previous;
    std::string command = "chattr -R -i '" + folder + "' 2>/dev/null; chmod -R u+w '" + folder +
                          "'; rm -rf '" + folder + "'";
    if (system(command.c_str()) != 0)
        ADD_FAILURE() << "cannot remove " << folder;
}
