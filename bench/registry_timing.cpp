// registry_timing.cpp: the registry's cost per operation, timed by hand so the same program runs
// natively (our store) and under Wine (its registry is the peer): open + read + close of one value
// through CQorRegistry, and one DWORD write on an open key through RegSetValueExA and through
// CQorRegistry::SetValue. Fixed iteration counts; prints µs per operation.
#include "QorRegistry.h"

#include <chrono>
#include <cstdio>
#include <cstring>

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
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey + std::strlen("HKEY_CURRENT_USER\\"), 0, KEY_ALL_ACCESS, &raw) != 0)
        return 1;
    double rawWrite = MicrosecondsPerOperation(iterations, [raw](int i) {
        DWORD value = static_cast<DWORD>(i);
        return RegSetValueExA(raw, "Raw", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value) == 0;
    });
    RegCloseKey(raw);
    double write = MicrosecondsPerOperation(iterations, [&key](int i) { return key.SetValue("Counter", i) >= 0; });
    key.RecurseDeleteKey(kKey);
    if (openRead < 0 || write < 0 || rawWrite < 0) {
        std::fprintf(stderr, "registry_timing: an operation failed\n");
        return 1;
    }
    std::printf("%-30s %12s\n", "operation", "us/op");
    std::printf("%-30s %12.2f\n", "open + read value + close", openRead);
    std::printf("%-30s %12.2f\n", "RegSetValueExA DWORD", rawWrite);
    std::printf("%-30s %12.2f\n", "CQorRegistry::SetValue DWORD", write);
    return 0;
}
