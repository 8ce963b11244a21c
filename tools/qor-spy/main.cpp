// qor-spy: the spy viewer. It owns the window that CQorSpyHelper::Spy looks for ("Tolmar Spy
// Utility"), takes each text sent to it and prints it with the time and the sender's process id.
#include "SpyViewer.h"

#include "QorSpyHelper.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

UINT g_spyMessage = 0;
long g_textsLeft = -1; // -1: no limit
bool g_refuse = false;

const char kUsage[] =
    "Usage: qor-spy [--count N] [--refuse]\n"
    "Shows the texts that programs send with CQorSpyHelper::Spy (or `qor spy send TEXT`), one line each:\n"
    "the time, the sender's process id and the text.\n"
    "  --count N   end after N texts\n"
    "  --refuse    answer 0 to every text, as a viewer that does not take it (for tests)\n";

bool ParseArguments(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        char *end = nullptr;
        if (std::strcmp(argv[i], "--refuse") == 0) {
            g_refuse = true;
        } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
            g_textsLeft = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || g_textsLeft < 1)
                return false;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

namespace qor::spy {

LRESULT CALLBACK ViewerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != g_spyMessage || g_spyMessage == 0)
        return DefaultProcedure(window, message, wParam, lParam);
    char text[256] = "";
    GlobalGetAtomNameA((ATOM)wParam, text, sizeof text);
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", std::localtime(&now));
    std::printf("%s  %6lu  %s%s\n", stamp, (unsigned long)lParam, text, g_refuse ? "  (refused)" : "");
    std::fflush(stdout);
    if (g_textsLeft > 0)
        --g_textsLeft;
    if (g_refuse)
        return 0;
    GlobalDeleteAtom((ATOM)wParam);
    return 1;
}

bool ViewerDone() { return g_textsLeft == 0; }

} // namespace qor::spy

int main(int argc, char **argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!ParseArguments(argc, argv)) {
        std::fputs("qor-spy: bad arguments (see qor-spy --help)\n", stderr);
        return 2;
    }
    g_spyMessage = CQorSpyHelper::InitSpy();
    if (g_spyMessage == 0) {
        std::fprintf(stderr, "qor-spy: cannot register the spy message (error %lu)\n", (unsigned long)GetLastError());
        return 1;
    }
    return qor::spy::RunViewerWindow(CQorSpyHelper::GetSpyWindowName()) ? 0 : 1;
}
