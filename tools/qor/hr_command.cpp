// hr_command.cpp: `qor hr`: takes result codes (or Win32 error numbers) apart field by field and
// shows the platform's message text for them.
#include "QorToolCommand.h"

#include "QorError.h"

#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <vector>

namespace qor::tool {

namespace {

const char *SeverityName(CQorError::SeverityCode severity)
{
    static const char *const names[] = {"success", "informational", "warning", "error"};
    return names[severity & 3];
}

const char *FacilityName(LONG facility)
{
    switch (facility) {
    case CQorError::FacilityNull: return "null";
    case CQorError::FacilityWin32: return "Win32";
    case CQorError::FacilityLibrary: return "QorUtil";
    default: return "";
    }
}

// The names that the platform and the library give to codes they return.
const char *CodeName(uint32_t code)
{
    static const struct {
        uint32_t code;
        const char *name;
    } names[] = {
        {0x00000000, "S_OK"},           {0x00000001, "S_FALSE"},
        {0x80004001, "E_NOTIMPL"},      {0x80004002, "E_NOINTERFACE"},
        {0x80004003, "E_POINTER"},      {0x80004004, "E_ABORT"},
        {0x80004005, "E_FAIL"},         {0x8000FFFF, "E_UNEXPECTED"},
        {0x80070005, "E_ACCESSDENIED"}, {0x80070006, "E_HANDLE"},
        {0x8007000E, "E_OUTOFMEMORY"},  {0x80070057, "E_INVALIDARG"},
        {0xC4000066, "QOR_E_REGISTRY_UNKNOWN_ROOT"}, {0x84000067, "QOR_W_LOG_NO_FILE_NAME"},
        {0xC40000CA, "QOR_E_LOG_MUTEX_ABANDONED"},   {0x440000CB, "QOR_I_LOG_ALREADY_OPEN"},
    };
    for (const auto &row : names)
        if (row.code == code)
            return row.name;
    return nullptr;
}

// The message text without its line end; later lines indented under the first.
std::string TextOf(CQorError &error)
{
    std::string text = (const char *)error;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    std::string indented;
    for (char c : text) {
        if (c == '\r')
            continue;
        indented += c;
        if (c == '\n')
            indented += "            ";
    }
    return indented.empty() ? "(none)" : indented;
}

void Describe(uint32_t code, std::ostream &out)
{
    CQorError error((HRESULT)code);
    char line[96];
    std::snprintf(line, sizeof line, "0x%08" PRIX32 " (%" PRId32 ")", code, (int32_t)code);
    out << line << "\n";
    out << "  severity  " << (int)error.Severity() << " " << SeverityName(error.Severity()) << "\n";
    out << "  customer  " << error.Customer() << "\n";
    out << "  reserved  " << ((code >> 28) & 1) << "\n";
    std::snprintf(line, sizeof line, "%ld (0x%03lX)", (long)error.Facility(), (unsigned long)error.Facility());
    out << "  facility  " << line;
    if (*FacilityName(error.Facility()))
        out << " " << FacilityName(error.Facility());
    out << "\n";
    std::snprintf(line, sizeof line, "%u (0x%04X)", (unsigned)error.Status(), (unsigned)error.Status());
    out << "  status    " << line << "\n";
    out << "  result    " << (error.Succeeded() ? "success" : "failure") << "\n";
    out << "  IsTolmar  " << (error.IsTolmar() ? "yes" : "no") << "\n";
    if (const char *name = CodeName(code))
        out << "  name      " << name << "\n";
    out << "  text      " << TextOf(error) << "\n";
}

} // namespace

void AddHrCommand(CLI::App &app)
{
    CLI::App *hr = app.add_subcommand("hr", "Decode result codes: fields, success or failure, message text");
    auto codes = std::make_shared<std::vector<std::string>>();
    auto win32 = std::make_shared<bool>(false);
    hr->add_option("codes", *codes, "Result codes (0x80070002, -2147024894) or, with --win32, Win32 error numbers")
        ->required();
    hr->add_flag("--win32", *win32, "Read the numbers as Win32 error numbers and decode their result codes");
    hr->footer("Examples:\n  qor hr 0x80070002\n  qor hr --win32 5 32");
    hr->callback([codes, win32] {
        std::vector<uint32_t> values;
        for (const std::string &text : *codes)
            values.push_back(ParseNumber32(text));
        std::ostringstream out;
        for (size_t i = 0; i < values.size(); ++i) {
            uint32_t code = values[i];
            if (*win32) {
                out << "Win32 error " << code << ":\n";
                code = (uint32_t)QorHResultFromWin32(code);
            }
            Describe(code, out);
            if (i + 1 < values.size())
                out << "\n";
        }
        std::cout << out.str();
    });
}

} // namespace qor::tool
