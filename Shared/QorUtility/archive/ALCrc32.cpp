// ALCrc32.cpp: CRC-32 over the standard table of the reflected polynomial 0xEDB88320, with the
// register semantics of the byte-at-a-time update, made fast in three ways:
// - on x86 processors with carry-less multiplication, folding: the message is a polynomial, and 16
//   bytes of it carried D bytes further on are congruent, modulo the CRC polynomial P, to their two
//   8-byte halves multiplied by x^(8D+64) mod P and x^(8D) mod P; four 16-byte accumulators fold
//   over 64-byte steps, then merge into one, whose 16 bytes give the register through the table
//   (after the method of Intel's paper "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ
//   Instruction", 2009);
// - otherwise eight bytes per step ("slicing by 8"): table k gives the effect of a byte followed by
//   k zero bytes, so eight independent look-ups replace eight dependent ones;
// - in three lanes at once: a block is cut into three equal parts whose registers run side by side
//   (three independent dependency chains), then joined by linearity: the register after A then B is
//   the register after A, advanced over |B| zero bytes, XOR the register of B alone started at 0.
#include "ALCrc32.h"

#include <array>
#include <cstdint>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define AL_CRC32_FOLDING 1
#include <immintrin.h>
#endif

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

#ifdef AL_CRC32_FOLDING

// x^n mod P in the reflected form, placed in the high half of 64 bits: bit 63-d holds the
// coefficient of x^d, the layout carry-less multiplication of reflected halves expects.
constexpr uint64_t FoldingConstant(unsigned n)
{
    uint32_t remainder = 0x80000000u; // x^0
    for (unsigned i = 0; i < n; ++i)
        remainder = (remainder >> 1) ^ ((remainder & 1) ? 0xEDB88320u : 0);
    return static_cast<uint64_t>(remainder) << 32;
}

// The pair that carries 16 bytes `distance` bytes on. A product of reflected halves comes out one
// degree low, hence the exponents one less than x^(8D+64) and x^(8D).
struct FoldingPair {
    uint64_t forHighHalf, forLowHalf;
};

constexpr FoldingPair PairFor(unsigned distance)
{
    return {FoldingConstant(8 * distance + 63), FoldingConstant(8 * distance - 1)};
}

constexpr FoldingPair kFoldBy64 = PairFor(64), kFoldBy16 = PairFor(16);

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i lane, __m128i pair, __m128i next)
{
    // Bytes 0-7 are the higher-degree half of the lane in the reflected order.
    __m128i high = _mm_clmulepi64_si128(lane, pair, 0x00), low = _mm_clmulepi64_si128(lane, pair, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

inline __m128i Load(const unsigned char *bytes) { return _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes)); }

// Runs the whole 16-byte blocks of at least 64 bytes through the register; answers it and moves
// `bytes` and `count` past them.
__attribute__((target("pclmul,sse4.1"))) uint32_t FoldBlocks(uint32_t crc, const unsigned char *&bytes, size_t &count)
{
    const __m128i by64 = _mm_set_epi64x(static_cast<long long>(kFoldBy64.forLowHalf),
                                        static_cast<long long>(kFoldBy64.forHighHalf));
    const __m128i by16 = _mm_set_epi64x(static_cast<long long>(kFoldBy16.forLowHalf),
                                        static_cast<long long>(kFoldBy16.forHighHalf));
    // The register joins the message as its first four bytes, XORed in: the update is linear.
    __m128i lanes[4] = {_mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(crc))), Load(bytes + 16),
                        Load(bytes + 32), Load(bytes + 48)};
    for (bytes += 64, count -= 64; count >= 64; bytes += 64, count -= 64)
        for (int i = 0; i < 4; ++i)
            lanes[i] = Fold(lanes[i], by64, Load(bytes + 16 * i));
    __m128i lane = Fold(Fold(Fold(lanes[0], by16, lanes[1]), by16, lanes[2]), by16, lanes[3]);
    for (; count >= 16; bytes += 16, count -= 16)
        lane = Fold(lane, by16, Load(bytes));
    unsigned char remainder[16];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(remainder), lane);
    crc = 0;
    for (unsigned char byte : remainder)
        crc = (crc >> 8) ^ kTables[0][(crc ^ byte) & 0xFF];
    return crc;
}

bool CanFold()
{
    static const bool supported = [] {
        __builtin_cpu_init(); // harmless when done; needed if the library's constructors have not run it
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    }();
    return supported;
}

#endif

} // namespace

DWORD ALCrc32Update(DWORD reg, const unsigned char *bytes, size_t count)
{
    uint32_t crc = reg;
#ifdef AL_CRC32_FOLDING
    if (count >= 64 && CanFold())
        crc = FoldBlocks(crc, bytes, count);
#endif
    for (; count >= 3 * kLaneBytes; bytes += 3 * kLaneBytes, count -= 3 * kLaneBytes)
        crc = ThreeLanes(crc, bytes);
    for (; count >= 8; bytes += 8, count -= 8)
        crc = StepEight(crc, bytes);
    for (; count > 0; ++bytes, --count)
        crc = (crc >> 8) ^ kTables[0][(crc ^ *bytes) & 0xFF];
    return crc;
}
