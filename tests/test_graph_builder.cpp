// The graph builder driven by a real ledger onto a real chart widget.

#include "bar_chart_view.h"
#include "graph_builder.h"
#include "history_export.h"
#include "history_range.h"
#include "ledger_fixture.h"
#include "other_computers.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

Q_DECLARE_METATYPE(DayRange)

namespace {

struct Item {
    QString name;
    qint32 today = 0;
    qint32 total = 0;
};

struct GraphFixture {
    LedgerFixture files;
    BarChartView chart;
    std::unique_ptr<GraphBuilder> graph;

    // Writes a data file with the items and runs the start-up load, which
    // draws view 1. No items gives a data file of a single line.
    GraphBuilder &start(const QVector<Item> &items)
    {
        QStringList lines;
        for (const Item &item : items)
            lines << QStringLiteral("%1:%2:%3:").arg(files.today(), item.name).arg(item.today);
        for (const Item &item : items)
            lines << QStringLiteral("T:%1:%2:").arg(item.name).arg(item.total);
        if (items.isEmpty())
            lines << files.today() + QLatin1Char(':');
        files.writeLines(Ledger::DataFileName, lines);
        graph = std::make_unique<GraphBuilder>(files.make(), chart);
        files.ledger->StartupLoad();
        return *graph;
    }

    QVector<double> bars() const { return chart.Series1.values(); }
    QStringList marks() const
    {
        QStringList texts;
        for (const MarkBox &mark : chart.layoutFor(QRect(0, 0, 416, 281)).marks)
            texts << mark.text;
        return texts;
    }
};

QVector<Item> itemsWithToday(const QVector<qint32> &minutes)
{
    QVector<Item> items;
    for (int i = 0; i < minutes.size(); ++i)
        items << Item{QStringLiteral("Item %1").arg(i), minutes.at(i), minutes.at(i) + 100};
    return items;
}

const QString kToday = QStringLiteral("Today: 08/12/2026");

QString keyOf(QDate date)
{
    return FloatToStr(JulianAtMidnight(date), LocaleValues());
}

// History lines "key:name:minutes:" for the days, each "name minutes" pairs.
QStringList historyOf(const QVector<std::pair<QDate, QStringList>> &days)
{
    QStringList lines;
    for (const auto &[date, items] : days)
        for (const QString &item : items)
            lines << keyOf(date) + QLatin1Char(':') + item.section(QLatin1Char(' '), 0, 0) + QLatin1Char(':')
                    + item.section(QLatin1Char(' '), 1, 1) + QLatin1Char(':');
    return lines;
}

// Across a month's end, a year's end and with 2 Dec 2025 missing; C first
// appears in December. 3 Dec has a damaged line (line 7 of the file).
const QStringList kRangeHistory = historyOf({{QDate(2025, 11, 29), {"A 10", "B 5"}},
                                             {QDate(2025, 11, 30), {"A 20"}},
                                             {QDate(2025, 12, 1), {"A 1", "C 7"}},
                                             {QDate(2025, 12, 3), {"B 4", "A 3x0"}},
                                             {QDate(2025, 12, 31), {"A 100"}},
                                             {QDate(2026, 1, 1), {"C 50", "A 3"}}});
// The last entry of a day counts: 1 Dec has an earlier one. 31 Dec's count
// (line 10) is damaged.
const QStringList kRangeSwitches{keyOf(QDate(2025, 11, 29)), "2",  keyOf(QDate(2025, 12, 1)),  "99",
                                 keyOf(QDate(2025, 11, 30)), "3",  keyOf(QDate(2025, 12, 1)),  "4",
                                 keyOf(QDate(2025, 12, 31)), "6x", keyOf(QDate(2025, 12, 3)),  "5",
                                 keyOf(QDate(2026, 1, 1)),   "7"};

// The history in two parts as the ledger holds it: earlier bytes and last block.
HistoryRange readRange(const DayRange &range)
{
    const QByteArray history = EncodeLines(kRangeHistory);
    const qsizetype split = history.indexOf(keyOf(QDate(2025, 12, 3)).toLatin1());
    return ReadHistoryRange(range, {history.first(split), history.sliced(split)}, kRangeSwitches, LocaleValues());
}

// A shared folder of other computers' subfolders, beside the fixture's own.
struct SharedFolder {
    QTemporaryDir dir;

