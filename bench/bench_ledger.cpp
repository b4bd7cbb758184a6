// Start-up load and SaveAll on ten years of history for 40 items, beside the
// floor: writing the same bytes with a bare QSaveFile.

#include "day_key.h"
#include "ledger.h"
#include "line_file.h"

#include <QSaveFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kItems = 40;
constexpr int kDays = 3650;
const QDate kToday(2026, 12, 8);

struct GeneratedFolder {
    QTemporaryDir dir;

    GeneratedFolder()
    {
        const LocaleValues locale;
        QStringList data, history{"0:"}, switches;
        for (int day = kDays - 1; day >= 0; --day) {
            const QString key = FloatToStr(JulianAtMidnight(kToday.addDays(-day)), locale);
            for (int i = 0; i < kItems; ++i)
                history << QStringLiteral("%1:Project_number_%2:%3:").arg(key).arg(i).arg((day * 7 + i) % 480);
            switches << key << QString::number(day % 60);
        }
        const QString key = FloatToStr(JulianAtMidnight(kToday), locale);
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("%1:Project_number_%2:%3:").arg(key).arg(i).arg(i % 480);
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("T:Project_number_%1:%2:").arg(i).arg(400000 + i);
        WriteLineFile(dir.filePath(Ledger::DataFileName), data);
        WriteLineFile(dir.filePath(Ledger::HistoryFileName), history);
        WriteLineFile(dir.filePath(Ledger::SwitchFileName), switches);
    }

    Ledger ledger() const
    {
        return Ledger(dir.path(), [] { return QDateTime(kToday, QTime(10, 0)); }, LocaleValues());
    }
};

GeneratedFolder &folder()
{
    static GeneratedFolder generated;
    return generated;
}

void BM_StartupLoad(benchmark::State &state)
{
    for (auto _ : state) {
        Ledger ledger = folder().ledger();
        ledger.StartupLoad();
        benchmark::DoNotOptimize(ledger.state().HistoryLines.size());
    }
}

void BM_SaveAll(benchmark::State &state)
{
    Ledger ledger = folder().ledger();
    ledger.StartupLoad();
    for (auto _ : state)
        ledger.SaveAll();
    state.counters["history_lines"] = double(ledger.state().HistoryLines.size());
}

// The floor: the bytes SaveAll writes, written by three bare QSaveFiles.
void BM_SaveFloor(benchmark::State &state)
{
    Ledger ledger = folder().ledger();
    ledger.StartupLoad();
    const QByteArray files[] = {EncodeLines(ledger.state().DataLines), ledger.historyBytes(),
                                EncodeLines(ledger.state().SwitchLines)};
    const QString names[] = {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName};
    for (auto _ : state) {
        for (int f = 0; f < 3; ++f) {
            QSaveFile file(folder().dir.filePath(names[f]));
            if (!file.open(QIODevice::WriteOnly) || file.write(files[f]) != files[f].size() || !file.commit())
                state.SkipWithError("write failed");
        }
    }
}

} // namespace

BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
