// The ledger's hot paths on 40 items with 0, 1, 10 and 30 years of history:
// the start-up load, the minute tick, SaveAll beside its floor (writing the
// same bytes with a bare QSaveFile) and the date view's lookup of one day.

#include "day_block.h"
#include "generated_folder.h"
#include "day_key.h"
#include "ledger.h"
#include "line_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include <benchmark/benchmark.h>


#include <sys/resource.h>

namespace {

using bench::folder;
using bench::GeneratedFolder;
using bench::kItems;
using bench::kTenYears;
using bench::kToday;

struct CpuTimes {
    double userMs = 0;
    double systemMs = 0;
};

CpuTimes cpuTimes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

void reportHistorySize(benchmark::State &state, int days)
{
    state.counters["history_MB"] = double(QFileInfo(folder(days).dir.filePath(Ledger::HistoryFileName)).size()) / 1e6;
}

void BM_StartupLoad(benchmark::State &state)
{
    const int days = int(state.range(0));
    folder(days);
    for (auto _ : state) {
        Ledger ledger = folder(days).ledger();
        ledger.StartupLoad();
        benchmark::DoNotOptimize(ledger.state().HistoryLines.size());
    }
    reportHistorySize(state, days);
}

// One minute credited to a checked item and the three files saved; its CPU
// time is the program's cost per minute while it runs.
void BM_MinuteTick(benchmark::State &state)
{
    const int days = int(state.range(0));
    Ledger ledger = folder(days).ledger();
    ledger.StartupLoad();
    ledger.SelectItem(0);
    const CpuTimes before = cpuTimes();
    for (auto _ : state)
        ledger.MinuteTick();
    const CpuTimes after = cpuTimes();
    // The program's own work apart from the system's copying of the bytes into the files.
    state.counters["user_ms"] = benchmark::Counter((after.userMs - before.userMs), benchmark::Counter::kAvgIterations);
    state.counters["system_ms"] = benchmark::Counter((after.systemMs - before.systemMs), benchmark::Counter::kAvgIterations);
    reportHistorySize(state, days);
}

void BM_SaveAll(benchmark::State &state)
{
    Ledger ledger = folder().ledger();
    ledger.StartupLoad();
    for (auto _ : state)
        ledger.SaveAll();
}

// The floor: the bytes SaveAll writes, written by three bare QSaveFiles.
void BM_SaveFloor(benchmark::State &state)
{
    Ledger ledger = folder().ledger();
    ledger.StartupLoad();
    const QByteArray files[] = {EncodeLines(ledger.state().DataLines), ledger.historyBytes(),
                                ledger.state().SwitchEarlier + EncodeLines(ledger.state().SwitchLines)};
    const QString names[] = {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName};
    for (auto _ : state) {
        for (int f = 0; f < 3; ++f) {
            QSaveFile file(folder().dir.filePath(names[f]));
            if (!file.open(QIODevice::WriteOnly) || file.write(files[f]) != files[f].size() || !file.commit())
                state.SkipWithError("write failed");
        }
    }
}

// The date view at OK: read the history and find a day in its middle.
void BM_DayLookup(benchmark::State &state)
{
    const int days = int(state.range(0));
    const QString path = folder(days).dir.filePath(Ledger::HistoryFileName);
    const double day = JulianAtMidnight(kToday.addDays(-days / 2));
    for (auto _ : state) {
        const DayLines found = FindDayLines(ReadFileBytes(path), day, LocaleValues());
        if (found.count != kItems)
            state.SkipWithError("the day's block was not found");
    }
    reportHistorySize(state, days);
}

} // namespace

// 0, 1, 10 and 30 years before today.
#define HISTORY_YEARS Arg(1)->Arg(366)->Arg(kTenYears)->Arg(3 * kTenYears + 8)
BENCHMARK(BM_StartupLoad)->HISTORY_YEARS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MinuteTick)->HISTORY_YEARS->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DayLookup)->Arg(3 * kTenYears + 8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
