// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a large card list into the card choice, as start-up and every
// update do.
#include "support/ScriptedPlatform.h"
#include "ui/frmEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace useropts;

static void LoadCardList(benchmark::State& state)
{
    const int lines = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    QFile file(dir.filePath("CardData.txt"));
    if (!file.open(QIODevice::WriteOnly))
        state.SkipWithError("cannot write the card list");
    for (int i = 0; i < lines; ++i) {
        file.write(
            QStringLiteral("NIC%1").arg(i, 5, 10, QLatin1Char('0')).leftJustified(18).toLatin1() +
            "Generic network card model " + QByteArray::number(i) + "\r\n");
    }
    file.close();

    testing::ScriptedPlatform platform;
    frmEditor window(platform);
    window.setCardDirectory(dir.path());
    auto* cards = window.findChild<QComboBox*>(QStringLiteral("cboNIC"));
    for (auto _ : state) {
        window.ReadCardData();
        benchmark::DoNotOptimize(cards->count());
    }
    if (cards->count() != lines)
        state.SkipWithError("the card choice does not hold every line");
}
BENCHMARK(LoadCardList)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
