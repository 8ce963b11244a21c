// ALCrc32.cpp: CRC-32 over the standard table of the reflected polynomial 0xEDB88320, with the
// register semantics of the byte-at-a-time update, made fast in two ways:
// - eight bytes per step ("slicing by 8"): table k gives the effect of a byte followed by k zero
//   bytes, so eight independent look-ups replace eight dependent ones;
// - three lanes at once: a block is cut into three equal parts whose registers run side by side
//   (three independent dependency chains), then joined by linearity: the register after A then B is
//   the register after A, advanced over |B| zero bytes, XOR the register of B alone started at 0.
#include "ALCrc32.h"

#include <array>
#include <cstdint>

namespace {

using ByteTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr ByteTables MakeTables()
{
    ByteTables tables{};
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

constexpr ByteTables kTables = MakeTables();

// Bytes per lane: a multiple of 8 such that three lanes fill a storage's 4096-byte buffer.
constexpr size_t kLaneBytes = 1360;

inline uint32_t LoadLittleEndian32(const unsigned char *bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

inline uint32_t StepEight(uint32_t crc, const unsigned char *bytes)
{
    uint32_t low = LoadLittleEndian32(bytes) ^ crc;
    uint32_t high = LoadLittleEndian32(bytes + 4);
    return kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF] ^
           kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF] ^
           kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
}

// The register advanced over one lane's length of zero bytes, as four byte-indexed tables: the
// advance is linear, so it is built from the images of the 32 single-bit registers.
class LaneAdvance {
public:
    LaneAdvance()
    {
        uint32_t bitImages[32];
        for (int bit = 0; bit < 32; ++bit) {
            uint32_t crc = 1u << bit;
            for (size_t i = 0; i < kLaneBytes; ++i)
                crc = (crc >> 8) ^ kTables[0][crc & 0xFF];
            bitImages[bit] = crc;
        }
        for (int part = 0; part < 4; ++part)
            for (uint32_t byte = 0; byte < 256; ++byte) {
                uint32_t image = 0;
                for (int bit = 0; bit < 8; ++bit)
                    if (byte & (1u << bit))
                        image ^= bitImages[part * 8 + bit];
                m_tables[part][byte] = image;
            }
    }

    uint32_t operator()(uint32_t crc) const
    {
        return m_tables[0][crc & 0xFF] ^ m_tables[1][(crc >> 8) & 0xFF] ^ m_tables[2][(crc >> 16) & 0xFF] ^
               m_tables[3][crc >> 24];
    }

private:
    uint32_t m_tables[4][256];
};

uint32_t ThreeLanes(uint32_t crc, const unsigned char *bytes)
{
    static const LaneAdvance advance;
    const unsigned char *second = bytes + kLaneBytes, *third = bytes + 2 * kLaneBytes;
    uint32_t crcSecond = 0, crcThird = 0;
    for (size_t i = 0; i < kLaneBytes; i += 8) {
        crc = StepEight(crc, bytes + i);
        crcSecond = StepEight(crcSecond, second + i);
        crcThird = StepEight(crcThird, third + i);
    }
    return advance(advance(crc) ^ crcSecond) ^ crcThird;
}

} // namespace

DWORD ALCrc32Update(DWORD reg, const unsigned char *bytes, size_t count)
{
    uint32_t crc = reg;
    for (; count >= 3 * kLaneBytes; bytes += 3 * kLaneBytes, count -= 3 * kLaneBytes)
        crc = ThreeLanes(crc, bytes);
    for (; count >= 8; bytes += 8, count -= 8)
        crc = StepEight(crc, bytes);
    for (; count > 0; ++bytes, --count)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes) & 0xFF];
    return crc;
}
