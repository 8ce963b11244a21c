// md5_text_fuzz.cpp: CQorMd5's text forms and its piecewise update against any input. An accepted
// text reads back as its own lower-case form, a refused one changes nothing, and the same bytes fed in
// pieces of any sizes give the digest of one whole update.
#include "QorMd5.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void CheckTextAssignment(const uint8_t *data, size_t size)
{
    const std::string bytes((const char *)data, size);
    const std::string text = bytes.c_str(); // what the assignment sees: the text up to a zero byte
    CQorMd5 md5(data, (unsigned int)size);
    const std::string before = (const char *)md5;
    md5 = bytes.c_str();
    const std::string after = (const char *)md5;
    std::string lower = text;
    for (char &ch : lower)
        ch = (char)std::tolower((unsigned char)ch);
    bool allHex = text.size() == 32;
    for (char ch : text)
        allHex = allHex && std::isxdigit((unsigned char)ch);
    if (after != (allHex ? lower : before))
        std::abort();
}

void CheckPieces(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    // The first byte chooses the piece sizes; the rest is the message.
    const unsigned step = 1 + data[0];
    CQorMd5 whole(data + 1, (unsigned int)(size - 1));
    CQorMd5 pieces;
    pieces.Init();
    for (size_t at = 1; at < size; at += step)
        pieces.Update(data + at, (unsigned int)(size - at < step ? size - at : step));
    pieces.Final();
    if (std::memcmp((tagMD5BINARY *)whole, (tagMD5BINARY *)pieces, sizeof(tagMD5BINARY)) != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CheckTextAssignment(data, size);
    CheckPieces(data, size);
    return 0;
}
