// Redrawing the chart of 40 items with long names: DrawGraph fills the
// series, RenderChart draws it into a bitmap of the widget's size; beside it
// the layout alone. And a range of a 30-year history charted as the range
// dialog's OK does it: summed from the ledger's history (and two other
// computers' of the same length in a shared folder), drawn and rendered.

#include "bar_chart_view.h"
#include "day_key.h"
#include "generated_folder.h"
#include "graph_builder.h"
#include "history_range.h"
#include "ledger.h"
#include "line_file.h"
#include "other_computers.h"
#include "switch_log.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kItems = 40;
const QDate kToday(2026, 12, 8);
const QRect kBounds(0, 0, 416, 281);

struct ChartOfFortyItems {
    QTemporaryDir dir;
    std::unique_ptr<Ledger> ledger;
    BarChartView chart;
    std::unique_ptr<GraphBuilder> graph;

    ChartOfFortyItems()
    {
        const LocaleValues locale;
        const QString key = FloatToStr(JulianAtMidnight(kToday), locale);
        QStringList data;
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("%1:Customer project with a long name number %2:%3:").arg(key).arg(i).arg(i * 17 % 480);
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("T:Customer project with a long name number %1:%2:").arg(i).arg(400000 + i);
        WriteLineFile(dir.filePath(Ledger::DataFileName), data);
        ledger = std::make_unique<Ledger>(dir.path(), [] { return QDateTime(kToday, QTime(10, 0)); }, locale);
        graph = std::make_unique<GraphBuilder>(*ledger, chart);
        ledger->StartupLoad();
        chart.resize(kBounds.size());
    }
};

ChartOfFortyItems &fixture()
{
    static ChartOfFortyItems chart;
    return chart;
}

void BM_DrawAndRender(benchmark::State &state)
{
    ChartOfFortyItems &f = fixture();
    QImage image(kBounds.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        f.graph->DrawGraph();
        QPainter painter(&image);
        f.chart.RenderChart(painter, kBounds);
    }
    state.counters["bars"] = double(f.chart.Series1.count());
}

void BM_LayoutOnly(benchmark::State &state)
{
    ChartOfFortyItems &f = fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.chart.layoutFor(kBounds).bottom.labels.size());
}

// Two other computers with this one's 30 years, in a shared folder.
OtherComputers &twoOtherComputers(const QString &history)
{
    static QTemporaryDir shared;
    static const bool copied = [&] {
        for (const QString &computer : {QStringLiteral("laptop-1"), QStringLiteral("desk-2")}) {
            QDir(shared.path()).mkpath(computer);
            for (const QString &file : {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName})
                QFile::copy(QDir(history).filePath(file), QDir(shared.filePath(computer)).filePath(file));
        }
        return true;
    }();
    Q_UNUSED(copied);
    static OtherComputers others(shared.path(), QStringLiteral("this-0"), LocaleValues());
    return others;
}

// Range charting from OK to the picture: the sums over the history as the
// ledger holds it (the file's earlier bytes mapped, as after the start), and
// the other computers' files read then, the bar state, DrawGraph and one
// rendering. Arguments: the range's days, ending today, the view (7 per
// item, 9 per day) and the computers counted (1 or 3).
void BM_RangeChart(benchmark::State &state)
{
    const int days = int(state.range(0));
    const int view = int(state.range(1));
    const bool threeComputers = state.range(2) == 3;
    static const bench::GeneratedFolder &folder = bench::folder(3 * bench::kTenYears + 8);
    static Ledger ledger = folder.ledger();
    static const bool loaded = (ledger.StartupLoad(), true);
    Q_UNUSED(loaded);
    QImage image(kBounds.size(), QImage::Format_ARGB32_Premultiplied);
    const DayRange range{kToday.addDays(1 - days), kToday};
    int bars = 0;
    for (auto _ : state) {
        // A new chart each time, which has measured none of the labels yet.
        state.PauseTiming();
        BarChartView chart;
        chart.resize(kBounds.size());
        GraphBuilder graph(ledger, chart);
        if (threeComputers)
            graph.setOtherComputers(&twoOtherComputers(folder.dir.path()));
        state.ResumeTiming();
        graph.SetRangeView(graph.ReadRange(range), view);
        graph.DrawGraph();
        QPainter painter(&image);
        chart.RenderChart(painter, kBounds);
        bars = chart.Series1.count();
    }
    state.counters["bars"] = bars;
}

} // namespace

BENCHMARK(BM_RangeChart)
    ->ArgsProduct({{7, 31, 366, 3 * bench::kTenYears + 8}, {7, 9}, {1, 3}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawAndRender)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutOnly)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
