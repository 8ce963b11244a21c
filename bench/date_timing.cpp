// date_timing.cpp: CQorDateTime's parsing and text forms per second, timed by hand so the same program
// runs natively (our en-US layer) and under Wine (its automation and locale functions are the peer),
// beside the C library's strptime and strftime on the same text where the runtime has them.
#include "QorDateTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

const char kText[] = "3/29/2007 1:05:07 PM";
const char kPattern[] = "%m/%d/%Y %I:%M:%S %p";

template <typename Operation> double OperationsPerSecond(int iterations, Operation operation)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i)
        if (!operation())
            return -1.0;
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return iterations / elapsed.count();
}

void Row(const char *name, double ours, const char *peerName, double peer)
{
    if (peer > 0)
        std::printf("%-34s %12.0f /s   %-22s %12.0f /s   ratio %.2f\n", name, ours, peerName, peer, ours / peer);
    else
        std::printf("%-34s %12.0f /s\n", name, ours);
}

} // namespace

int main()
{
    const int iterations = 200000;
    CQorDateTime value;
    double parse = OperationsPerSecond(iterations, [&] { return value.ParseDateTime(kText) == 1; });
    double automation = OperationsPerSecond(iterations, [&] { return !value.Format(0, 0x400).IsEmpty(); });
    double shortForm = OperationsPerSecond(iterations, [&] { return !value.FormatShortDateAndTime().IsEmpty(); });
    double pattern = OperationsPerSecond(iterations, [&] { return !value.Format(kPattern).IsEmpty(); });
    double strptimeRate = -1, strftimeRate;
#if !defined(_WIN32)
    strptimeRate = OperationsPerSecond(iterations, [] {
        std::tm broken{};
        return strptime(kText, kPattern, &broken) != nullptr;
    });
#endif
    std::tm broken{};
    broken.tm_year = 107;
    broken.tm_mon = 2;
    broken.tm_mday = 29;
    broken.tm_hour = 13;
    strftimeRate = OperationsPerSecond(iterations, [&] {
        char out[64];
        return std::strftime(out, sizeof out, kPattern, &broken) > 0;
    });
    Row("ParseDateTime", parse, "strptime", strptimeRate);
    Row("Format(0, 0x400) automation text", automation, "strftime", strftimeRate);
    Row("FormatShortDateAndTime", shortForm, "strftime", strftimeRate);
    Row("Format(strftime pattern)", pattern, "strftime", strftimeRate);
    return 0;
}