    void write(const QString &file, const QByteArray &bytes) const
    {
        QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(file)).path()));
        WriteEncodedFile(dir.filePath(file), bytes); // renamed into place, as a sync tool does
    }
    void writeLines(const QString &file, const QStringList &lines) const { write(file, EncodeLines(lines)); }
};

} // namespace

class TestGraphBuilder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans")); }
    void shares_data();
    void shares();
    void percentageView_data();
    void percentageView();
    void labelAngleAndSize_data();
    void labelAngleAndSize();
    void noItemsEmptyTheChart();
    void todayToTotal();
    void chosenDayIsNotRedrawnBySaves();
    void chosenDayInPercentKeepsTheShares();
    void viewCommandsSetTheMenuMarks_data();
    void viewCommandsSetTheMenuMarks();
    void rangeSumsTheHistory_data();
    void rangeSumsTheHistory();
    void rangeViews_data();
    void rangeViews();
    void longDaysViewScrolls();
    void otherComputersAddUp();
    void syncLeftoversAreNeverCounted();
};

void TestGraphBuilder::shares_data()
{
    QTest::addColumn<QVector<qint32>>("values");
    QTest::addColumn<QVector<qint32>>("shares");
    constexpr qint32 kMax = std::numeric_limits<qint32>::max();
    constexpr qint32 kMin = std::numeric_limits<qint32>::min();
    QTest::newRow("half rounds down") << QVector<qint32>{1, 7} << QVector<qint32>{12, 87};
    QTest::newRow("three thirds") << QVector<qint32>{1, 1, 1} << QVector<qint32>{33, 33, 33};
    QTest::newRow("all zero") << QVector<qint32>{0, 0} << QVector<qint32>{0, 0};
    QTest::newRow("single") << QVector<qint32>{45} << QVector<qint32>{100};
    QTest::newRow("none") << QVector<qint32>{} << QVector<qint32>{};
    QTest::newRow("negative raises the others") << QVector<qint32>{-5, 10} << QVector<qint32>{-100, 200};
    QTest::newRow("sum of zero") << QVector<qint32>{-5, 5} << QVector<qint32>{0, 0};
    QTest::newRow("sum below zero") << QVector<qint32>{-7, 5} << QVector<qint32>{0, 0};
    QTest::newRow("minutes times 100 beyond 32 bits") << QVector<qint32>{30000000, 10000000}
                                                     << QVector<qint32>{75, 25};
    QTest::newRow("largest minutes") << QVector<qint32>{kMax, kMax} << QVector<qint32>{50, 50};
    QTest::newRow("shares beyond 32 bits are clamped") << QVector<qint32>{kMax, -kMax, 1}
                                                       << QVector<qint32>{kMax, kMin, 100};
}

void TestGraphBuilder::shares()
{
    QFETCH(QVector<qint32>, values);
    QFETCH(QVector<qint32>, shares);
    QCOMPARE(GraphBuilder::Shares(values), shares);
}

void TestGraphBuilder::percentageView_data()
{
    QTest::addColumn<QVector<qint32>>("minutes");
    QTest::addColumn<QVector<double>>("bars");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("1 and 7") << QVector<qint32>{1, 7} << QVector<double>{12, 87} << QStringList{"12 %", "88 %"};
    QTest::newRow("three of 1") << QVector<qint32>{1, 1, 1} << QVector<double>{33, 33, 33}
                                << QStringList{"33 %", "33 %", "33 %"};
    QTest::newRow("start of a day") << QVector<qint32>{0, 0} << QVector<double>{0, 0}
                                    << QStringList{"100 %", "100 %"};
    QTest::newRow("single item") << QVector<qint32>{45} << QVector<double>{100} << QStringList{"100 %"};
}

void TestGraphBuilder::percentageView()
{
    QFETCH(QVector<qint32>, minutes);
    QFETCH(QVector<double>, bars);
    QFETCH(QStringList, marks);
    GraphFixture f;
    f.start(itemsWithToday(minutes)).Percentage1Click();
    QCOMPARE(f.bars(), bars);
    QCOMPARE(f.chart.Series1.marksStyle(), MarksStyle::smsPercent);
    QCOMPARE(f.chart.leftAxisTitle(), QStringLiteral("Percentage"));
    QCOMPARE(f.chart.titleLines(), QStringList{kToday});
    QCOMPARE(f.marks(), marks);
}

