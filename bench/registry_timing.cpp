// registry_timing.cpp: the registry's cost per operation through CQorRegistry, timed by hand so the
// same program runs natively (our store) and under Wine (its registry is the peer): open + read +
// close of one value, and one value write. Fixed iteration counts; prints µs per operation.
#include "QorRegistry.h"

#include <chrono>
#include <cstdio>

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\Software\\QorUtilTests\\Timing";

template <typename Operation> double MicrosecondsPerOperation(int iterations, Operation operation)
{
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i)
        if (!operation(i))
            return -1.0;
    std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / iterations;
}

} // namespace

int main()
{
    CQorRegistry key;
    if (key.Create(kKey) < 0 || key.SetValue("Path", "C:\\Program Files\\Tolmar Technology\\Common") < 0) {
        std::fprintf(stderr, "registry_timing: cannot create %s\n", kKey);
        return 1;
    }
    const int iterations = 2000;
    double openRead = MicrosecondsPerOperation(iterations, [](int) {
        CQorRegistry reader;
        CQorString value;
        return reader.Open(kKey, KEY_READ) >= 0 && reader.GetValue("Path", value) >= 0 && reader.Close() >= 0;
    });
    double write = MicrosecondsPerOperation(iterations, [&key](int i) { return key.SetValue("Counter", i) >= 0; });
    key.RecurseDeleteKey(kKey);
    if (openRead < 0 || write < 0) {
        std::fprintf(stderr, "registry_timing: an operation failed\n");
        return 1;
    }
    std::printf("%-28s %12s\n", "operation", "us/op");
    std::printf("%-28s %12.2f\n", "open + read value + close", openRead);
    std::printf("%-28s %12.2f\n", "write DWORD value", write);
    return 0;
}
