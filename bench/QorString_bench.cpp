// QorString_bench.cpp: CQorString against std::string and snprintf doing the same work in the same
// run: copy, assignment, the whole text as a sub-string, sub-string search, and formatting.
// Each pair has the same text and the same arguments; compare the pair's times.
#include "QorString.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// 64 characters: beyond std::string's inline buffer, so both sides hold heap text.
const char kText[] = "The quick brown fox jumps over the lazy dog, then naps a little.";

std::string SearchText()
{
    std::string text;
    for (int i = 0; i < 16; ++i)
        text += kText;
    return text + "needle";
}

void QorStringCopy(benchmark::State &state)
{
    CQorString source(kText);
    for (auto _ : state) {
        CQorString copy(source);
        benchmark::DoNotOptimize(copy.GetString());
    }
}
BENCHMARK(QorStringCopy);

void StdStringCopy(benchmark::State &state)
{
    std::string source(kText);
    for (auto _ : state) {
        std::string copy(source);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(StdStringCopy);

// Alternating between two sources, so that every assignment replaces a text.
void QorStringAssign(benchmark::State &state)
{
    const CQorString sources[2] = {CQorString(kText), CQorString(kText + 1)};
    CQorString target;
    size_t next = 0;
    for (auto _ : state) {
        target = sources[next ^= 1];
        benchmark::DoNotOptimize(target.GetString());
    }
}
BENCHMARK(QorStringAssign);

void StdStringAssign(benchmark::State &state)
{
    const std::string sources[2] = {std::string(kText), std::string(kText + 1)};
    std::string target;
    size_t next = 0;
    for (auto _ : state) {
        target = sources[next ^= 1];
        benchmark::DoNotOptimize(target.data());
    }
}
BENCHMARK(StdStringAssign);

void QorStringMidWhole(benchmark::State &state)
{
    CQorString source(kText);
    for (auto _ : state) {
        CQorString whole = source.Mid(0, -1);
        benchmark::DoNotOptimize(whole.GetString());
    }
}
BENCHMARK(QorStringMidWhole);

void StdStringSubstrWhole(benchmark::State &state)
{
    std::string source(kText);
    for (auto _ : state) {
        std::string whole = source.substr(0);
        benchmark::DoNotOptimize(whole.data());
    }
}
BENCHMARK(StdStringSubstrWhole);

void QorStringFind(benchmark::State &state)
{
    CQorString text(SearchText().c_str());
    for (auto _ : state)
        benchmark::DoNotOptimize(text.Find("needle"));
}
BENCHMARK(QorStringFind);

void StdStringFind(benchmark::State &state)
{
    std::string text = SearchText();
    for (auto _ : state)
        benchmark::DoNotOptimize(text.find("needle"));
}
BENCHMARK(StdStringFind);

void QorStringFormat(benchmark::State &state)
{
    CQorString text;
    for (auto _ : state) {
        text.Format("%s #%d at %5.2f%%", "item", 42, 3.14159);
        benchmark::DoNotOptimize(text.GetString());
    }
}
BENCHMARK(QorStringFormat);

void Snprintf(benchmark::State &state)
{
    char buffer[512];
    for (auto _ : state) {
        snprintf(buffer, sizeof buffer, "%s #%d at %5.2f%%", "item", 42, 3.14159);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(Snprintf);

} // namespace