void TestGraphBuilder::labelAngleAndSize_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("size");
    QTest::newRow("5") << 5 << 0 << 8;
    QTest::newRow("6") << 6 << 90 << 8;
    QTest::newRow("19") << 19 << 90 << 8;
    QTest::newRow("20") << 20 << 90 << 6;
    QTest::newRow("29") << 29 << 90 << 6;
    QTest::newRow("30") << 30 << 90 << 5;
    QTest::newRow("39") << 39 << 90 << 5;
    QTest::newRow("40") << 40 << 90 << 4;
}

void TestGraphBuilder::labelAngleAndSize()
{
    QFETCH(int, count);
    QFETCH(int, angle);
    QFETCH(int, size);
    GraphFixture f;
    f.start(itemsWithToday(QVector<qint32>(count, 3)));
    QCOMPARE(f.chart.Series1.count(), count);
    QCOMPARE(f.chart.bottomLabelsAngle(), angle);
    QCOMPARE(f.chart.bottomLabelsFontSize(), size);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(f.chart.Series1.label(i), QStringLiteral("Item %1").arg(i));
        QCOMPARE(f.chart.Series1.color(i), f.chart.Series1.SeriesColor); // none has a colour of its own
    }
}

void TestGraphBuilder::noItemsEmptyTheChart()
{
    GraphFixture f;
    f.chart.Series1.AppendBar(9, QStringLiteral("left over"));
    f.chart.setTitleLines({QStringLiteral("TChart")});
    f.start({});
    QCOMPARE(f.chart.Series1.count(), 0);
    QCOMPARE(f.chart.titleLines(), QStringList{kToday});
    QCOMPARE(f.chart.leftAxisTitle(), QStringLiteral("Minutes"));
    f.graph->Percentage2Click();
    QCOMPARE(f.chart.Series1.count(), 0);
    QCOMPARE(f.chart.leftAxisTitle(), QStringLiteral("Percentage"));
}

void TestGraphBuilder::todayToTotal()
{
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}, {"Code", 30, 1234}});
    QCOMPARE(graph.GraphMode, 1);
    QCOMPARE(f.chart.titleLines(), QStringList{kToday});
    QCOMPARE(f.bars(), (QVector<double>{12, 30}));
    graph.Value2Click();
    QCOMPARE(graph.GraphMode, 3);
    QCOMPARE(f.chart.titleLines(), QStringList{QStringLiteral("Total Time Allocation")});
    QCOMPARE(f.chart.leftAxisTitle(), QStringLiteral("Minutes"));
    QCOMPARE(f.chart.Series1.marksStyle(), MarksStyle::smsValue);
    QCOMPARE(f.bars(), (QVector<double>{340, 1234}));
    QCOMPARE(f.marks(), (QStringList{"340", "1,234"}));
}

void TestGraphBuilder::chosenDayIsNotRedrawnBySaves()
{
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}, {"Code", 30, 1234}});
    // what the date view leaves for a chosen day
    graph.GraphMode = 5;
    graph.ResizeBars(3);
    graph.BarValues = {3, 9, 0};
    graph.BarLabels = QStringList{"Old", "Gone", "Mail"};
    graph.ChartTitleText = QStringLiteral("01/12/2026   4");
    graph.DrawGraph();
    QCOMPARE(f.bars(), (QVector<double>{3, 9, 0}));
    QCOMPARE(f.chart.titleLines(), QStringList{graph.ChartTitleText});

    f.files.ledger->SelectItem(1);
    f.files.ledger->MinuteTick();
    QCOMPARE(f.files.ledger->state().ItemTable.TodayMinutes.at(1), 31); // still counted and saved
    QCOMPARE(f.bars(), (QVector<double>{3, 9, 0}));
    QCOMPARE(f.chart.Series1.label(1), QStringLiteral("Gone"));

    graph.Value1Click();
    QCOMPARE(f.bars(), (QVector<double>{12, 31}));
}

