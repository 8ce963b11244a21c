// QorMd5_test.cpp: MD5: the RFC 1321 suite, input in pieces, the text forms and the state rules.
#include "QorMd5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const unsigned char *Bytes(const std::string &text) { return (const unsigned char *)text.data(); }
const char kAbc[] = "900150983cd24fb0d6963f7d28e17f72";

// The digest of `text` fed in pieces of `piece` bytes (0: all at once through the constructor).
std::string DigestOf(const std::string &text, size_t piece = 0)
{
    if (piece == 0)
        return (const char *)CQorMd5(Bytes(text), (unsigned int)text.size());
    CQorMd5 md5;
    md5.Init();
    for (size_t at = 0; at < text.size(); at += piece)
        EXPECT_EQ(md5.Update(Bytes(text) + at, (unsigned int)std::min(piece, text.size() - at)), S_OK);
    EXPECT_EQ(md5.Final(), S_OK);
    return (const char *)md5;
}

TEST(QorMd5, Rfc1321SuiteAndPieces)
{
    static const struct { std::string input; const char *digest; } rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"}, {"a", "0cc175b9c0f1b6a831c399e269772661"}, {"abc", kAbc},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {std::string(55, 'x'), "04364420e25c512fd958a70738aa8f72"}, // padding fits in the block
        {std::string(56, 'x'), "668a72d5ba17f08e62dabcafad6db14b"}, // padding needs a second block
    };
    for (const auto &row : rows) {
        EXPECT_TRUE(DigestOf(row.input) == row.digest && DigestOf(row.input, 1000) == row.digest) << row.input;
    }
    // A million "a" in pieces that fill the 64-byte buffer exactly, leave it short, cross it, skip it.
    const std::string million(1000000, 'a');
    for (size_t piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 127u, 4099u, 1000000u})
        EXPECT_EQ(DigestOf(million, piece), "7707d6ae4e027c70eea2a935c2296f21") << "pieces of " << piece;
}

TEST(QorMd5, BinaryAndTextForms)
{
    CQorMd5 md5(Bytes("abc"), 3), copy;
    const tagMD5BINARY *digest = md5;
    EXPECT_TRUE(digest->abDigest[0] == 0x90 && digest->abDigest[15] == 0x72) << "the RFC byte order";
    copy = *digest;
    EXPECT_STREQ((const char *)copy, kAbc);
    EXPECT_EQ(copy.Update(Bytes("x"), 1), E_ACCESSDENIED) << "an assigned digest ends any computation";
    EXPECT_EQ(std::string((const char *)CQorMd5::m_Padding, 64), "\x80" + std::string(63, '\0'));

    md5 = "900150983CD24FB0D6963F7D28E17F72";
    EXPECT_STREQ((const char *)md5, kAbc) << "upper case is read, lower case written";
    std::string embedded("d41d8cd98f00b204e9800998ecf8427e");
    embedded[5] = '\0';
    for (const char *text : {(const char *)nullptr, "d41d8cd98f00b204e9800998ecf8427", "d41d8cd98f00b204e9800998ecf8427ee",
                             "d41d8cd98f00b204e9800998ecf8427g", // nothing half-written
                             "g41d8cd98f00b204e9800998ecf8427e", "d41d8cd98f00b204 9800998ecf8427e", embedded.c_str()}) {
        CQorMd5 fresh;
        md5 = text;
        fresh = text;
        // a refused text leaves a new object without a digest
        EXPECT_EQ(std::string(kAbc) + "|", std::string((const char *)md5) + "|" + (const char *)fresh) << (text ? text : "(null)");
    }
}

TEST(QorMd5, OperationsOutsideAComputationAreRefused)
{
    CQorMd5 md5;
    EXPECT_STREQ((const char *)md5, "") << "a new object holds no digest";
    EXPECT_TRUE(md5.Update(Bytes("abc"), 3) == E_ACCESSDENIED && md5.Final() == E_ACCESSDENIED) << "before Init";
    md5.Init();
    EXPECT_TRUE(md5.Update(nullptr, 0) == S_OK && md5.Update(nullptr, 5) == E_INVALIDARG);
    EXPECT_TRUE(md5.Update(Bytes("abc"), 3) == S_OK && md5.Final() == S_OK);
    EXPECT_TRUE(md5.Final() == E_ACCESSDENIED && md5.Update(Bytes("d"), 1) == E_ACCESSDENIED) << "after Final";
    EXPECT_STREQ((const char *)md5, kAbc) << "refusals changed nothing";
    CQorMd5 running; // another object's digest bytes are taken whatever its state: Init zeroes them
    running.Init();
    md5 = running;
    EXPECT_STREQ((const char *)md5, "00000000000000000000000000000000");
    md5.Init();
    EXPECT_STREQ((const char *)md5, "") << "Init discards the digest held";
}

} // namespace
