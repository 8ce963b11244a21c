// main.cpp: the qor command line: one subcommand per capability of the library. Errors are one line
// on stderr: status 2 for bad input, 1 for a command that failed.
#include "QorToolCommand.h"

#include <iostream>
#include <string>

namespace {

// An error as one line of sensible length, whatever input it repeats: CLI11's messages quote
// arguments whole.
std::string OneLine(const std::string &message)
{
    const size_t kLongest = 400;
    std::string line;
    for (char ch : message.substr(0, kLongest))
        line += (unsigned char)ch < 0x20 || ch == 0x7F ? '?' : ch;
    return message.size() > kLongest ? line + "..." : line;
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"qor: the QorUtil library from the shell"};
    app.set_version_flag("--version", std::string("qor ") + QOR_VERSION);
    app.require_subcommand(1);
    qor::tool::AddHrCommand(app);
    qor::tool::AddRegCommand(app);
    qor::tool::AddLocationsCommand(app);
    qor::tool::AddLogCommand(app);
    qor::tool::AddMd5Command(app);
    qor::tool::AddTransCommand(app);
    qor::tool::AddDateCommand(app);
    qor::tool::AddEncodeCommands(app);
    qor::tool::AddStackCommand(app);
    qor::tool::AddSpyCommand(app);
    qor::tool::AddZipCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp &help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion &version) {
        return app.exit(version);
    } catch (const CLI::ParseError &error) {
        std::cerr << "qor: " << OneLine(error.what()) << " (see qor --help)\n";
        return 2;
    } catch (const qor::tool::UsageError &error) {
        std::cerr << "qor: " << OneLine(error.what()) << "\n";
        return 2;
    } catch (const qor::tool::CommandError &error) {
        std::cerr << "qor: " << OneLine(error.what()) << "\n";
        return 1;
    }
    return 0;
}