void TestGraphBuilder::chosenDayInPercentKeepsTheShares()
{
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}});
    graph.GraphMode = 6;
    graph.ResizeBars(2);
    graph.BarValues = {10, 30};
    graph.BarLabels = QStringList{"A", "B"};
    graph.DrawGraph();
    QCOMPARE(f.bars(), (QVector<double>{25, 75}));
    QCOMPARE(graph.BarValues, (QVector<qint32>{25, 75}));
    QCOMPARE(f.chart.leftAxisTitle(), QStringLiteral("Percentage"));
    QCOMPARE(f.marks(), (QStringList{"25 %", "75 %"}));
}

void TestGraphBuilder::viewCommandsSetTheMenuMarks_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QVector<bool>>("marks"); // Today1 Value1 Percentage1 Total1 Value2 Percentage2 ChooseDate1
    QTest::newRow("today value") << 1 << QVector<bool>{true, true, false, false, false, false, false};
    QTest::newRow("today percentage") << 2 << QVector<bool>{true, false, true, false, false, false, false};
    QTest::newRow("total value") << 3 << QVector<bool>{false, false, false, true, true, false, false};
    QTest::newRow("total percentage") << 4 << QVector<bool>{false, false, false, true, false, true, false};
}

void TestGraphBuilder::viewCommandsSetTheMenuMarks()
{
    QFETCH(int, view);
    QFETCH(QVector<bool>, marks);
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}});
    graph.SetMarks({false, false, false, false, false, false, true}); // as after a chosen day
    QSignalSpy changed(&graph, &GraphBuilder::marksChanged);
    const std::function<void()> commands[] = {[&] { graph.Value1Click(); }, [&] { graph.Percentage1Click(); },
                                              [&] { graph.Value2Click(); }, [&] { graph.Percentage2Click(); }};
    commands[view - 1]();
    const GraphMenuMarks &m = graph.Marks;
    QCOMPARE((QVector<bool>{m.Today1, m.Value1, m.Percentage1, m.Total1, m.Value2, m.Percentage2, m.ChooseDate1}),
             marks);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(graph.GraphMode, view);
}


// Damaged lines of the range's days are left out and named; those of other days are not.
void TestGraphBuilder::rangeSumsTheHistory_data()
{
    QTest::addColumn<DayRange>("range");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QVector<qint64>>("minutes");
    QTest::addColumn<QVector<qint64>>("dayMinutes"); // -1: no data that day
    QTest::addColumn<qint64>("switches");
    QTest::addColumn<QStringList>("leftOut");
    QTest::newRow("across a month") << DayRange{QDate(2025, 11, 30), QDate(2025, 12, 1)} << QStringList{"A", "C"}
                                    << QVector<qint64>{21, 7} << QVector<qint64>{20, 8} << qint64(7) << QStringList{};
    QTest::newRow("across a year")
        << DayRange{QDate(2025, 12, 31), QDate(2026, 1, 1)} << QStringList{"A", "C"} << QVector<qint64>{103, 50}
        << QVector<qint64>{100, 53} << qint64(7) << QStringList{"help.txc, line 10: 6x"};
    QTest::newRow("a missing day and a damaged line")
        << DayRange{QDate(2025, 12, 1), QDate(2025, 12, 3)} << QStringList{"A", "C", "B"} << QVector<qint64>{1, 7, 4}
        << QVector<qint64>{8, -1, 4} << qint64(9)
        << QStringList{"completedata.txc, line 7: " + keyOf(QDate(2025, 12, 3)) + ":A:3x0:"};
    QTest::newRow("no data") << DayRange{QDate(2025, 12, 4), QDate(2025, 12, 30)} << QStringList{}
                             << QVector<qint64>{} << QVector<qint64>(27, -1) << qint64(0) << QStringList{};
}

void TestGraphBuilder::rangeSumsTheHistory()
{
    QFETCH(DayRange, range);
    QFETCH(QStringList, names);
    QFETCH(QVector<qint64>, minutes);
    QFETCH(QVector<qint64>, dayMinutes);
    QFETCH(qint64, switches);
    QFETCH(QStringList, leftOut);
    const HistoryRange sum = readRange(range);
    QCOMPARE(sum.names, names);
    QCOMPARE(sum.itemMinutes, minutes);
    QCOMPARE(sum.switches, switches);
    QCOMPARE(sum.leftOut, leftOut);
    QCOMPARE(sum.days.size(), dayMinutes.size());
    for (int i = 0; i < dayMinutes.size(); ++i) {
        QCOMPARE(sum.days.at(i).date, range.first.addDays(i));
        QCOMPARE(sum.days.at(i).hasData, dayMinutes.at(i) >= 0);
        QCOMPARE(sum.days.at(i).minutes, std::max<qint64>(0, dayMinutes.at(i)));
    }
}

