// QorStringCodec_bench.cpp: CQorString's encoders and decoders against libcurl's URL escaping and plain
// std::string versions of each, on the same realistic text mix (form fields, paths, markup, quotes,
// UTF-8) in the same run. Throughput is in bytes of input per second; compare rows of one operation.
#include "QorString.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <string>

namespace {

std::string TextMix()
{
    static const char *const lines[] = {
        "name=John Smith&city=S\xC3\xA3o Paulo&q=C++ templates/100% off\n",
        "/srv/www/htdocs/index.html?lang=en-US#section-2\n",
        "<p class=\"note\">Tom & Jerry's \"show\" at 8 > 7</p>\n",
        "O'Brien, Mary-Kate; 12 Main St. (apt #4) -- caf\xC3\xA9 na\xC3\xAFve r\xC3\xA9sum\xC3\xA9\n",
        "SELECT * FROM users WHERE name = 'it''s' AND id IN (1, 2, 3);\n",
    };
    std::string text;
    while (text.size() < 64 * 1024)
        for (const char *line : lines)
            text += line;
    return text;
}

const std::string &Input()
{
    static const std::string text = TextMix();
    return text;
}

CQorString Encoded(bool binary)
{
    CQorString s(Input().data(), (int)Input().size());
    s.URLEncode(binary);
    return s;
}

bool IsAlnum(unsigned char c) { return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); }

// The plain versions: what a caller would write with std::string in a few lines.
std::string StdUrlEncode(const std::string &in)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(in.size() * 3);
    for (unsigned char c : in) {
        if (IsAlnum(c)) {
            out += (char)c;
        } else {
            out += '%';
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

std::string StdUrlDecode(const std::string &in)
{
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size()) {
            out += (char)(HexValue(in[i + 1]) * 16 + HexValue(in[i + 2]));
            i += 2;
        } else {
            out += in[i];
        }
    }
    return out;
}

std::string StdHtmlEncode(const std::string &in)
{
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    for (char c : in) {
        switch (c) {
        case '"': out += "&quot;"; break;
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string StdSqlEncode(const std::string &in)
{
    std::string out;
    out.reserve(in.size() + in.size() / 16);
    for (char c : in) {
        if (c == '\'')
            out += '\'';
        out += c;
    }
    return out;
}

template <class Work> void Run(benchmark::State &state, size_t bytes, Work work)
{
    for (auto _ : state)
        work();
    state.SetBytesProcessed((int64_t)(state.iterations() * bytes));
}

void UrlEncode_Qor(benchmark::State &state)
{
    const CQorString source(Input().data(), (int)Input().size());
    Run(state, Input().size(), [&] {
        CQorString s(source);
        s.URLEncode(true);
        benchmark::DoNotOptimize(s.GetString());
    });
}

void UrlEncode_Curl(benchmark::State &state)
{
    CURL *curl = curl_easy_init();
    Run(state, Input().size(), [&] {
        char *out = curl_easy_escape(curl, Input().data(), (int)Input().size());
        benchmark::DoNotOptimize(out);
        curl_free(out);
    });
    curl_easy_cleanup(curl);
}

void UrlEncode_StdString(benchmark::State &state)
{
    Run(state, Input().size(), [&] { benchmark::DoNotOptimize(StdUrlEncode(Input()).data()); });
}

void UrlDecode_Qor(benchmark::State &state)
{
    const CQorString source = Encoded(true);
    Run(state, (size_t)source.GetLength(), [&] {
        CQorString s(source);
        s.URLDecode();
        benchmark::DoNotOptimize(s.GetString());
    });
}

void UrlDecode_Curl(benchmark::State &state)
{
    CURL *curl = curl_easy_init();
    const CQorString source = Encoded(true);
    Run(state, (size_t)source.GetLength(), [&] {
        int length = 0;
        char *out = curl_easy_unescape(curl, source.GetString(), source.GetLength(), &length);
        benchmark::DoNotOptimize(out);
        curl_free(out);
    });
    curl_easy_cleanup(curl);
}

void UrlDecode_StdString(benchmark::State &state)
{
    const CQorString encoded = Encoded(true);
    const std::string source(encoded.GetString(), (size_t)encoded.GetLength());
    Run(state, source.size(), [&] { benchmark::DoNotOptimize(StdUrlDecode(source).data()); });
}

void HtmlEncode_Qor(benchmark::State &state)
{
    const CQorString source(Input().data(), (int)Input().size());
    Run(state, Input().size(), [&] {
        CQorString s(source);
        s.HtmlEncode(false);
        benchmark::DoNotOptimize(s.GetString());
    });
}

void HtmlEncode_StdString(benchmark::State &state)
{
    Run(state, Input().size(), [&] { benchmark::DoNotOptimize(StdHtmlEncode(Input()).data()); });
}

void SqlEncode_Qor(benchmark::State &state)
{
    const CQorString source(Input().data(), (int)Input().size());
    Run(state, Input().size(), [&] {
        CQorString s(source);
        s.SqlEncode();
        benchmark::DoNotOptimize(s.GetString());
    });
}

void SqlEncode_StdString(benchmark::State &state)
{
    Run(state, Input().size(), [&] { benchmark::DoNotOptimize(StdSqlEncode(Input()).data()); });
}

} // namespace

BENCHMARK(UrlEncode_Qor);
BENCHMARK(UrlEncode_Curl);
BENCHMARK(UrlEncode_StdString);
BENCHMARK(UrlDecode_Qor);
BENCHMARK(UrlDecode_Curl);
BENCHMARK(UrlDecode_StdString);
BENCHMARK(HtmlEncode_Qor);
BENCHMARK(HtmlEncode_StdString);
BENCHMARK(SqlEncode_Qor);
BENCHMARK(SqlEncode_StdString);
