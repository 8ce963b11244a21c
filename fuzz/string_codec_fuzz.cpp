// string_codec_fuzz.cpp: CQorString's decoders and HTML stripping on any bytes (no crash, lengths in
// bounds), and the round trips that must hold: decoding an encoding gives the input back.
#include "QorString.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string BytesOf(const CQorString &s) { return std::string(s.GetString(), (size_t)s.GetLength()); }

void Check(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

void DecodersOnAnyText(const std::string &input)
{
    CQorString text(input.data(), (int)input.size());
    std::vector<unsigned char> out(input.size() + 1);
    int outLength = -1;
    HRESULT buffered = text.URLDecode(out.data(), outLength);
    CQorString inPlace(text);
    HRESULT decoded = inPlace.URLDecode();
    Check(buffered == decoded, "both URL decoders agree");
    Check(FAILED(decoded) ? BytesOf(inPlace) == input && outLength == 0
                          : BytesOf(inPlace) == std::string((char *)out.data(), (size_t)outLength),
          "a failed URL decode keeps the text; a good one matches the buffer form");

    for (int step = 0; step < 4; ++step) {
        CQorString s(input.data(), (int)input.size());
        switch (step) {
        case 0: s.HtmlDecode(); break;
        case 1: s.HtmlStripTags(); break;
        case 2: s.SqlDecode(); break;
        case 3: s.QuoteDecode('"', '\\'); break;
        }
        Check(s.GetLength() <= (int)input.size(), "decoding never lengthens the text");
        Check(s.GetString()[s.GetLength()] == 0, "the text stays terminated");
    }
    DWORD count = 0;
    unsigned char *bytes = nullptr;
    if (text.ExtractBinary(count, bytes) == S_OK) {
        Check(count == input.size() / 2, "one byte per pair");
        CoTaskMemFree(bytes);
    }
}

void RoundTrips(const std::string &input)
{
    const CQorString original(input.data(), (int)input.size());
    for (int form = 0; form < 6; ++form) {
        CQorString s(original);
        switch (form) {
        case 0: s.URLEncode(true); s.URLDecode(); break;
        case 1: s.URLEncode(false); s.URLDecode(); break;
        case 2: s.HtmlEncode(true); s.HtmlDecode(); break;
        case 3: s.SqlEncode(); s.SqlDecode(); break;
        case 4: s.QuoteEncode('"', '\\'); s.QuoteDecode('"', '\\'); break;
        case 5: {
            s.SetBinary((DWORD)input.size(), reinterpret_cast<const unsigned char *>(input.data()));
            DWORD count = 0;
            unsigned char *bytes = nullptr;
            if (s.ExtractBinary(count, bytes) == S_OK) {
                s.SetString(reinterpret_cast<char *>(bytes), (int)count);
                CoTaskMemFree(bytes);
            }
            break;
        }
        }
        Check(BytesOf(s) == input, "decoding an encoding gives the input back");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    DecodersOnAnyText(input);
    RoundTrips(input);
    return 0;
}
