#include "hqx_text.h"

const char kAlphabet[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
const std::string kId = "(This file must be converted with BinHex 4.0)";

std::string Pattern(size_t length, unsigned seed)
{
    std::string bytes;
    while (bytes.size() < length)
        bytes += char((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

static std::string BigEndian(uint32_t n)
{
    return {char(n >> 24), char(n >> 16), char(n >> 8), char(n)};
}

uint16_t Crc(const std::string &bytes)
{
    unsigned crc = 0;
    for (unsigned char c : bytes) {
        crc ^= unsigned(c) << 8;
        for (int bit = 0; bit < 8; bit++)
            crc = crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1;
    }
    return uint16_t(crc);
}

static std::string WithCrc(const std::string &bytes)
{
    const uint16_t crc = Crc(bytes);
    return bytes + char(crc >> 8) + char(crc);
}

std::string Stream(const MacFile &f)
{
    return WithCrc(char(f.name.size()) + f.name + '\0' + f.type + f.creator + char(f.flags >> 8) + char(f.flags) +
                   BigEndian(f.data.size()) + BigEndian(f.resource.size())) +
           WithCrc(f.data) + WithCrc(f.resource);
}

std::string SealHeader(std::string stream)
{
    const size_t crcAt = stream.empty() ? 0 : 1 + (unsigned char)stream[0] + 19;
    return stream.size() < crcAt + 2 ? stream : WithCrc(stream.substr(0, crcAt)) + stream.substr(crcAt + 2);
}

std::string HqxOf(const std::string &stream, bool runs)
{
    std::string coded;   // a run of 3 to 255 bytes: the byte, 0x90, the count; 0x90 itself: 0x90 0x00
    for (size_t i = 0, n = 1; i < stream.size(); i += n, n = 1) {
        while (runs && n < 255 && i + n < stream.size() && stream[i + n] == stream[i] && stream[i] != '\x90')
            n++;
        if (stream[i] == '\x90')
            coded += std::string("\x90\0", 2);
        else
            coded += n < 3 ? stream.substr(i, n) : stream[i] + std::string("\x90") + char(n);
    }
    std::string text;   // 4 characters for 3 bytes, 2 or 3 for a last 1 or 2
    for (size_t i = 0; i < coded.size(); i += 3) {
        unsigned bits = 0;
        for (size_t k = 0; k < 3; k++)
            bits = bits << 8 | (i + k < coded.size() ? (unsigned char)coded[i + k] : 0);
        for (size_t k = 0; k < 4 && k <= coded.size() - i; k++) {
            text += kAlphabet[bits >> (18 - 6 * k) & 0x3F];
            if (text.size() % 66 == 63)   // lines of 64 characters, the colon first
                text += "\r\n";
        }
    }
    return kId + "\r\n:" + text + ":\r\n";
}

std::string MacBinary(const MacFile &f, uint32_t date)
{
    std::string header(128, '\0'), typeCreator = (f.type + f.creator).c_str(), name = f.name.substr(0, 63);
    header.replace(1, 1 + name.size(), char(name.size()) + name);
    header.replace(65, typeCreator.size(), typeCreator);
    header[73] = char(f.flags >> 8 & 0xFE), header[101] = char(f.flags & 0xFE);
    header.replace(83, 16, BigEndian(f.data.size()) + BigEndian(f.resource.size()) + BigEndian(date) + BigEndian(date));
    header[122] = header[123] = char(129);
    const uint16_t crc = Crc(header.substr(0, 124));
    header[124] = char(crc >> 8), header[125] = char(crc);
    auto padded = [](const std::string &fork) { return fork + std::string((128 - fork.size() % 128) % 128, '\0'); };
    return header + padded(f.data) + padded(f.resource);
}
