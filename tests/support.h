// What the tests share: whole-file reads and writes, the scratch folder of
// the test run, and a BinHex encoder and MacBinary builder of the tests' own,
// written from the format with nothing taken from the program.
#ifndef QUILLON_TESTS_SUPPORT_H
#define QUILLON_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

std::string Read(const std::string &path);                     // "<missing>" when unreadable
void Write(const std::string &path, const std::string &bytes);

// A new, empty folder `name` in the run's scratch folder, which the run
// removes at its end (and a later run removes when the run was killed).
std::string Scratch(const std::string &name);

// The 64 characters of BinHex 4.0, a character's value being its position.
extern const char kAlphabet[];
extern const std::string kId;   // "(This file must be converted with BinHex 4.0)"

struct MacFile {
    std::string name, type = "TEXT", creator = "ttxt", data, resource;
};

std::string Pattern(size_t length, unsigned seed);   // bytes of every value, few runs
// The expanded stream: header, data fork, resource fork (CRCs left zero).
std::string Stream(const MacFile &file);
// The .hqx file of a stream: the identification line, then the text of the
// stream run-length coded (unless runs is false), 64 characters a line.
std::string HqxOf(const std::string &stream, bool runs = true);
inline std::string Hqx(const MacFile &file) { return HqxOf(Stream(file)); }
// The MacBinary I file of a Macintosh file.
std::string MacBinary(const MacFile &file);

#endif
