// log_command.cpp: `qor log`: where the family's error log is, writing a line to it, reading its end
// (and following it as it grows), and the per-user switch that turns tracing on and off.
#include "QorToolCommand.h"
#include "native_path.h"

#include "QorError.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

namespace qor::tool {

namespace {

void PrintPath() { std::cout << CQorError::ErrorLogPath().GetString() << "\n"; }

// The error log's folder, made with its parents when missing, as an installer would; CommandError
// naming the folder and the reason when it cannot be made.
void MakeLogFolder(const std::string &logPath)
{
    size_t separator = logPath.find_last_of("/\\");
    if (separator == std::string::npos || separator == 0)
        return;
    std::error_code error;
    std::filesystem::create_directories(NativePath(logPath.substr(0, separator)), error);
    if (error)
        throw CommandError("cannot create the error log's folder " + Echo(logPath.substr(0, separator)) + ": " +
                           error.message());
}

void WriteLine(const std::string &codeText, const std::vector<std::string> &texts, bool raw)
{
    if (texts.size() > 4)
        throw UsageError("a log line holds at most four texts");
    // A line break inside a text would start a line of its own that looks like any other.
    for (const std::string &text : texts)
        if (!raw && text.find_first_of("\r\n") != std::string::npos)
            throw UsageError("the text " + Echo(text) + " holds a line break; --raw writes texts unchanged");
    if (!CQorError::TraceEnabled())
        throw CommandError("tracing is disabled for this user; 'qor log enable' turns it on");
    const char *t[4] = {nullptr, nullptr, nullptr, nullptr};
    for (size_t i = 0; i < texts.size(); ++i)
        t[i] = texts[i].c_str();
    CQorError code((HRESULT)ParseNumber32(codeText));
    const std::string path = CQorError::ErrorLogPath().GetString();
    MakeLogFolder(path);
    CQorError opened(CQorError::OpenErrorLog());
    if (opened.Failed())
        throw CommandError("cannot open the error log " + Echo(path) + ": " + (const char *)opened);
    code.Log(t[0], t[1], t[2], t[3]);
    CQorError::FlushTrace();
}

// A line count as tail takes it: decimal digits only, no sign, within a size_t.
size_t ParseLineCount(const std::string &text)
{
    char *end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || !std::isdigit((unsigned char)text[0]) || *end != '\0' || errno == ERANGE ||
        value > SIZE_MAX)
        throw UsageError(Echo(text) + " is not a line count (a whole number, 0 or more)");
    return (size_t)value;
}

// The last `count` lines of the file, then, with `follow`, every line appended later.
void Tail(size_t count, bool follow)
{
    const std::string path = CQorError::ErrorLogPath().GetString();
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw CommandError("cannot read the error log " + path);
    std::deque<std::string> last;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        last.push_back(line);
        if (last.size() > count)
            last.pop_front();
    }
    for (const std::string &kept : last)
        std::cout << kept << "\n";
    std::cout.flush();
    while (follow) {
        file.clear();
        std::streampos position = file.tellg();
        if (std::getline(file, line) && !file.eof()) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::cout << line << std::endl;
        } else {
            // A line still being written: read it again once it is whole.
            file.clear();
            file.seekg(position);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
}

void Enable(bool enable)
{
    CQorError result = CQorError::EnableTrace(enable);
    if (result.Failed())
        throw CommandError(std::string("cannot change the user's tracing switch: ") + (const char *)result);
    std::cout << "tracing " << (enable ? "enabled" : "disabled") << " for this user\n";
}

} // namespace

void AddLogCommand(CLI::App &app)
{
    CLI::App *log = app.add_subcommand("log", "The family's error log: its path, writing and reading lines, tracing on/off");
    log->require_subcommand(1);

    log->add_subcommand("path", "Print the error log's path (registry value ErrorLog, else the database folder)")
        ->callback(PrintPath);

    CLI::App *write = log->add_subcommand("write", "Append a line with a result code and up to four texts");
    auto code = std::make_shared<std::string>();
    auto texts = std::make_shared<std::vector<std::string>>();
    write->add_option("code", *code, "Result code of the line (0x80004005, -2147467259)")->required();
    auto raw = std::make_shared<bool>(false);
    write->add_option("texts", *texts, "Up to four texts, each after a TAB");
    write->add_flag("--raw", *raw, "Write texts holding CR or LF unchanged (they are refused otherwise)");
    write->footer("The log's folder is created when missing.\nExample:\n  qor log write 0x80004005 \"backup\" \"disk full\"");
    write->callback([code, texts, raw] { WriteLine(*code, *texts, *raw); });

    CLI::App *tail = log->add_subcommand("tail", "Print the last lines of the error log");
    auto count = std::make_shared<std::string>("10");
    auto follow = std::make_shared<bool>(false);
    tail->add_option("-n,--lines", *count, "How many lines (default 10)");
    tail->add_flag("-f,--follow", *follow, "Keep printing lines as they are appended (Ctrl+C stops)");
    tail->callback([count, follow] { Tail(ParseLineCount(*count), *follow); });

    log->add_subcommand("enable", "Turn tracing on for the current user")->callback([] { Enable(true); });
    log->add_subcommand("disable", "Turn tracing off for the current user")->callback([] { Enable(false); });
}

} // namespace qor::tool
