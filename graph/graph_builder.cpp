#include "graph_builder.h"

#include "bar_chart_view.h"
#include "day_block.h"
#include "day_key.h"
#include "ledger.h"
#include "other_computers.h"
#include "switch_log.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <limits>

bool GraphMenuMarks::operator==(const GraphMenuMarks &o) const
{
    return Today1 == o.Today1 && Value1 == o.Value1 && Percentage1 == o.Percentage1 && Total1 == o.Total1
        && Value2 == o.Value2 && Percentage2 == o.Percentage2 && ChooseDate1 == o.ChooseDate1
        && ChooseRange1 == o.ChooseRange1;
}

namespace {

GraphMenuMarks marksForLiveView(int mode)
{
    GraphMenuMarks marks;
    marks.Today1 = mode == 1 || mode == 2;
    marks.Value1 = mode == 1;
    marks.Percentage1 = mode == 2;
    marks.Total1 = mode == 3 || mode == 4;
    marks.Value2 = mode == 3;
    marks.Percentage2 = mode == 4;
    marks.ChooseDate1 = false;
    return marks;
}

bool isPercentView(int mode)
{
    return mode == 2 || mode == 4 || mode == 6 || mode == 8;
}

qint32 clampedToBar(qint64 minutes)
{
    return qint32(std::clamp<qint64>(minutes, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace

GraphBuilder::GraphBuilder(Ledger &ledger, BarChartView &chart, QObject *parent)
    : QObject(parent), ledger_(ledger), chart_(chart)
{
    connect(&ledger_, &Ledger::saved, this, [this] {
        if (!showsFixedView())
            DrawGraph();
    });
    connect(&ledger_, &Ledger::dayCorrected, this, &GraphBuilder::RedrawCorrectedDay);
    connect(&ledger_, &Ledger::itemsReloaded, this, [this] { ResizeBars(ledger_.state().ItemCount); });
}

void GraphBuilder::ResizeBars(int count)
{
    BarCount = count;
    BarValues.resize(count);
    BarLabels.resize(count);
}

void GraphBuilder::SetMarks(const GraphMenuMarks &marks)
{
    Marks = marks;
    emit marksChanged();
}

void GraphBuilder::ShowLiveView(int mode)
{
    GraphMode = mode;
    ResizeBars(ledger_.state().ItemCount);
    SetMarks(marksForLiveView(mode));
    ledger_.SaveAll(); // draws the view when the files are written
}

// This computer's items in item order, so that bar i stays radio button i,
// then the other computers' items that it does not have.
void GraphBuilder::fillFromItems(const QVector<qint32> &minutes, bool asShares, const ItemSums &others)
{
    const int items = ledger_.state().ItemCount;
    QVector<qint32> values = minutes.mid(0, items);
    QStringList labels = ledger_.state().ItemTable.Names.mid(0, items);
    values.resize(items);
    labels.resize(items);
    for (int i = 0; i < others.names.size(); ++i) {
        const QString &name = others.names.at(i);
        const qsizetype at = labels.indexOf(name);
        if (at >= 0) {
            values[at] = clampedToBar(qint64(values.at(at)) + others.minutes.at(i));
        } else {
            labels << name;
            values << clampedToBar(others.minutes.at(i));
        }
    }
    ResizeBars(int(values.size()));
    BarValues = asShares ? Shares(values) : values;
    BarLabels = labels;
}

void GraphBuilder::DrawGraph()
{
    chart_.Series1.ClearBars();
    const ItemTableData &table = ledger_.state().ItemTable;
    const QString todayTitle
        = QStringLiteral("Today: ") + ledger_.locale().formatShortDate(ledger_.now().date());
    switch (GraphMode) {
    case 1:
    case 2:
        ChartTitleText = todayTitle;
        fillFromItems(table.TodayMinutes, GraphMode == 2,
                      countedOthers() ? countedOthers()->todayMinutes(ledger_.state().TodayJulian) : ItemSums());
        break;
    case 3:
    case 4:
        ChartTitleText = QStringLiteral("Total Time Allocation");
        fillFromItems(table.TotalMinutes, GraphMode == 4,
                      countedOthers() ? countedOthers()->totalMinutes() : ItemSums());
        break;
    case 6:
    case 8:
        BarValues = Shares(BarValues);
        break;
    default: // 5, 7 and 9: the minutes as the date or range dialog left them
        break;
    }
    const bool percent = isPercentView(GraphMode);
    chart_.Series1.setMarksStyle(percent ? MarksStyle::smsPercent : MarksStyle::smsValue);
    chart_.setLeftAxisTitle(percent ? QStringLiteral("Percentage") : QStringLiteral("Minutes"));
    chart_.setTitleLines({titleWithComputers()});
    const int computers = ComputersCounted();
    chart_.setAccessibleDescriptionNote(computers > 1 ? QStringLiteral("%1 computers counted").arg(computers)
                                                      : QString());
    // Days read upward whatever their number: side by side, their long
    // labels would hide each other.
    chart_.setBottomLabelsAngle(BarCount >= 6 || GraphMode == 9 ? 90 : 0);
    // A day's label is long (date and switches): at the size for a few bars
    // it would take half the chart's height.
    constexpr int dayLabelPoints = 6;
    chart_.setBottomLabelsFontSize(GraphMode == 9 ? dayLabelPoints : LabelFontSize(BarCount));
    for (int i = 0; i < BarCount; ++i)
        chart_.Series1.AppendBar(double(BarValues.at(i)), BarLabels.at(i), DefaultBarColor);
    // A long Days view's window, scrolled or not, belongs to its days; a
    // zoom of any other view survives the redraw.
    if (chart_.homeScales())
        chart_.setHomeScales(std::nullopt);
    if (GraphMode == 9)
        scrollDaysToEnd();
}

void GraphBuilder::RedrawCorrectedDay(QDate date)
{
    if (!showsFixedView() || !ShownRange.contains(date))
        return;
    const LocaleValues &locale = ledger_.locale();
    if (showsChosenDay()) {
        // A correction changes minutes only, so the day's lines are the ones shown.
        const DayLines day = FindDayLines(ledger_.historyBytes(), JulianAtMidnight(date), locale);
        for (int q = 0; q < ShownDay.minutes.size() && q < day.block.size(); ++q) {
            bool ok = false;
            const qint32 minutes = TryStrToInt(day.block.at(q).section(QLatin1Char(':'), 2, 2), &ok);
            if (ok)
                ShownDay.minutes[q] = minutes;
        }
        chartDay();
    } else {
        SetRangeView(ReadRange(ShownRange), GraphMode);
    }
    DrawGraph();
}

void GraphBuilder::SetRangeView(const HistoryRange &range, int mode)
{
    GraphMode = mode;
    ShownRange = range.range;
    const bool perDay = mode == 9;
    ResizeBars(int(perDay ? range.days.size() : range.names.size()));
    for (int i = 0; i < BarCount; ++i) {
        BarValues[i] = clampedToBar(perDay ? range.days.at(i).minutes : range.itemMinutes.at(i));
        BarLabels[i] = perDay ? dayLabel(range.days.at(i)) : range.names.at(i);
    }
    ChartTitleText = rangeTitle(range);
    GraphMenuMarks marks;
    marks.Today1 = marks.Value1 = false;
    marks.ChooseRange1 = true;
    SetMarks(marks);
}

QString GraphBuilder::rangeTitle(const HistoryRange &range) const
{
    return RangeText(range.range, ledger_.locale()) + QStringLiteral("   Switches : ") + QString::number(range.switches);
}

// The switch count stands in the day's label, under its bar: the mark above
// the bar keeps the minutes, and a second series would need a second scale,
// switches being tens where minutes are hundreds.
QString GraphBuilder::dayLabel(const RangeDay &day) const
{
    // "ddd d MMM" from the names, which formatting through QLocale for each
    // of a range's thousands of days would take longest of all the drawing.
    const QLocale &locale = ledger_.locale().locale;
    const QString date = locale.dayName(day.date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ')
        + QString::number(day.date.day()) + QLatin1Char(' ') + locale.monthName(day.date.month(), QLocale::ShortFormat);
    if (!day.hasData)
        return date;
    return date + QStringLiteral(" \u00b7 ") + QString::number(day.switches)
        + (day.switches == 1 ? QStringLiteral(" switch") : QStringLiteral(" switches"));
}

// When the range has more days than fit, shows the days that fit ending
// with today, or with the range's last day when today lies beyond it, at
// the heights of the whole range, so that scrolling keeps the scale. The
// user scrolls as in a zoomed chart, and undoing a zoom comes back here.
void GraphBuilder::scrollDaysToEnd()
{
    const int days = std::max(FewestDaysInView, chart_.barsWhoseMarksFit(chart_.rect()));
    if (BarCount <= days)
        return;
    chart_.setFixedScales(std::nullopt); // the whole range's heights, not a zoom of the view before
    const ChartScales whole = chart_.scalesFor(chart_.rect());
    const qint64 today = ShownRange.first.daysTo(ledger_.now().date());
    const double last = double(std::clamp<qint64>(today, days - 1, BarCount - 1));
    chart_.setHomeScales(ChartScales{{last - days + 0.5, last + 0.5}, whole.left});
}

QVector<qint32> GraphBuilder::Shares(const QVector<qint32> &values)
{
    double sum = 0.000001;
    qint64 exactSum = 0;
    for (qint32 v : values) {
        sum += v;
        exactSum += v;
    }
    QVector<qint32> shares(values.size(), 0);
    const bool allZero = std::all_of(values.begin(), values.end(), [](qint32 v) { return v == 0; });
    if (exactSum <= 0 && !allZero)
        return shares;
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    for (int i = 0; i < values.size(); ++i) {
        const double share = std::nearbyint(double(values.at(i)) * 100.0 / sum);
        shares[i] = qint32(std::clamp(share, lowest, highest));
    }
    return shares;
}

int GraphBuilder::LabelFontSize(int barCount)
{
    if (barCount >= 40)
        return 4;
    if (barCount >= 30)
        return 5;
    if (barCount >= 20)
        return 6;
    return 8;
}

void GraphBuilder::setOtherComputers(OtherComputers *others)
{
    if (others_)
        disconnect(others_, nullptr, this, nullptr);
    others_ = others;
    if (!others_)
        return;
    connect(others_, &OtherComputers::changed, this, [this] {
        if (!showsFixedView() && !thisComputerOnly_)
            DrawGraph();
    });
}

void GraphBuilder::setThisComputerOnly(bool only)
{
    thisComputerOnly_ = only;
    if (showsRange())
        SetRangeView(ReadRange(ShownRange), GraphMode);
    else if (showsChosenDay())
        chartDay();
    DrawGraph();
}

const OtherComputers *GraphBuilder::countedOthers() const
{
    return thisComputerOnly_ ? nullptr : others_;
}

int GraphBuilder::ComputersCounted() const
{
    return 1 + (countedOthers() ? countedOthers()->count() : 0);
}

QString GraphBuilder::titleWithComputers() const
{
    const int computers = ComputersCounted();
    return computers > 1 ? ChartTitleText + QStringLiteral("   (%1 computers)").arg(computers) : ChartTitleText;
}

HistoryRange GraphBuilder::ReadRange(const DayRange &range) const
{
    // The history as the ledger holds it, with the last block, which holds
    // today's minutes as of now. Its earlier bytes are read from the file
    // while it is as the ledger last saw it, never through the mapping,
    // which a program writing the file in place could cut short. The switch
    // log as the ledger holds it too, with today's switches as of now.
    // The others' are read meanwhile, on threads of their own.
    std::future<HistoryRange> others;
    if (const OtherComputers *counted = countedOthers())
        others = std::async(std::launch::async, [counted, range] { return counted->ReadRange(range); });
    HistoryRange sum
        = ReadHistoryRange(range, {ledger_.historyBytes()}, SwitchLinesThroughToday(ledger_.state()), ledger_.locale());
    if (others.valid())
        AddRange(sum, others.get());
    return sum;
}

void GraphBuilder::SetDayView(const GraphViewState::ChosenDay &day)
{
    ShownDay = day;
    ShownRange = {day.date, day.date};
    if (!showsChosenDay())
        GraphMode = 5;
    chartDay();
    GraphMenuMarks marks;
    marks.Today1 = marks.Value1 = false;
    marks.ChooseDate1 = true;
    SetMarks(marks);
}

void GraphBuilder::chartDay()
{
    QVector<qint32> values = ShownDay.minutes;
    QStringList labels = ShownDay.labels;
    QString switchText = ShownDay.switchText;
    if (countedOthers()) {
        const OthersDay others = countedOthers()->ReadDay(ShownDay.date);
        for (int i = 0; i < others.items.names.size(); ++i) {
            const qsizetype at = labels.indexOf(others.items.names.at(i));
            if (at >= 0) {
                values[at] = clampedToBar(qint64(values.at(at)) + others.items.minutes.at(i));
            } else {
                labels << others.items.names.at(i);
                values << clampedToBar(others.items.minutes.at(i));
            }
        }
        if (others.lineCount > 0 || ShownDay.switches)
            switchText = QStringLiteral("Switches : ") + QString::number(ShownDay.switches.value_or(0) + others.switches);
    }
    ResizeBars(int(values.size()));
    BarValues = values;
    BarLabels = labels;
    ChartTitleText = ShownDay.title + QStringLiteral("   ") + switchText;
}

GraphViewState GraphBuilder::viewState() const
{
    return *this;
}

void GraphBuilder::restoreViewState(const GraphViewState &state)
{
    static_cast<GraphViewState &>(*this) = state;
    emit marksChanged();
    if (!showsFixedView()) {
        ResizeBars(ledger_.state().ItemCount);
        DrawGraph();
    }
}
