// main.cpp: the qor command line: one subcommand per capability of the library. Errors are one line
// on stderr: status 2 for bad input, 1 for a command that failed.
#include "QorToolCommand.h"

#include <iostream>

int main(int argc, char **argv)
{
    CLI::App app{"qor: the QorUtil library from the shell"};
    app.set_version_flag("--version", std::string("qor ") + QOR_VERSION);
    app.require_subcommand(1);
    qor::tool::AddHrCommand(app);
    qor::tool::AddRegCommand(app);
    qor::tool::AddLocationsCommand(app);
    qor::tool::AddLogCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp &help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion &version) {
        return app.exit(version);
    } catch (const CLI::ParseError &error) {
        std::cerr << "qor: " << error.what() << " (see qor --help)\n";
        return 2;
    } catch (const qor::tool::UsageError &error) {
        std::cerr << "qor: " << error.what() << "\n";
        return 2;
    } catch (const qor::tool::CommandError &error) {
        std::cerr << "qor: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
