// locations.cpp: where the family's folders that Windows gives as drive paths live on POSIX: the
// database folder "C:\Z4DB" becomes Z4DB in the user's data folder (XDG base directories).
#include "QorPlatform.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace qor::platform {

std::string DataHomeFolder()
{
    const char *data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && *data != '\0')
        return data;
    const char *home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd *user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return std::string(home) + "/.local/share";
}

std::string DefaultDatabaseFolder() { return DataHomeFolder() + "/Z4DB"; }

} // namespace qor::platform
