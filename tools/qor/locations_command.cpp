// locations_command.cpp: `qor locations`: every location of the family as the library worked it out
// at load, and the backup counters of the location INI file.
#include "QorToolCommand.h"

#include "QorDBInfo.h"

#include <iostream>
#include <sstream>

namespace qor::tool {

void AddLocationsCommand(CLI::App &app)
{
    CLI::App *locations = app.add_subcommand("locations", "Show the family's folders, files and backup counters");
    locations->footer("The locations come from the registry (HKLM\\Software\\Tolmar Technology\\Common, Find and\n"
                      "Moonlane: Path; HKCU\\Software\\Tolmar Technology\\Common: DataPath), the program's folder,\n"
                      "the temporary folder and the INI file QorLocat.ini in the database folder.\n"
                      "Example:\n  qor locations");
    locations->callback([] {
        long nextRecord = 0, nextEntityRecord = 0;
        CQorDBInfo().ReadBackupRaviDozInfo(nextRecord, nextEntityRecord);
        std::ostringstream out;
        out << "Common path        " << CQorDBInfo::GetCommonPath() << "\n"
            << "Find path          " << CQorDBInfo::GetFindPath() << "\n"
            << "Install path       " << CQorDBInfo::GetInstallPath() << "\n"
            << "Has Moonlane       " << (CQorDBInfo::HasMoonlane() ? "yes" : "no") << "\n"
            << "Database path      " << CQorDBInfo::GetDBPath() << "\n"
            << "Local database     " << CQorDBInfo::GetLocalDBName() << "\n"
            << "Temporary path     " << CQorDBInfo::GetTempPath() << "\n"
            << "INI file           " << CQorDBInfo::GetINIPath() << "\n"
            << "NextRecord         " << nextRecord << "\n"
            << "NextEntityRecord   " << nextEntityRecord << "\n";
        std::cout << out.str();
    });
}

} // namespace qor::tool
