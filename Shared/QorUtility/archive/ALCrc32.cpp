// ALCrc32.cpp: CRC-32 over the standard table of the reflected polynomial 0xEDB88320, eight bytes
// per step ("slicing by 8": table k gives the effect of a byte followed by k zero bytes, so eight
// independent look-ups replace eight dependent ones). The register semantics are those of the
// byte-at-a-time update.
#include "ALCrc32.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables MakeTables()
{
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][byte] = crc;
    }
    for (uint32_t byte = 0; byte < 256; ++byte)
        for (size_t k = 1; k < 8; ++k)
            tables[k][byte] = (tables[k - 1][byte] >> 8) ^ tables[0][tables[k - 1][byte] & 0xFF];
    return tables;
}

constexpr CrcTables kTables = MakeTables();

inline uint32_t LoadLittleEndian32(const unsigned char *bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

} // namespace

DWORD ALCrc32Update(DWORD reg, const unsigned char *bytes, size_t count)
{
    uint32_t crc = reg;
    for (; count >= 8; bytes += 8, count -= 8) {
        uint32_t low = LoadLittleEndian32(bytes) ^ crc;
        uint32_t high = LoadLittleEndian32(bytes + 4);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
              kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
              kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; count > 0; ++bytes, --count)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes) & 0xFF];
    return crc;
}
