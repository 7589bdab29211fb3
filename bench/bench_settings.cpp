// SPDX-License-Identifier: GPL-3.0-or-later
// One read and one write of a whole settings file in memory.
#include "settings/DefaultSettings.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"

#include <benchmark/benchmark.h>

using namespace useropts;

static void ReadWriteCycle(benchmark::State& state)
{
    const QByteArray file = writeSettings(defaultSettings()).value();
    ReadOptions options;
    options.random = [] { return 0.5; };
    for (auto _ : state) {
        EditorFields fields;
        const Result<> read = readSettings(file, fields, options);
        const Result<QByteArray> written = writeSettings(fields);
        benchmark::DoNotOptimize(read);
        benchmark::DoNotOptimize(written.value().data());
    }
}
BENCHMARK(ReadWriteCycle)->Unit(benchmark::kMicrosecond);

static void ReadOnly(benchmark::State& state)
{
    const QByteArray file = writeSettings(defaultSettings()).value();
    ReadOptions options;
    options.random = [] { return 0.5; };
    for (auto _ : state) {
        EditorFields fields;
        benchmark::DoNotOptimize(readSettings(file, fields, options).ok());
    }
}
BENCHMARK(ReadOnly)->Unit(benchmark::kMicrosecond);

static void WriteOnly(benchmark::State& state)
{
    const EditorFields fields = defaultSettings();
    for (auto _ : state)
        benchmark::DoNotOptimize(writeSettings(fields).value().data());
}
BENCHMARK(WriteOnly)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
