// ALCrc32Blocks_test.cpp: the CRC-32's block paths agree with one-byte steps around every block edge,
// from any register and at any alignment.
#include "ALCrc32.h"

#include <gtest/gtest.h>

TEST(ALCrc32, BlockEdgesAndAlignmentsAgainstOneByteSteps)
{
    unsigned char bytes[4096 + 16 + 300];
    for (size_t i = 0; i < sizeof bytes; ++i)
        bytes[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    for (size_t offset = 0; offset < 16; offset += 5)
        for (size_t length = 0; length <= 4096 + 300; length += length < 300 ? 1 : 997) {
            DWORD start = 0x12345678u ^ static_cast<DWORD>(length), stepped = start;
            for (size_t i = 0; i < length; ++i)
                stepped = ALCrc32Update(stepped, &bytes[offset + i], 1);
            ASSERT_EQ(stepped, ALCrc32Update(start, &bytes[offset], length)) << offset << " " << length;
        }
}
