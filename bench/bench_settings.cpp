// One read and one write of a whole settings file in memory.
#include "settings/DefaultSettings.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

#include <benchmark/benchmark.h>

using namespace useropts;

static void ReadWriteCycle(benchmark::State& state)
{
    const QByteArray file = writeSettings(defaultSettings()).bytes;
    ReadOptions options;
    options.random = [] { return 0.5; };
    for (auto _ : state) {
        EditorFields fields;
        const ReadOutcome read = readSettings(file, fields, options);
        const WriteOutcome written = writeSettings(fields);
        benchmark::DoNotOptimize(read);
        benchmark::DoNotOptimize(written.bytes.data());
    }
}
BENCHMARK(ReadWriteCycle)->Unit(benchmark::kMicrosecond);

static void ReadOnly(benchmark::State& state)
{
    const QByteArray file = writeSettings(defaultSettings()).bytes;
    ReadOptions options;
    options.random = [] { return 0.5; };
    for (auto _ : state) {
        EditorFields fields;
        benchmark::DoNotOptimize(readSettings(file, fields, options));
    }
}
BENCHMARK(ReadOnly)->Unit(benchmark::kMicrosecond);

static void WriteOnly(benchmark::State& state)
{
    const EditorFields fields = defaultSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(writeSettings(fields).bytes.data());
}
BENCHMARK(WriteOnly)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
