// QorMd5.cpp: the MD5 digest of RFC 1321 and the class's state rules around it. The block transform
// keeps the state in locals for a whole run of blocks and reads whole blocks straight from the
// caller's bytes, copying only the pieces that do not fill a block.
#include "QorMd5.h"

#include <cstring>

namespace {

// The shared empty text of an object that holds no digest.
const char kNoDigest[] = "";

inline DWORD RotateLeft(DWORD value, int bits) { return (value << bits) | (value >> (32 - bits)); }

inline DWORD LoadLittleEndian(const unsigned char *bytes)
{
    return (DWORD)bytes[0] | ((DWORD)bytes[1] << 8) | ((DWORD)bytes[2] << 16) | ((DWORD)bytes[3] << 24);
}

inline void StoreLittleEndian(unsigned char *bytes, DWORD value)
{
    bytes[0] = (unsigned char)value;
    bytes[1] = (unsigned char)(value >> 8);
    bytes[2] = (unsigned char)(value >> 16);
    bytes[3] = (unsigned char)(value >> 24);
}

// The four rounds of RFC 1321, section 3.4. The functions are written in equivalent forms that let the
// processor work on the parts that do not depend on the newest value early: F as d ^ (b & (c ^ d)); G
// as (b & d) + (c & ~d), whose two terms share no bit so that the sum equals the RFC's OR; I needs
// ~d only.
#define QOR_MD5_STEP_F(a, b, c, d, x, s, k) a = RotateLeft(a + (d ^ (b & (c ^ d))) + x + k, s) + b
#define QOR_MD5_STEP_G(a, b, c, d, x, s, k) a = RotateLeft(a + (c & ~d) + x + k + (b & d), s) + b
#define QOR_MD5_STEP_H(a, b, c, d, x, s, k) a = RotateLeft(a + (b ^ c ^ d) + x + k, s) + b
#define QOR_MD5_STEP_I(a, b, c, d, x, s, k) a = RotateLeft(a + (c ^ (b | ~d)) + x + k, s) + b

// One block of 16 words through the four rounds, added into the state words.
inline void Rounds(DWORD &stateA, DWORD &stateB, DWORD &stateC, DWORD &stateD, const DWORD x[16])
{
    DWORD a = stateA, b = stateB, c = stateC, d = stateD;

    QOR_MD5_STEP_F(a, b, c, d, x[0], 7, 0xd76aa478);
    QOR_MD5_STEP_F(d, a, b, c, x[1], 12, 0xe8c7b756);
    QOR_MD5_STEP_F(c, d, a, b, x[2], 17, 0x242070db);
    QOR_MD5_STEP_F(b, c, d, a, x[3], 22, 0xc1bdceee);
    QOR_MD5_STEP_F(a, b, c, d, x[4], 7, 0xf57c0faf);
    QOR_MD5_STEP_F(d, a, b, c, x[5], 12, 0x4787c62a);
    QOR_MD5_STEP_F(c, d, a, b, x[6], 17, 0xa8304613);
    QOR_MD5_STEP_F(b, c, d, a, x[7], 22, 0xfd469501);
    QOR_MD5_STEP_F(a, b, c, d, x[8], 7, 0x698098d8);
    QOR_MD5_STEP_F(d, a, b, c, x[9], 12, 0x8b44f7af);
    QOR_MD5_STEP_F(c, d, a, b, x[10], 17, 0xffff5bb1);
    QOR_MD5_STEP_F(b, c, d, a, x[11], 22, 0x895cd7be);
    QOR_MD5_STEP_F(a, b, c, d, x[12], 7, 0x6b901122);
    QOR_MD5_STEP_F(d, a, b, c, x[13], 12, 0xfd987193);
    QOR_MD5_STEP_F(c, d, a, b, x[14], 17, 0xa679438e);
    QOR_MD5_STEP_F(b, c, d, a, x[15], 22, 0x49b40821);

    QOR_MD5_STEP_G(a, b, c, d, x[1], 5, 0xf61e2562);
    QOR_MD5_STEP_G(d, a, b, c, x[6], 9, 0xc040b340);
    QOR_MD5_STEP_G(c, d, a, b, x[11], 14, 0x265e5a51);
    QOR_MD5_STEP_G(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    QOR_MD5_STEP_G(a, b, c, d, x[5], 5, 0xd62f105d);
    QOR_MD5_STEP_G(d, a, b, c, x[10], 9, 0x02441453);
    QOR_MD5_STEP_G(c, d, a, b, x[15], 14, 0xd8a1e681);
    QOR_MD5_STEP_G(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    QOR_MD5_STEP_G(a, b, c, d, x[9], 5, 0x21e1cde6);
    QOR_MD5_STEP_G(d, a, b, c, x[14], 9, 0xc33707d6);
    QOR_MD5_STEP_G(c, d, a, b, x[3], 14, 0xf4d50d87);
    QOR_MD5_STEP_G(b, c, d, a, x[8], 20, 0x455a14ed);
    QOR_MD5_STEP_G(a, b, c, d, x[13], 5, 0xa9e3e905);
    QOR_MD5_STEP_G(d, a, b, c, x[2], 9, 0xfcefa3f8);
    QOR_MD5_STEP_G(c, d, a, b, x[7], 14, 0x676f02d9);
    QOR_MD5_STEP_G(b, c, d, a, x[12], 20, 0x8d2a4c8a);

    QOR_MD5_STEP_H(a, b, c, d, x[5], 4, 0xfffa3942);
    QOR_MD5_STEP_H(d, a, b, c, x[8], 11, 0x8771f681);
    QOR_MD5_STEP_H(c, d, a, b, x[11], 16, 0x6d9d6122);
    QOR_MD5_STEP_H(b, c, d, a, x[14], 23, 0xfde5380c);
    QOR_MD5_STEP_H(a, b, c, d, x[1], 4, 0xa4beea44);
    QOR_MD5_STEP_H(d, a, b, c, x[4], 11, 0x4bdecfa9);
    QOR_MD5_STEP_H(c, d, a, b, x[7], 16, 0xf6bb4b60);
    QOR_MD5_STEP_H(b, c, d, a, x[10], 23, 0xbebfbc70);
    QOR_MD5_STEP_H(a, b, c, d, x[13], 4, 0x289b7ec6);
    QOR_MD5_STEP_H(d, a, b, c, x[0], 11, 0xeaa127fa);
    QOR_MD5_STEP_H(c, d, a, b, x[3], 16, 0xd4ef3085);
    QOR_MD5_STEP_H(b, c, d, a, x[6], 23, 0x04881d05);
    QOR_MD5_STEP_H(a, b, c, d, x[9], 4, 0xd9d4d039);
    QOR_MD5_STEP_H(d, a, b, c, x[12], 11, 0xe6db99e5);
    QOR_MD5_STEP_H(c, d, a, b, x[15], 16, 0x1fa27cf8);
    QOR_MD5_STEP_H(b, c, d, a, x[2], 23, 0xc4ac5665);

    QOR_MD5_STEP_I(a, b, c, d, x[0], 6, 0xf4292244);
    QOR_MD5_STEP_I(d, a, b, c, x[7], 10, 0x432aff97);
    QOR_MD5_STEP_I(c, d, a, b, x[14], 15, 0xab9423a7);
    QOR_MD5_STEP_I(b, c, d, a, x[5], 21, 0xfc93a039);
    QOR_MD5_STEP_I(a, b, c, d, x[12], 6, 0x655b59c3);
    QOR_MD5_STEP_I(d, a, b, c, x[3], 10, 0x8f0ccc92);
    QOR_MD5_STEP_I(c, d, a, b, x[10], 15, 0xffeff47d);
    QOR_MD5_STEP_I(b, c, d, a, x[1], 21, 0x85845dd1);
    QOR_MD5_STEP_I(a, b, c, d, x[8], 6, 0x6fa87e4f);
    QOR_MD5_STEP_I(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    QOR_MD5_STEP_I(c, d, a, b, x[6], 15, 0xa3014314);
    QOR_MD5_STEP_I(b, c, d, a, x[13], 21, 0x4e0811a1);
    QOR_MD5_STEP_I(a, b, c, d, x[4], 6, 0xf7537e82);
    QOR_MD5_STEP_I(d, a, b, c, x[11], 10, 0xbd3af235);
    QOR_MD5_STEP_I(c, d, a, b, x[2], 15, 0x2ad7d2bb);
    QOR_MD5_STEP_I(b, c, d, a, x[9], 21, 0xeb86d391);

    stateA += a;
    stateB += b;
    stateC += c;
    stateD += d;
}

#undef QOR_MD5_STEP_F
#undef QOR_MD5_STEP_G
#undef QOR_MD5_STEP_H
#undef QOR_MD5_STEP_I

} // namespace

const unsigned char CQorMd5::m_Padding[64] = {0x80};

CQorMd5::CQorMd5() : m_bInitialized(false), m_bFinalized(false) {}

CQorMd5::CQorMd5(const unsigned char *data, unsigned int length) : m_bInitialized(false), m_bFinalized(false)
{
    Init();
    Update(data, length);
    Final();
}

void CQorMd5::Init()
{
    std::memset(m_State, 0, sizeof m_State);
    std::memset(m_Count, 0, sizeof m_Count);
    std::memset(m_Buffer, 0, sizeof m_Buffer);
    std::memset(&m_Digest, 0, sizeof m_Digest);
    // RFC 1321, section 3.3: words A, B, C, D.
    m_State[0] = 0x67452301;
    m_State[1] = 0xefcdab89;
    m_State[2] = 0x98badcfe;
    m_State[3] = 0x10325476;
    m_bInitialized = true;
    m_bFinalized = false;
}

HRESULT CQorMd5::Update(const unsigned char *data, unsigned int length)
{
    if (!m_bInitialized)
        return E_ACCESSDENIED;
    if (length == 0)
        return S_OK;
    if (data == nullptr)
        return E_INVALIDARG;

    unsigned int index = (m_Count[0] >> 3) & 0x3f;
    // The bit count in two words with carry, as RFC 1321 keeps it.
    const DWORD lowBits = (DWORD)length << 3;
    m_Count[0] += lowBits;
    if (m_Count[0] < lowBits)
        ++m_Count[1];
    m_Count[1] += (DWORD)length >> 29;

    if (index > 0) {
        const unsigned int fill = 64 - index;
        if (length < fill) {
            std::memcpy(m_Buffer + index, data, length);
            return S_OK;
        }
        std::memcpy(m_Buffer + index, data, fill);
        Transform(m_Buffer);
        data += fill;
        length -= fill;
    }
    TransformBlocks(data, length / 64);
    std::memcpy(m_Buffer, data + (length & ~63u), length & 63u);
    return S_OK;
}

HRESULT CQorMd5::Final()
{
    if (!m_bInitialized || m_bFinalized)
        return E_ACCESSDENIED;
    unsigned char bits[8];
    Encode(bits, m_Count, 8);
    // Pad to 56 bytes modulo 64, then append the bit count as it stood before the padding.
    const unsigned int index = (m_Count[0] >> 3) & 0x3f;
    Update(m_Padding, index < 56 ? 56 - index : 120 - index);
    Update(bits, 8);
    unsigned char digest[16];
    Encode(digest, m_State, 16);
    std::memset(m_State, 0, sizeof m_State);
    std::memset(m_Count, 0, sizeof m_Count);
    std::memset(m_Buffer, 0, sizeof m_Buffer);
    HoldDigest(digest);
    return S_OK;
}

CQorMd5 &CQorMd5::operator=(const tagMD5BINARY &digest)
{
    HoldDigest(digest.abDigest);
    return *this;
}

CQorMd5 &CQorMd5::operator=(const CQorMd5 &other)
{
    HoldDigest(other.m_Digest.abDigest);
    return *this;
}

CQorMd5 &CQorMd5::operator=(const char *text)
{
    if (text != nullptr && std::strlen(text) == 32)
        Import(text);
    return *this;
}

CQorMd5::operator const char *()
{
    if (!m_bFinalized)
        return kNoDigest;
    static const char kDigits[] = "0123456789abcdef";
    for (int i = 0; i < 16; ++i) {
        m_szDigest[2 * i] = kDigits[m_Digest.abDigest[i] >> 4];
        m_szDigest[2 * i + 1] = kDigits[m_Digest.abDigest[i] & 0xf];
    }
    m_szDigest[32] = '\0';
    return m_szDigest;
}

bool CQorMd5::Import(const char *text)
{
    unsigned char digest[16];
    for (int i = 0; i < 16; ++i) {
        char high[2] = {text[2 * i], '\0'};
        char low[2] = {text[2 * i + 1], '\0'};
        const int highValue = Ascii2Hex(high);
        const int lowValue = Ascii2Hex(low);
        if (highValue < 0 || lowValue < 0)
            return false;
        digest[i] = (unsigned char)(highValue << 4 | lowValue);
    }
    HoldDigest(digest);
    return true;
}

int CQorMd5::Ascii2Hex(char *text)
{
    static const char kDigits[] = "0123456789ABCDEF";
    if (*text >= 'a' && *text <= 'z')
        *text = (char)(*text - 'a' + 'A');
    // The terminating zero is no digit.
    const char *found = *text != '\0' ? std::strchr(kDigits, *text) : nullptr;
    return found != nullptr ? (int)(found - kDigits) : -1;
}

void CQorMd5::Transform(const unsigned char block[64]) { TransformBlocks(block, 1); }

void CQorMd5::TransformBlocks(const unsigned char *blocks, size_t count)
{
    // The state stays in locals for the whole run.
    DWORD a = m_State[0], b = m_State[1], c = m_State[2], d = m_State[3];
    for (; count > 0; --count, blocks += 64) {
        DWORD x[16];
        Decode(x, blocks, 64);
        Rounds(a, b, c, d, x);
    }
    m_State[0] = a;
    m_State[1] = b;
    m_State[2] = c;
    m_State[3] = d;
}

void CQorMd5::Encode(unsigned char *output, const DWORD *input, unsigned int length)
{
    for (unsigned int i = 0; i < length / 4; ++i)
        StoreLittleEndian(output + 4 * i, input[i]);
}

void CQorMd5::Decode(DWORD *output, const unsigned char *input, unsigned int length)
{
    for (unsigned int i = 0; i < length / 4; ++i)
        output[i] = LoadLittleEndian(input + 4 * i);
}

void CQorMd5::HoldDigest(const unsigned char digest[16])
{
    std::memmove(m_Digest.abDigest, digest, sizeof m_Digest.abDigest);
    m_bInitialized = false;
    m_bFinalized = true;
}
