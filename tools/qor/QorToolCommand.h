// QorToolCommand.h: what the qor subcommands share: how each adds itself to the command line, and
// the errors that end a command.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace qor::tool {

// Bad input from the user: one line on stderr, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The command was understood but could not be carried out: one line on stderr, exit status 1.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A number of 32 bits at most: decimal (a sign allowed) or hexadecimal with 0x; UsageError otherwise.
uint32_t ParseNumber32(const std::string &text);

// `input` quoted for an error line: control bytes written as \xNN, and cut behind 100 characters
// with "..." so that no argument or file content runs an error line long.
std::string Echo(const std::string &input);

void AddHrCommand(CLI::App &app);
void AddRegCommand(CLI::App &app);
void AddLocationsCommand(CLI::App &app);
void AddLogCommand(CLI::App &app);
void AddMd5Command(CLI::App &app);
void AddTransCommand(CLI::App &app);
void AddDateCommand(CLI::App &app);
void AddEncodeCommands(CLI::App &app);
void AddStackCommand(CLI::App &app);
void AddSpyCommand(CLI::App &app);
void AddZipCommand(CLI::App &app);

} // namespace qor::tool
