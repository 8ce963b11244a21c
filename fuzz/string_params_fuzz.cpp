// string_params_fuzz.cpp: CQorString::FormatFromParams and ReplaceText on any format, names, values
// and buffer size. The formatter must stay inside its buffer and agree with itself about the length it
// needs; ReplaceText must agree with a plain std::string replacement.
#include "QorString.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// The input's NUL-separated fields.
std::vector<std::string> Fields(const uint8_t *data, size_t size)
{
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += (char)data[i];
    }
    return fields;
}

std::string ReplaceReference(const std::string &text, const std::string &find, const std::string &with, long limit)
{
    if (find.empty())
        return text;
    std::string out;
    size_t from = 0;
    for (size_t at; limit != 0 && (at = text.find(find, from)) != std::string::npos; --limit) {
        out += text.substr(from, at - from) + with;
        from = at + find.size();
    }
    return out + text.substr(from);
}

void Format(const std::vector<std::string> &fields, LONG outSize)
{
    std::vector<tagSTRINGFORMATPARAM> params;
    for (size_t i = 1; i + 1 < fields.size(); i += 2)
        params.push_back({const_cast<char *>(fields[i].c_str()), 0, const_cast<char *>(fields[i + 1].data()),
                          (LONG)fields[i + 1].size()});
    if (params.empty())
        return;
    std::vector<char> out((size_t)outSize + 1, '\x7F'); // the extra byte must stay untouched
    LONG needed = -1;
    HRESULT result = CQorString::FormatFromParams(out.data(), outSize, &needed, fields[0].c_str(), params.data(),
                                                  (LONG)params.size());
    Check(out[(size_t)outSize] == '\x7F', "no write beyond the buffer");
    Check(outSize == 0 || std::memchr(out.data(), 0, (size_t)outSize) != nullptr, "the output is terminated");
    if (SUCCEEDED(result)) {
        Check(needed < outSize && out[(size_t)needed] == 0, "the length is that of the output");
        std::vector<char> exact((size_t)needed + 1);
        LONG again = -1;
        Check(CQorString::FormatFromParams(exact.data(), needed + 1, &again, fields[0].c_str(), params.data(),
                                           (LONG)params.size()) == S_OK && again == needed,
              "the length reported fits exactly");
    } else if (result == (HRESULT)0x8007007AL) {
        Check((outSize == 0 || out[0] == 0) && needed >= outSize, "a short buffer reports the length it needs");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    LONG outSize = data[0];
    long limit = (long)(int8_t)data[1];
    std::vector<std::string> fields = Fields(data + 2, size - 2);
    Format(fields, outSize);

    const std::string &text = fields[0];
    std::string find = fields.size() > 1 ? fields[1] : "", with = fields.size() > 2 ? fields[2] : "";
    CQorString s(text.c_str());
    s.ReplaceText(find.c_str(), with.c_str(), (LONG)limit);
    Check(std::string(s.GetString()) == ReplaceReference(text, find, with, limit), "ReplaceText as std::string does it");
    return 0;
}