// Each range view drawn: title, value-axis caption, bars, and the marks
// and labels as laid out.
void TestGraphBuilder::rangeViews_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("axis");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("marks");
    const QString sat = QStringLiteral("Sat 29 Nov \u00b7 2 switches");
    QTest::newRow("minutes per item") << 7 << "Minutes" << QStringList{"A", "B", "C"} << QStringList{"31", "5", "7"};
    QTest::newRow("shares per item") << 8 << "Percentage" << QStringList{"A", "B", "C"}
                                     << QStringList{"72 %", "12 %", "16 %"};
    QTest::newRow("days") << 9 << "Minutes"
                          << QStringList{sat, "Sun 30 Nov \u00b7 3 switches", "Mon 1 Dec \u00b7 4 switches", "Tue 2 Dec"}
                          << QStringList{"15", "20", "8", "0"};
}

void TestGraphBuilder::rangeViews()
{
    QFETCH(int, view);
    QFETCH(QString, axis);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, marks);
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}});
    graph.SetRangeView(readRange({QDate(2025, 11, 29), QDate(2025, 12, 2)}), view);
    graph.DrawGraph();
    QVERIFY(graph.Marks.ChooseRange1 && !graph.Marks.Today1 && !graph.Marks.ChooseDate1);
    QCOMPARE(f.chart.titleLines(), QStringList{"29/11/2025 \u2013 02/12/2025   Switches : 9"});
    QCOMPARE(f.chart.leftAxisTitle(), axis);
    QCOMPARE(f.chart.Series1.labels(), labels);
    QCOMPARE(f.marks(), marks);
    QVERIFY(!f.chart.fixedScales());

    f.files.ledger->SelectItem(0);
    f.files.ledger->MinuteTick(); // saved, but the range stays on the chart
    QCOMPARE(f.chart.Series1.labels(), labels);
}

// A range longer than the view shows its last days up to today at the
// heights of the whole range; the user scrolls from there, and undoing a
// zoom comes back. Another view gives the axes back, scrolled or not.
void TestGraphBuilder::longDaysViewScrolls()
{
    GraphFixture f;
    GraphBuilder &graph = f.start({{"Mail", 12, 340}});
    f.chart.resize(416, 281);
    HistoryRange range;
    range.range = {QDate(2026, 1, 1), QDate(2026, 12, 31)}; // more days than pixels; today, 8 Dec, is day 341
    range.names = QStringList{"Mail"};
    range.itemMinutes = {1};
    for (QDate d = range.range.first; d <= range.range.last; d = d.addDays(1))
        range.days.append({d, 400 + d.day(), 0, true});
    graph.SetRangeView(range, 9);
    graph.DrawGraph();
    QCOMPARE(f.chart.Series1.count(), 365);
    const ChartLayout shown = f.chart.layoutFor(f.chart.rect());
    QVERIFY(shown.bars.size() > GraphBuilder::FewestDaysInView); // as many as have room for their marks
    for (int i = 1; i < shown.marks.size(); ++i)
        QVERIFY(shown.marks.at(i - 1).box.right < shown.marks.at(i).box.left);
    QCOMPARE(shown.bars.last().index, 341);
    QVERIFY(shown.barWidth >= 4);
    QVERIFY(shown.left.hi > 431); // room for the highest day, though not in view
    QVERIFY(f.chart.bottomLabelsFontSize() > GraphBuilder::LabelFontSize(365)); // sized for the days in view

    const std::optional<ChartScales> opened = f.chart.fixedScales();
    f.chart.setFixedScales(ChartScales{{10.5, 20.5}, opened->left}); // scrolled back in time
    const QPoint lowerRight(300, 200);
    QTest::mousePress(&f.chart, Qt::LeftButton, {}, lowerRight);
    QTest::mouseMove(&f.chart, lowerRight - QPoint(100, 100));
    QTest::mouseRelease(&f.chart, Qt::LeftButton, {}, lowerRight - QPoint(100, 100));
    QCOMPARE(f.chart.fixedScales(), opened);

    f.chart.setFixedScales(ChartScales{{10.5, 20.5}, opened->left});
    graph.Value1Click();
    QVERIFY(!f.chart.fixedScales());
    QCOMPARE(f.chart.layoutFor(f.chart.rect()).bars.size(), 1);
}


