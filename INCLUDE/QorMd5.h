// QorMd5.h: CQorMd5, the MD5 message digest of RFC 1321 over bytes fed in pieces, and one digest value
// read or set as 16 bytes or as 32 hexadecimal characters. Callers embed it by value: its fields and
// their order are part of the interface.
#pragma once

#include "QorWinTypes.h"

// A digest as a value: the 16 bytes in the order in which RFC 1321 outputs them.
struct tagMD5BINARY {
    unsigned char abDigest[16];
};

class QORUTIL_API CQorMd5 {
public:
    typedef ::tagMD5BINARY tagMD5BINARY;

    // No digest held, no computation running; the digest bytes are left unset.
    CQorMd5();
    // The digest of `length` bytes at `data`, computed at once.
    CQorMd5(const unsigned char *data, unsigned int length);
    ~CQorMd5() = default;

    // Starts a new computation from any state, discarding any digest held.
    void Init();
    // Feeds bytes to the running computation: E_ACCESSDENIED, changing nothing, when none is running
    // (before Init or after Final); E_INVALIDARG for a null pointer with a non-zero length.
    HRESULT Update(const unsigned char *data, unsigned int length);
    // Ends the computation and holds its digest; E_ACCESSDENIED, changing nothing, when none is running.
    HRESULT Final();

    // Assignments hold the given digest and abandon any computation in progress.
    CQorMd5 &operator=(const tagMD5BINARY &digest);
    CQorMd5 &operator=(const CQorMd5 &other); // the other object's digest bytes, whatever its state
    // 32 hexadecimal digits in either case; any other text (null, another length, a non-digit)
    // changes nothing.
    CQorMd5 &operator=(const char *text);

    // The digest as 32 lower-case hexadecimal digits, valid until the object changes or is converted
    // again; the empty text when no digest is held.
    operator const char *();
    // The digest bytes, whatever the state.
    operator tagMD5BINARY *() { return &m_Digest; }

    // The padding of RFC 1321: 0x80 and 63 zero bytes.
    static const unsigned char m_Padding[64];

protected:
    // Reads 32 hexadecimal digits (either case) into the digest; false, changing nothing, at the first
    // character that is not one.
    bool Import(const char *text);
    // Upper-cases the one character at `text` in place and answers its value as a hexadecimal digit,
    // or -1.
    static int Ascii2Hex(char *text);

    // RFC 1321's block transform of m_State over 64 bytes.
    void Transform(const unsigned char block[64]);
    // RFC 1321's little-endian conversions; `length` counts bytes and is a multiple of 4.
    static void Encode(unsigned char *output, const DWORD *input, unsigned int length);
    static void Decode(DWORD *output, const unsigned char *input, unsigned int length);

    bool m_bInitialized; // Init has run and Final has not: Update is accepted
    bool m_bFinalized;   // m_Digest holds a digest
    tagMD5BINARY m_Digest;
    char m_szDigest[33];
    DWORD m_State[4];     // A, B, C, D
    DWORD m_Count[2];     // bits fed in, modulo 2^64, low word first
    unsigned char m_Buffer[64]; // input not yet transformed

private:
    void TransformBlocks(const unsigned char *blocks, size_t count);
    void HoldDigest(const unsigned char digest[16]);
};
