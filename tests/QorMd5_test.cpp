// QorMd5_test.cpp: MD5 digests: the RFC 1321 test suite, input fed in pieces, the text forms and the
// state rules of the class.
#include "QorMd5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const unsigned char *Bytes(const std::string &text) { return (const unsigned char *)text.data(); }

std::string DigestOf(const std::string &text)
{
    CQorMd5 md5(Bytes(text), (unsigned int)text.size());
    return (const char *)md5;
}

TEST(QorMd5, Rfc1321TestSuite)
{
    static const struct {
        const char *input;
        const char *digest;
    } rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &row : rows) {
        EXPECT_EQ(DigestOf(row.input), row.digest) << "input \"" << row.input << "\"";
        CQorMd5 stepwise;
        stepwise.Init();
        EXPECT_EQ(stepwise.Update(Bytes(row.input), (unsigned int)std::strlen(row.input)), S_OK);
        EXPECT_EQ(stepwise.Final(), S_OK);
        EXPECT_STREQ((const char *)stepwise, row.digest) << "input \"" << row.input << "\"";
    }
}

TEST(QorMd5, PiecesOfAnySizeGiveTheSameDigest)
{
    // A million "a" (a digest published with RFC 1321's algorithm) fed in pieces whose sizes fill the
    // 64-byte buffer exactly, leave it one short, cross it, and skip it with whole blocks.
    const std::string million(1000000, 'a');
    for (unsigned int piece : {1u, 7u, 55u, 56u, 63u, 64u, 65u, 127u, 1000u, 4096u + 3u, 1000000u}) {
        CQorMd5 md5;
        md5.Init();
        for (size_t at = 0; at < million.size(); at += piece)
            md5.Update(Bytes(million) + at, (unsigned int)std::min<size_t>(piece, million.size() - at));
        md5.Final();
        EXPECT_STREQ((const char *)md5, "7707d6ae4e027c70eea2a935c2296f21") << "pieces of " << piece;
    }
    // The padding boundary: 55 bytes pad within the block, 56 need a second one.
    EXPECT_EQ(DigestOf(std::string(55, 'x')), "04364420e25c512fd958a70738aa8f72");
    EXPECT_EQ(DigestOf(std::string(56, 'x')), "668a72d5ba17f08e62dabcafad6db14b");
}

TEST(QorMd5, BinaryFormIsTheRfcByteOrder)
{
    CQorMd5 md5(Bytes("abc"), 3);
    const tagMD5BINARY *digest = md5;
    EXPECT_EQ(digest->abDigest[0], 0x90);
    EXPECT_EQ(digest->abDigest[15], 0x72);

    CQorMd5 copy;
    copy = *digest;
    EXPECT_STREQ((const char *)copy, "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(copy.Update(Bytes("x"), 1), E_ACCESSDENIED) << "an assigned digest ends any computation";

    EXPECT_EQ(CQorMd5::m_Padding[0], 0x80);
    for (int i = 1; i < 64; ++i)
        ASSERT_EQ(CQorMd5::m_Padding[i], 0) << "byte " << i;
}

TEST(QorMd5, TextAssignmentTakesOnlyThirtyTwoHexDigits)
{
    CQorMd5 md5;
    md5 = "900150983CD24FB0D6963F7D28E17F72";
    EXPECT_STREQ((const char *)md5, "900150983cd24fb0d6963f7d28e17f72") << "upper case is read, lower case written";

    static const char *const refused[] = {
        nullptr,
        "d41d8cd98f00b204e9800998ecf8427",   // 31 characters
        "d41d8cd98f00b204e9800998ecf8427ee", // 33 characters
        "d41d8cd98f00b204e9800998ecf8427g",  // a non-digit in the last place: nothing half-written
        "g41d8cd98f00b204e9800998ecf8427e",
        "d41d8cd98f00b204 9800998ecf8427e",
    };
    for (const char *text : refused) {
        md5 = text;
        EXPECT_STREQ((const char *)md5, "900150983cd24fb0d6963f7d28e17f72") << (text ? text : "(null)");
    }

    CQorMd5 fresh;
    fresh = "d41d8cd98f00b204e9800998ecf8427";
    EXPECT_STREQ((const char *)fresh, "") << "a refused text leaves a new object without a digest";
    std::string embedded("d41d8cd98f00b204e9800998ecf8427e", 32);
    embedded[5] = '\0';
    fresh = embedded.c_str();
    EXPECT_STREQ((const char *)fresh, "");
}

TEST(QorMd5, OperationsOutsideAComputationAreRefused)
{
    CQorMd5 md5;
    EXPECT_STREQ((const char *)md5, "") << "a new object holds no digest";
    EXPECT_EQ(md5.Update(Bytes("abc"), 3), E_ACCESSDENIED);
    EXPECT_EQ(md5.Final(), E_ACCESSDENIED);

    md5.Init();
    EXPECT_EQ(md5.Update(nullptr, 0), S_OK);
    EXPECT_EQ(md5.Update(nullptr, 5), E_INVALIDARG);
    EXPECT_EQ(md5.Update(Bytes("abc"), 3), S_OK);
    EXPECT_EQ(md5.Final(), S_OK);
    EXPECT_EQ(md5.Final(), E_ACCESSDENIED) << "a second Final";
    EXPECT_EQ(md5.Update(Bytes("d"), 1), E_ACCESSDENIED) << "Update after Final";
    EXPECT_STREQ((const char *)md5, "900150983cd24fb0d6963f7d28e17f72") << "refusals changed nothing";

    // Another object's digest bytes are taken whatever its state: Init zeroes them.
    CQorMd5 running;
    running.Init();
    md5 = running;
    EXPECT_STREQ((const char *)md5, "00000000000000000000000000000000");
    md5.Init();
    EXPECT_STREQ((const char *)md5, "") << "Init discards the digest held";
}

} // namespace
