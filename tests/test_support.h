// Helpers shared by the unit tests: temporary folders, whole-file reads and
// writes, in-memory streams, a BinHex encoder of the tests' own and the
// recorder that stands in for the message dialog.
#ifndef QUILLON_TESTS_TEST_SUPPORT_H
#define QUILLON_TESTS_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "recorder.h"

std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> ListFolder(const std::string &path);

// A temporary stream holding bytes, positioned at its start. Caller closes.
FILE *StreamWith(const std::string &bytes);
// Everything in stream from its start.
std::string StreamContents(FILE *stream);

// Makes path unwritable even for root (immutable flag where the file system
// has one). Returns: false when that is not possible here.
bool MakeReadOnly(const std::string &path);
void UndoReadOnly(const std::string &path);

// A Macintosh file to encode.
struct MacFile {
    std::string name;           // Mac Roman bytes
    std::string type = "TEXT";  // 4 bytes
    std::string creator = "ttxt";
    std::string data;
    std::string resource;
};

// The expanded BinHex stream of a file: header, forks and CRCs.
std::string BinHexStream(const MacFile &file);
// Run-length encodes a stream the way encoders do (runs of 3 or more).
std::string RunLengthEncode(const std::string &bytes);
// Six-bit text of bytes, 64 characters a line, lines ended by lineEnd,
// between the two colons; the identification line comes first.
std::string BinHexText(const std::string &rle, const std::string &lineEnd = "\r\n");
// The whole .hqx file of a Macintosh file.
std::string EncodeBinHex(const MacFile &file, const std::string &lineEnd = "\r\n");


// Runs each test in a fresh temporary folder that is also the current
// directory; removes it afterwards.
class InTempFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string &name) const { return folder + "/" + name; }
    std::string folder;
    std::string previous;
};

#endif
