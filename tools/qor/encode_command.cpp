// encode_command.cpp: `qor encode`, `qor decode` and `qor strip-html`: the string encoders of
// CQorString over arguments (one result line each) or over standard input (read and written as bytes).
#include "QorToolCommand.h"

#include "QorString.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#endif

namespace qor::tool {

namespace {

enum class Form { Url, UrlBinary, Html, HtmlNbsp, Sql, Hex };

struct FormName {
    const char *name;
    Form form;
    bool decodes; // has a decoder
};

const FormName kForms[] = {
    {"url", Form::Url, true},   {"url-binary", Form::UrlBinary, false}, {"html", Form::Html, true},
    {"html-nbsp", Form::HtmlNbsp, false}, {"sql", Form::Sql, true},    {"hex", Form::Hex, true},
};

// Standard input and output carry bytes: Windows would otherwise turn LF into CR LF and stop at ^Z.
void UseBinaryStreams()
{
#if defined(_WIN32)
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

Form FormNamed(const std::string &name, bool decoding)
{
    for (const FormName &row : kForms)
        if (name == row.name && (row.decodes || !decoding))
            return row.form;
    throw UsageError("unknown form " + Echo(name) +
                     (decoding ? "; decode knows url, html, sql, hex" : "; encode knows url, url-binary, html, html-nbsp, sql, hex"));
}

CQorString StringOf(const std::string &bytes)
{
    if (bytes.size() > 0x7FFFFFF0u)
        throw UsageError("input too long: more than 2 GB");
    return CQorString(bytes.data(), (int)bytes.size());
}

std::string BytesOf(const CQorString &text) { return std::string(text.GetString(), (size_t)text.GetLength()); }

std::string Encode(Form form, const std::string &input)
{
    CQorString text = StringOf(input);
    switch (form) {
    case Form::Url: text.URLEncode(false); break;
    case Form::UrlBinary: text.URLEncode(true); break;
    case Form::Html: text.HtmlEncode(false); break;
    case Form::HtmlNbsp: text.HtmlEncode(true); break;
    case Form::Sql: text.SqlEncode(); break;
    case Form::Hex:
        if (FAILED(text.SetBinary((DWORD)input.size(), reinterpret_cast<const unsigned char *>(input.data()))))
            throw CommandError("out of memory");
        break;
    }
    return BytesOf(text);
}

// The library reads any pair of characters as a byte; the tool wants real hexadecimal digits, an even
// count of them, and accepts line ends after them.
std::string DecodeHex(std::string input)
{
    while (!input.empty() && (input.back() == '\n' || input.back() == '\r'))
        input.pop_back();
    size_t bad = input.find_first_not_of("0123456789abcdefABCDEF");
    if (bad != std::string::npos)
        throw UsageError("not hexadecimal: " + Echo(input.substr(bad, 1)) + " at offset " + std::to_string(bad));
    if (input.size() % 2)
        throw UsageError("odd number of hexadecimal digits (" + std::to_string(input.size()) + ")");
    DWORD count = 0;
    unsigned char *bytes = nullptr;
    HRESULT result = StringOf(input).ExtractBinary(count, bytes);
    if (FAILED(result))
        throw CommandError("out of memory");
    std::string decoded(reinterpret_cast<char *>(bytes), result == S_OK ? count : 0);
    CoTaskMemFree(bytes);
    return decoded;
}

std::string Decode(Form form, const std::string &input)
{
    if (form == Form::Hex)
        return DecodeHex(input);
    CQorString text = StringOf(input);
    if (form == Form::Url && FAILED(text.URLDecode()))
        throw UsageError("incomplete %-escape at the end of " + Echo(input));
    if (form == Form::Html)
        text.HtmlDecode();
    if (form == Form::Sql)
        text.SqlDecode();
    return BytesOf(text);
}

std::string ReadStandardInput()
{
    UseBinaryStreams();
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad())
        throw CommandError("cannot read standard input");
    return input;
}

// Each argument gives one line; without arguments standard input is one text, written back as bytes.
template <class Transform> void Run(const std::vector<std::string> &texts, Transform transform)
{
    std::string out;
    if (texts.empty()) {
        out = transform(ReadStandardInput());
    } else {
        for (const std::string &text : texts)
            out += transform(text) + "\n";
    }
    std::cout.write(out.data(), (std::streamsize)out.size());
    std::cout.flush();
    if (!std::cout)
        throw CommandError("cannot write standard output");
}

std::string StripHtml(const std::string &input)
{
    CQorString text = StringOf(input);
    text.HtmlStripTags();
    return BytesOf(text);
}

void AddCoder(CLI::App &app, const char *name, bool decoding, const char *description, const char *footer)
{
    CLI::App *command = app.add_subcommand(name, description);
    auto form = std::make_shared<std::string>();
    auto texts = std::make_shared<std::vector<std::string>>();
    command->add_option("form", *form, decoding ? "url, html, sql or hex" : "url, url-binary, html, html-nbsp, sql or hex")
        ->required();
    command->add_option("texts", *texts, "Texts, one result line each; without them, standard input as one text");
    command->footer(footer);
    command->callback([form, texts, decoding] {
        Form chosen = FormNamed(*form, decoding);
        Run(*texts, [chosen, decoding](const std::string &text) {
            return decoding ? Decode(chosen, text) : Encode(chosen, text);
        });
    });
}

} // namespace

void AddEncodeCommands(CLI::App &app)
{
    AddCoder(app, "encode", false, "Encode texts for URLs, HTML, SQL or as hexadecimal",
             "Forms:\n  url         escape blank \" # % & ' + / : ; < = > ? @ [ \\ ] ^ ` { | } ~ as %XX\n"
             "  url-binary  escape every byte but letters and digits\n"
             "  html        \" & < > as entities; html-nbsp also blanks as &nbsp;\n"
             "  sql         double every single quote\n  hex         two upper-case digits per byte\n"
             "Examples:\n  qor encode url 'a b/c'          a%20b%2Fc\n  qor encode hex < file.bin");
    AddCoder(app, "decode", true, "Decode URL escapes, HTML entities, doubled SQL quotes or hexadecimal",
             "URL and hexadecimal decoding write bytes as they are (zero bytes included).\n"
             "A text ending inside a %-escape, or hexadecimal with other characters or an odd\n"
             "count of digits, is refused (status 2).\nExamples:\n  qor decode url 'a%20b'\n"
             "  printf 00FF41 | qor decode hex > bytes.bin");
    CLI::App *strip = app.add_subcommand("strip-html", "Reduce HTML to its text with simple line structure");
    auto texts = std::make_shared<std::vector<std::string>>();
    strip->add_option("texts", *texts, "HTML texts, one result line each; without them, standard input as one text");
    strip->footer("Comments, <style> blocks and tags go; <br>, <p>, <div> and </tr> become line feeds, </td>\n"
                  "a tab; &nbsp; &quot; &amp; &lt; &gt; are decoded; line breaks and the blanks around them\n"
                  "fold into one blank.\nExample:\n  curl -s https://example.org | qor strip-html");
    strip->callback([texts] { Run(*texts, StripHtml); });
}

} // namespace qor::tool