// This computer has Writing and Mail; the laptop deleted Mail (its history
// still has it) and has Reading, which no other computer has; the desk has
// Mail alone and last ran yesterday. Every view sums them by name.
void TestGraphBuilder::otherComputersAddUp()
{
    GraphFixture f;
    SharedFolder shared;
    const QString today = keyOf(QDate(2026, 12, 8)), first = keyOf(QDate(2026, 12, 1)),
                  yesterday = keyOf(QDate(2026, 12, 7));
    shared.writeLines("laptop-2/data.txc", {today + ":Writing:20:", today + ":Reading:7:", "T:Writing:200:",
                                            "T:Reading:70:"});
    shared.writeLines("laptop-2/completedata.txc", {"0:", first + ":Writing:15:", first + ":Mail:30:",
                                                    today + ":Writing:20:", today + ":Reading:7:"});
    shared.writeLines("laptop-2/help.txc", {first, "3", today, "2"});
    shared.writeLines("desk-3/data.txc", {yesterday + ":Mail:4:", "T:Mail:40:"});
    shared.writeLines("desk-3/completedata.txc", {yesterday + ":Mail:4:"});
    shared.writeLines("desk-3/help.txc", {yesterday, "1"});
    shared.writeLines("this-1/data.txc", {today + ":Writing:999:", "T:Writing:999:"}); // this computer's own
    GraphBuilder &graph = f.start({{"Writing", 10, 100}, {"Mail", 5, 50}});
    OtherComputers others(shared.dir.path(), "this-1", LocaleValues());
    graph.setOtherComputers(&others);
    QCOMPARE(others.names(), (QStringList{"desk-3", "laptop-2"}));

    graph.Value1Click();
    QCOMPARE(f.chart.Series1.labels(), (QStringList{"Writing", "Mail", "Reading"}));
    QCOMPARE(f.bars(), (QVector<double>{30, 5, 7}));
    QCOMPARE(f.chart.titleLines(), QStringList{kToday + "   (3 computers)"});
    graph.Percentage2Click();
    QCOMPARE(f.bars(), (QVector<double>{65, 20, 15})); // of 300, 90 and 70
    graph.Value2Click();
    QCOMPARE(f.bars(), (QVector<double>{300, 90, 70}));

    // Their changes are followed; this computer's radio buttons stay its own.
    shared.writeLines("laptop-2/data.txc", {today + ":Writing:21:", today + ":Reading:7:", "T:Writing:201:",
                                            "T:Reading:70:"});
    others.Refresh();
    QCOMPARE(f.bars(), (QVector<double>{301, 90, 70}));
    QCOMPARE(f.files.ledger->state().ItemCount, 2);

    const DayRange week{QDate(2026, 12, 1), QDate(2026, 12, 8)};
    const HistoryRange range = graph.ReadRange(week);
    QCOMPARE(range.names, (QStringList{"Writing", "Mail", "Reading"}));
    QCOMPARE(range.itemMinutes, (QVector<qint64>{45, 39, 7}));
    QCOMPARE(range.switches, 6);
    QCOMPARE(range.days.at(0).minutes, 45);
    QCOMPARE(range.days.at(7).switches, 2);

    graph.SetDayView({QDate(2026, 12, 1), {}, {}, "01/12/2026", {}, {}});
    graph.DrawGraph();
    QCOMPARE(f.chart.Series1.labels(), (QStringList{"Writing", "Mail"}));
    QCOMPARE(f.bars(), (QVector<double>{15, 30}));
    QCOMPARE(f.chart.titleLines(), QStringList{"01/12/2026   Switches : 3   (3 computers)"});

    // This computer alone: exactly its own views.
    graph.setThisComputerOnly(true);
    QCOMPARE(f.bars(), QVector<double>{});
    QCOMPARE(f.chart.titleLines(), QStringList{"01/12/2026   "});
    graph.Value2Click();
    QCOMPARE(f.bars(), (QVector<double>{100, 50}));
    QCOMPARE(f.chart.titleLines(), QStringList{"Total Time Allocation"});
    QCOMPARE(graph.ComputersCounted(), 1);

    const CsvExport csv = HistoryCsv(f.files.lines(Ledger::HistoryFileName), f.files.lines(Ledger::SwitchFileName),
                                     std::nullopt, others.ReadHistories());
    QCOMPARE(csv.csv, QByteArray("date,item,minutes,switches\r\n"
                                 "2026-12-01,Writing,15,\r\n2026-12-01,Mail,30,\r\n2026-12-01,,,3\r\n"
                                 "2026-12-07,Mail,4,\r\n2026-12-07,,,1\r\n"
                                 "2026-12-08,Writing,30,\r\n2026-12-08,Mail,5,\r\n2026-12-08,Reading,7,\r\n"
                                 "2026-12-08,,,2\r\n"));
}

