// zip_progress.cpp: one line on stderr, redrawn with a carriage return: the job's percentage as a bar
// and the member being worked on. The engine's callback is a plain function, so its state is global:
// one bar is drawn at a time.
#include "zip_progress.h"

#include <cstdio>
#include <string>
#if defined(_WIN32)
#  include <io.h>
#  define isatty _isatty
#  define fileno _fileno
#else
#  include <unistd.h>
#endif

namespace qor::tool {

namespace {

struct BarState {
    bool drawn = false;
    int percent = -1;
    std::string member;
};
BarState g_bar;

void Draw()
{
    const int width = 30;
    const int filled = g_bar.percent < 0 ? 0 : g_bar.percent * width / 100;
    std::string name = g_bar.member.size() > 40 ? "..." + g_bar.member.substr(g_bar.member.size() - 37) : g_bar.member;
    std::fprintf(stderr, "\r%3d%% [%s%s] %-40s", g_bar.percent < 0 ? 0 : g_bar.percent, std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(), name.c_str());
    std::fflush(stderr);
    g_bar.drawn = true;
}

// A member's name when it starts, percentages as the data move.
void Report(const char *text, int, int jobPercent)
{
    if (text != nullptr)
        g_bar.member = text;
    else if (jobPercent == g_bar.percent || jobPercent < 0 || jobPercent > 100)
        return;
    else
        g_bar.percent = jobPercent;
    Draw();
}

} // namespace

ZipProgress::ZipProgress() { g_bar = BarState(); }

ALCallbackFunction ZipProgress::Callback() const { return isatty(fileno(stderr)) ? &Report : nullptr; }

void ZipProgress::Finish()
{
    if (g_bar.drawn)
        std::fprintf(stderr, "\r%79s\r", "");
    g_bar.drawn = false;
}

} // namespace qor::tool
