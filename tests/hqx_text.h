// The tests' own BinHex encoder and MacBinary builder, written from the
// format with nothing taken from the program (the fuzz target uses it too).
#ifndef QUILLON_TESTS_HQX_TEXT_H
#define QUILLON_TESTS_HQX_TEXT_H

#include <cstdint>
#include <string>

// The 64 characters of BinHex 4.0, a character's value being its position.
extern const char kAlphabet[];
extern const std::string kId;   // "(This file must be converted with BinHex 4.0)"

struct MacFile {
    std::string name, type = "TEXT", creator = "ttxt", data, resource;
    uint16_t flags = 0;   // the Finder's
};

std::string Pattern(size_t length, unsigned seed);   // bytes of every value, few runs
uint16_t Crc(const std::string &bytes);              // CRC-16/XMODEM, bit by bit
// The expanded stream: header, data fork, resource fork, each with its CRC.
std::string Stream(const MacFile &file);
// stream with its header's CRC made right again after a change of the header
// (unchanged when it is too short to hold one).
std::string SealHeader(std::string stream);
// The .hqx file of a stream: the identification line, then the text of the
// stream run-length coded (unless runs is false), 64 characters a line.
std::string HqxOf(const std::string &stream, bool runs = true);
inline std::string Hqx(const MacFile &file) { return HqxOf(Stream(file)); }
// The MacBinary II file of a Macintosh file dated date (seconds since 1904,
// local time): the Finder flags but those of one Mac's desktop, both dates,
// versions 129, the header's CRC, both forks padded to 128 bytes.
std::string MacBinary(const MacFile &file, uint32_t date);

#endif
