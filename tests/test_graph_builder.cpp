// The graph builder driven by a real ledger onto a real chart widget.

#include "bar_chart_view.h"
#include "graph_builder.h"
#include "ledger_fixture.h"

#include <QSignalSpy>
#include <QtTest>

#include <limits>

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

QTEST_MAIN(TestGraphBuilder)
#include "test_graph_builder.moc"