// Conflict copies, temporary files, a folder that is a conflict copy, one
// whose data.txc cannot be read, a data.txc and a history caught half-synced:
// none counts, each is named, and a half-synced data.txc keeps its last
// whole version counted.
void TestGraphBuilder::syncLeftoversAreNeverCounted()
{
    GraphFixture f;
    SharedFolder shared;
    const QString today = keyOf(QDate(2026, 12, 8));
    const QStringList laptop{today + ":Writing:20:", "T:Writing:200:"};
    shared.writeLines("laptop-2/data.txc", laptop);
    shared.write("laptop-2/completedata.txc", EncodeLines({today + ":Writing:20:"}) + today.toLatin1() + ":Writing:9");
    shared.writeLines("laptop-2/data.sync-conflict-20261208-101010-ABCDEFG.txc", {today + ":Writing:5000:", "T:Writing:5000:"});
    shared.writeLines("laptop-2/data (conflicted copy 2026-12-08).txc", laptop);
    shared.writeLines("laptop-2/.syncthing.data.txc.tmp", laptop);
    shared.writeLines("laptop-2/data.txc~", laptop);
    shared.writeLines("laptop-2.sync-conflict-20261208-101010-ABCDEFG/data.txc", laptop);
    shared.writeLines(".stversions/data.txc", laptop);
    QVERIFY(QDir().mkpath(shared.dir.filePath("desk-3/data.txc")));
    shared.write("phone-4/data.txc", EncodeLines({today + ":Writing:3:"}) + "T:Wri");
    GraphBuilder &graph = f.start({{"Writing", 10, 100}});
    OtherComputers others(shared.dir.path(), "this-1", LocaleValues());
    graph.setOtherComputers(&others);
    graph.Value1Click();
    QCOMPARE(f.bars(), QVector<double>{30});
    QCOMPARE(graph.ReadRange({QDate(2026, 12, 8), QDate(2026, 12, 8)}).itemMinutes, (QVector<qint64>{30}));
    QCOMPARE(others.skipped(),
             (QStringList{"laptop-2.sync-conflict-20261208-101010-ABCDEFG: a conflict copy, not counted",
                          "desk-3/data.txc: cannot be read; not counted",
                          "laptop-2/.syncthing.data.txc.tmp: a temporary file, not counted",
                          "laptop-2/data (conflicted copy 2026-12-08).txc: a conflict copy, not counted",
                          "laptop-2/data.sync-conflict-20261208-101010-ABCDEFG.txc: a conflict copy, not counted",
                          "laptop-2/data.txc~: a temporary file, not counted",
                          "laptop-2/completedata.txc: its last line is cut (still being synced?), not counted",
                          "phone-4/data.txc: its last line is cut (still being synced?); not counted"}));

    shared.writeLines("phone-4/data.txc", {today + ":Writing:3:", "T:Writing:3:"});
    others.Refresh();
    QCOMPARE(f.bars(), QVector<double>{33});
    shared.write("phone-4/data.txc", EncodeLines({today + ":Writing:4:"}) + "T:Wr");
    others.Refresh();
    QCOMPARE(f.bars(), QVector<double>{33});
    QVERIFY(others.skipped().contains(
        "phone-4/data.txc: its last line is cut (still being synced?); its last whole version is counted"));
}

QTEST_MAIN(TestGraphBuilder)
#include "test_graph_builder.moc"
