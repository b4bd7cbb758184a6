// The ledger's hot paths on 40 items with 0, 1, 10 and 30 years of history:
// the start-up load, the minute tick, SaveAll beside the three files written
// whole by bare QSaveFiles, and the date view's lookup of one day.

#include "day_block.h"
#include "generated_folder.h"
#include "day_key.h"
#include "ledger.h"
#include "line_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

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

// The bytes this process has handed to write() and pwrite() so far: "wchar"
// in /proc/self/io, or -1 without it. Not "write_bytes", which counts whole
// pages as they are dirtied and so depends on the page size and on when the
// kernel last wrote them back: wchar is exactly what the ledger asks to be
// written, and what /proc/PID/io shows of the running program.
double bytesWritten()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    double value = 0;
    while (io >> key >> value) {
        if (key == "wchar:")
            return value;
    }
    return -1;
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
// time and bytes written are the program's cost per minute while it runs.
// The folder's clock stands at 10:00, so no tick starts a new day; the
// first tick after the selection, which also writes its switch count, is
// left out: the ticks measured are those of an item checked all along.
void BM_MinuteTick(benchmark::State &state)
{
    const int days = int(state.range(0));
    Ledger ledger = folder(days).ledger();
    ledger.StartupLoad();
    ledger.SelectItem(0);
    ledger.MinuteTick();
    const double writtenBefore = bytesWritten();
    const CpuTimes before = cpuTimes();
    for (auto _ : state)
        ledger.MinuteTick();
    const CpuTimes after = cpuTimes();
    const double writtenAfter = bytesWritten();
    if (writtenBefore < 0 || writtenAfter < 0)
        state.SkipWithError("/proc/self/io has no wchar");
    const auto perTick = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["written_KiB"] = perTick((writtenAfter - writtenBefore) / 1024);
    // The program's own work apart from the system's copying of the bytes into the files.
    state.counters["user_ms"] = perTick(after.userMs - before.userMs);
    state.counters["system_ms"] = perTick(after.systemMs - before.systemMs);
    reportHistorySize(state, days);
}

void BM_SaveAll(benchmark::State &state)
{
    Ledger ledger = folder().ledger();
    ledger.StartupLoad();
    for (auto _ : state)
        ledger.SaveAll();
}

// The floor of a save that replaces the three files whole: their bytes
// written by three bare QSaveFiles.
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
