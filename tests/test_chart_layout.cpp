// The chart's geometry with exact numbers (a fixed-width text measure) and
// with the real fonts where only the rules matter; the number formats.

#include "chart_layout.h"
#include "number_format.h"

#include <QtTest>

Q_DECLARE_METATYPE(ChartScales)

namespace {

// Every glyph 6 pixels wide, every line 13 pixels high unless told otherwise.
class FixedMeasure : public TextMeasure {
public:
    explicit FixedMeasure(int bottomLineHeight = 13) : bottomLineHeight_(bottomLineHeight) {}
    int lineHeight(ChartText role) const override { return role == ChartText::BottomLabels ? bottomLineHeight_ : 13; }
    int width(ChartText, const QString &text) const override { return 6 * int(text.size()); }

private:
    int bottomLineHeight_;
};

ChartInputs chartOf(const QVector<double> &values, const QStringList &labels = {})
{
    ChartInputs in;
    in.bounds = QRect(0, 0, 416, 281);
    in.values = values;
    in.labels = labels;
    if (in.labels.isEmpty())
        for (int i = 0; i < values.size(); ++i)
            in.labels << QStringLiteral("Item %1").arg(i);
    in.titleLines = QStringList{QStringLiteral("Title")};
    in.leftAxisTitle = QStringLiteral("Minutes");
    return in;
}

QStringList texts(const QVector<PlacedText> &placed)
{
    QStringList result;
    for (const PlacedText &t : placed)
        result << t.text;
    return result;
}

QStringList marksOf(const ChartLayout &layout)
{
    QStringList result;
    for (const MarkBox &m : layout.marks)
        result << m.text;
    return result;
}

int centreOf(const BarBox &bar)
{
    return (bar.front.left + bar.front.right) / 2;
}

} // namespace

class TestChartLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans")); }
    void marginsTitleAndDepth();
    void oneBarStandsInTheMiddle();
    void twoBarsShareTheAxisByThirds();
    void markTexts_data();
    void markTexts();
    void noBarsShowZeroInTheMiddleOfBothAxes();
    void allZeroBarsLieFlatInTheMiddle();
    void negativeBarGrowsDownWithItsMarkBelow();
    void incrementsFitTheLabels_data();
    void incrementsFitTheLabels();
    void labelValues_data();
    void labelValues();
    void hundredMinutesOnTwoHundredPixels();
    void upwardLabelsSkipOverlaps();
    void horizontalLabelsAreShortenedToTheirRoom();
    void fixedScalesZoomIntoBars();
    void zoomedMarksStayInsideThePlot_data();
    void zoomedMarksStayInsideThePlot();
    void axisMapsBothWays();
    void formatNumber_data();
    void formatNumber();
};

void TestChartLayout::marginsTitleAndDepth()
{
    ChartInputs in = chartOf({30});
    ChartLayout layout = LayOutChart(in, FixedMeasure());
    QCOMPARE(layout.depth, 6); // round(0.015 × 392)
    // margins 12/11, one title line of 13 and its gap of 5, then the depth
    QCOMPARE(layout.chart, (PixelRect{12, 11 + 13 + 5 + 6, 404 - 6, 270}));
    QCOMPARE(layout.title.size(), 1);
    QCOMPARE(layout.title.first().box, (PixelRect{208 - 15, 11, 208 + 15, 24})); // "Title" centred

    in.titleLines.clear();
    layout = LayOutChart(in, FixedMeasure());
    QVERIFY(layout.title.isEmpty());
    QCOMPARE(layout.chart.top, 11 + 6);
}

void TestChartLayout::oneBarStandsInTheMiddle()
{
    const ChartLayout layout = LayOutChart(chartOf({30}, {QStringLiteral("Label")}), FixedMeasure());
    // left room: caption 13 + widest label "35" 12 + 6; bottom room: 13 + 6
    QCOMPARE(layout.plot, (PixelRect{43, 35, 398, 251}));
    QCOMPARE(layout.barWidth, 124); // round(0.7 × (355 div 2)) made even: 35 % of the axis
    QCOMPARE(layout.bars.size(), 1);
    QCOMPARE(layout.bars.first().front, (PixelRect{220 - 62, 71, 220 + 62, 251}));
    // the top of the range leaves room for the mark: 13 + 20 + 2 + 1 pixels
    QCOMPARE(layout.left.pixel(30), layout.plot.top + 36);
    QCOMPARE(layout.left.lo, 0.0);
    QVERIFY(layout.left.hi > 30);
    QCOMPARE(layout.left.increment, 5.0);
    QCOMPARE(texts(layout.left.labels).first(), QStringLiteral("35"));
    QCOMPARE(texts(layout.left.labels).last(), QStringLiteral("0"));

    QCOMPARE(texts(layout.bottom.labels), QStringList{QStringLiteral("Label")});
    QCOMPARE(layout.bottom.labels.first().box, (PixelRect{205, 257, 235, 270}));

    const MarkBox &mark = layout.marks.first();
    QCOMPARE(mark.text, QStringLiteral("30"));
    // "30" + "W" + frame, centred on the bar, 20 pixels above it, at half depth
    QCOMPARE(mark.box, (PixelRect{213, 34, 233, 49}));
    QCOMPARE(mark.arrowFrom, QPoint(223, 68));
    QCOMPARE(mark.arrowTo, QPoint(223, 48));
    QCOMPARE(mark.textBox, (PixelRect{217, 35, 229, 48}));

    // The caption stands 4 pixels clear of the widest label, out in the
    // margin, so that its descenders do not touch the labels; the plot keeps
    // its place.
    QCOMPARE(layout.leftTitle->box.right, 8 + 13);
    QCOMPARE(layout.left.labels.first().box.left, layout.leftTitle->box.right + 4);
}

void TestChartLayout::twoBarsShareTheAxisByThirds()
{
    const ChartLayout layout
        = LayOutChart(chartOf({10, 20}, {QStringLiteral("Mail"), QStringLiteral("Code")}), FixedMeasure());
    const int length = layout.plot.width();
    QCOMPARE(length, 355);
    QCOMPARE(layout.barWidth, 84); // round(0.7 × 118) = 83, made even
    QCOMPARE(layout.bottom.pixel(0), layout.plot.left + 84);
    QCOMPARE(layout.bottom.pixel(1), layout.plot.right - 84);
    QCOMPARE(layout.bars.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(centreOf(layout.bars.at(i)), layout.bottom.pixel(i));
        const PixelRect &label = layout.bottom.labels.at(i).box;
        QCOMPARE((label.left + label.right) / 2, layout.bottom.pixel(i));
    }
    QCOMPARE(texts(layout.bottom.labels), (QStringList{QStringLiteral("Mail"), QStringLiteral("Code")}));
    QCOMPARE(marksOf(layout), (QStringList{QStringLiteral("10"), QStringLiteral("20")}));
    QCOMPARE(layout.bottom.minorTickPixels.size(), 3);
}

void TestChartLayout::markTexts_data()
{
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<int>("style");
    QTest::addColumn<QChar>("thousands");
    QTest::addColumn<QStringList>("marks");
    const int value = int(MarksStyle::smsValue);
    const int percent = int(MarksStyle::smsPercent);
    QTest::newRow("shares of rounded shares") << QVector<double>{12, 87} << percent << QChar(',')
                                              << QStringList{"12 %", "88 %"};
    QTest::newRow("thousands comma") << QVector<double>{1234} << value << QChar(',') << QStringList{"1,234"};
    QTest::newRow("thousands dot") << QVector<double>{1234567} << value << QChar('.') << QStringList{"1.234.567"};
    QTest::newRow("no total reads 100 %") << QVector<double>{0, 0} << percent << QChar(',')
                                          << QStringList{"100 %", "100 %"};
    QTest::newRow("absolute values share") << QVector<double>{-25, 75} << percent << QChar(',')
                                           << QStringList{"25 %", "75 %"};
    QTest::newRow("negative value") << QVector<double>{-1500} << value << QChar(',') << QStringList{"-1,500"};
}

void TestChartLayout::markTexts()
{
    QFETCH(QVector<double>, values);
    QFETCH(int, style);
    QFETCH(QChar, thousands);
    QFETCH(QStringList, marks);
    ChartInputs in = chartOf(values);
    in.marksStyle = MarksStyle(style);
    in.locale.thousandsSeparator = thousands;
    in.locale.decimalSeparator = thousands == QLatin1Char('.') ? QLatin1Char(',') : QLatin1Char('.');
    QCOMPARE(marksOf(LayOutChart(in, FixedMeasure())), marks);
}

void TestChartLayout::noBarsShowZeroInTheMiddleOfBothAxes()
{
    const ChartLayout layout = LayOutChart(chartOf({}), FixedMeasure());
    QVERIFY(layout.bars.isEmpty());
    QVERIFY(layout.marks.isEmpty());
    QCOMPARE(layout.barWidth, 0);
    QCOMPARE(texts(layout.left.labels), QStringList{QStringLiteral("0")});
    QCOMPARE(texts(layout.bottom.labels), QStringList{QStringLiteral("0")});
    QCOMPARE(layout.left.labelPixels, QVector<int>{(layout.plot.top + layout.plot.bottom) / 2});
    QCOMPARE(layout.bottom.labelPixels, QVector<int>{(layout.plot.left + layout.plot.right) / 2});
    QCOMPARE(layout.title.size(), 1);
    QVERIFY(layout.leftTitle.has_value());
    QCOMPARE(layout.leftTitle->text, QStringLiteral("Minutes"));
}

void TestChartLayout::allZeroBarsLieFlatInTheMiddle()
{
    ChartInputs in = chartOf({0, 0, 0});
    in.marksStyle = MarksStyle::smsPercent;
    const ChartLayout layout = LayOutChart(in, FixedMeasure());
    QCOMPARE(layout.left.lo, 0.0);
    QCOMPARE(layout.left.hi, 0.0); // no mark room: the maximum is not above 0
    const int middle = (layout.plot.top + layout.plot.bottom) / 2;
    QCOMPARE(layout.bars.size(), 3);
    for (const BarBox &bar : layout.bars) {
        QCOMPARE(bar.front.top, middle);
        QCOMPARE(bar.front.bottom, middle);
    }
    for (const MarkBox &mark : layout.marks) {
        QCOMPARE(mark.text, QStringLiteral("100 %"));
        QCOMPARE(mark.box.bottom - 1, middle - 20 - 3);
    }
}

void TestChartLayout::negativeBarGrowsDownWithItsMarkBelow()
{
    const ChartLayout layout = LayOutChart(chartOf({-5, 10}), FixedMeasure());
    const int zero = layout.left.pixel(0);
    const BarBox &down = layout.bars.at(0);
    QCOMPARE(down.front.top, zero);
    QCOMPARE(down.front.bottom, layout.left.pixel(-5));
    QVERIFY(down.front.bottom > zero);
    // room for a mark at both ends of the value axis
    QCOMPARE(layout.left.pixel(-5), layout.plot.bottom - 36);
    QCOMPARE(layout.left.pixel(10), layout.plot.top + 36);
    const MarkBox &mark = layout.marks.at(0);
    QCOMPARE(mark.text, QStringLiteral("-5"));
    QCOMPARE(mark.box.top, down.front.bottom + 20 - 3);
    QCOMPARE(mark.arrowTo.y() - mark.arrowFrom.y(), 20);
    QVERIFY(texts(layout.left.labels).contains(QStringLiteral("0")));
    QVERIFY(layout.left.lo < -5);
}

void TestChartLayout::incrementsFitTheLabels_data()
{
    QTest::addColumn<double>("range");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("labelSize");
    QTest::addColumn<double>("increment");
    // 200 pixels, labels of 13 + 1: 14 labels fit
    QTest::newRow("125") << 125.0 << 200 << 13 << 10.0;
    QTest::newRow("140 exactly fits tens") << 140.0 << 200 << 13 << 10.0;
    QTest::newRow("160 needs twenties") << 160.0 << 200 << 13 << 20.0;
    QTest::newRow("1000") << 1000.0 << 200 << 13 << 100.0;
    QTest::newRow("below one") << 0.5 << 200 << 13 << 0.05;
    QTest::newRow("small range") << 5.0 << 200 << 13 << 1.0;
    QTest::newRow("zero range") << 0.0 << 200 << 13 << 1e-12;
    QTest::newRow("no label fits") << 100.0 << 5 << 13 << 1e-12;
    QTest::newRow("label size 0: one label") << 100.0 << 200 << 0 << 100.0;
}

void TestChartLayout::incrementsFitTheLabels()
{
    QFETCH(double, range);
    QFETCH(int, length);
    QFETCH(int, labelSize);
    QFETCH(double, increment);
    QCOMPARE(LabelIncrement(range, length, labelSize), increment);
}

void TestChartLayout::labelValues_data()
{
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("increment");
    QTest::addColumn<QVector<double>>("values");
    QTest::newRow("from a multiple down to 0") << 0.0 << 36.0 << 10.0 << QVector<double>{30, 20, 10, 0};
    QTest::newRow("across 0") << -8.3 << 5.5 << 4.0 << QVector<double>{4, 0, -4, -8};
    QTest::newRow("range 0") << 0.0 << 0.0 << 1e-12 << QVector<double>{0};
    QTest::newRow("too many") << 0.0 << 10000.0 << 1.0 << QVector<double>{};
    QTest::newRow("tenths") << 0.0 << 0.3 << 0.1 << QVector<double>{0.3, 0.2, 0.1, 0};
}

void TestChartLayout::labelValues()
{
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, increment);
    QFETCH(QVector<double>, values);
    const QVector<double> actual = LabelValues(lo, hi, increment);
    QCOMPARE(actual.size(), values.size());
    for (int i = 0; i < values.size(); ++i)
        QVERIFY2(qAbs(actual.at(i) - values.at(i)) < 1e-9, qPrintable(QString::number(actual.at(i))));
}

void TestChartLayout::hundredMinutesOnTwoHundredPixels()
{
    ChartInputs in = chartOf({40, 100, 70});
    in.bounds = QRect(0, 0, 416, 265);
    const ChartFonts fonts(8);
    const ChartLayout layout = LayOutChart(in, FontMeasure(fonts));
    QVERIFY(qAbs(layout.plot.height() - 200) < 25);
    QVERIFY2(layout.left.increment == 10 || layout.left.increment == 20,
             qPrintable(QString::number(layout.left.increment)));
    QCOMPARE(texts(layout.left.labels).last(), QStringLiteral("0"));
    const double first = QLocale::c().toDouble(texts(layout.left.labels).first().remove(QLatin1Char(',')));
    QCOMPARE(std::fmod(first, layout.left.increment), 0.0);
    QVERIFY(first > 100);
}

void TestChartLayout::upwardLabelsSkipOverlaps()
{
    QVector<double> values;
    QStringList labels;
    for (int i = 0; i < 30; ++i) {
        values << 10 + i;
        labels << QStringLiteral("A rather long project name %1").arg(i);
    }
    ChartInputs in = chartOf(values, labels);
    in.bounds = QRect(0, 0, 250, 281);
    in.bottomLabelsAngle = 90;
    const ChartFonts fonts(5);
    const FontMeasure measure(fonts);
    const ChartLayout layout = LayOutChart(in, measure);

    int widest = 0;
    for (const QString &label : labels)
        widest = qMax(widest, measure.width(ChartText::BottomLabels, label));
    QCOMPARE(layout.plot.bottom, layout.chart.bottom - widest - 6);
    // The widest text is found without shaping every one: days' labels,
    // kerned pairs, and texts that must be shaped (an emoji, an accent).
    QStringList mixed{QStringLiteral("AVAVAVAVAVAV"), QStringLiteral("WWWW"), QStringLiteral("Ty.Yo,Av"),
                      QStringLiteral("\U0001F4CA Stats"), QStringLiteral("Cafe\u0301 au lait")};
    for (int day = 0; day < 400; ++day)
        mixed << QDate(2026, 1, 1).addDays(day).toString(QStringLiteral("ddd d MMM")) + QStringLiteral(" \u00b7 %1 switches").arg(day % 37);
    for (const QStringList &texts : {mixed, mixed.mid(5), labels}) {
        int exact = 0;
        for (const QString &text : texts)
            exact = qMax(exact, measure.width(ChartText::BottomLabels, text));
        QCOMPARE(measure.widestWidth(ChartText::BottomLabels, texts), exact);
    }

    const QVector<PlacedText> &drawn = layout.bottom.labels;
    QCOMPARE(drawn.first().text, labels.first());
    QVERIFY2(drawn.size() < 30 && drawn.size() >= 10, qPrintable(QString::number(drawn.size())));
    for (int i = 0; i < drawn.size(); ++i) {
        const PlacedText &label = drawn.at(i);
        QCOMPARE(label.angle, 90);
        QCOMPARE(label.box.top, layout.plot.bottom + 6); // ends just below the axis
        QCOMPARE(label.box.height(), measure.width(ChartText::BottomLabels, label.text));
        if (i > 0)
            QVERIFY(label.box.left >= drawn.at(i - 1).box.right);
    }
}

void TestChartLayout::horizontalLabelsAreShortenedToTheirRoom()
{
    // The long names are 120 pixels wide, the bars 87 apart: each is cut to
    // the room that leaves its neighbours' names whole, short ones stay.
    const QString name(20, QLatin1Char('x'));
    const QString ellipsis(QChar(0x2026));
    const ChartLayout layout = LayOutChart(chartOf({1, 2, 3, 4}, {name, "Mail", name, name}), FixedMeasure());
    QCOMPARE(layout.bottom.pixel(1) - layout.bottom.pixel(0), 87);
    QCOMPARE(layout.bottom.labelPixels.size(), 4);
    const QString cut = QString(11, QLatin1Char('x')) + ellipsis; // 72 pixels: 87 less a fifth of the label
    QCOMPARE(texts(layout.bottom.labels), (QStringList{cut, "Mail", cut, cut}));
    for (int i = 1; i < 4; ++i)
        QVERIFY(layout.bottom.labels.at(i).box.left >= layout.bottom.labels.at(i - 1).box.right);

    // Upright labels are never cut.
    ChartInputs upright = chartOf({1, 2, 3, 4}, {name, name, name, name});
    upright.bottomLabelsAngle = 90;
    QCOMPARE(texts(LayOutChart(upright, FixedMeasure()).bottom.labels), (QStringList{name, name, name, name}));
}

void TestChartLayout::fixedScalesZoomIntoBars()
{
    ChartInputs in = chartOf({10, 20, 30, 40});
    const ChartLayout automatic = LayOutChart(in, FixedMeasure());
    in.fixedScales = ChartScales{{0.5, 2.5}, {5, 25}};
    const ChartLayout zoomed = LayOutChart(in, FixedMeasure());
    QCOMPARE(zoomed.bottom.scale(), (AxisScale{0.5, 2.5}));
    QCOMPARE(zoomed.left.scale(), (AxisScale{5, 25}));
    QCOMPARE(zoomed.bars.size(), 2); // bars 1 and 2 lie within the range
    QCOMPARE(zoomed.bars.first().index, 1);
    QVERIFY(zoomed.barWidth > automatic.barWidth);
    // the bar of 30 reaches beyond the plot's top; painting clips it
    QVERIFY(zoomed.bars.last().front.top < zoomed.plot.top);
    QCOMPARE(texts(zoomed.left.labels).first(), QStringLiteral("24"));
    // ... and so would its mark, over the title: it is left out.
    QCOMPARE(marksOf(zoomed), QStringList{QStringLiteral("20")});
}

// Zoomed or scrolled, the marks that are drawn stand wholly inside the plot
// with its depth: never on the bottom axis's labels (the bars below the
// range), over the title (a bar's end near the top), or over the value
// axis or the margin (a bar cut at the side).
void TestChartLayout::zoomedMarksStayInsideThePlot_data()
{
    QTest::addColumn<ChartScales>("scales");
    QTest::addColumn<QStringList>("marks");
    QTest::newRow("bars below the range") << ChartScales{{-0.5, 3.5}, {25, 45}} << QStringList{"30", "40"};
    QTest::newRow("an end near the top") << ChartScales{{-0.5, 3.5}, {0, 41}} << QStringList{"20", "30"};
    QTest::newRow("an end near the bottom") << ChartScales{{-0.5, 3.5}, {-12, 100}} << QStringList{"20", "30", "40"};
    QTest::newRow("bars at the sides") << ChartScales{{0.99, 2.01}, {0, 60}} << QStringList{};
}

void TestChartLayout::zoomedMarksStayInsideThePlot()
{
    QFETCH(ChartScales, scales);
    QFETCH(QStringList, marks);
    ChartInputs in = chartOf({-10, 20, 30, 40});
    in.fixedScales = scales;
    const ChartLayout layout = LayOutChart(in, FixedMeasure());
    QCOMPARE(marksOf(layout), marks);
    const PixelRect room = layout.plotWithDepth();
    for (const MarkBox &mark : layout.marks) {
        QVERIFY(mark.box.left >= room.left && mark.box.right <= room.right);
        QVERIFY(mark.box.top >= room.top && mark.box.bottom <= room.bottom);
        QVERIFY(mark.box.top >= layout.title.last().box.bottom);
    }
}

void TestChartLayout::axisMapsBothWays()
{
    AxisLayout axis;
    axis.lo = -10;
    axis.hi = 30;
    axis.startPixel = 250;
    axis.endPixel = 50;
    QCOMPARE(axis.pixel(-10), 250);
    QCOMPARE(axis.pixel(30), 50);
    QCOMPARE(axis.pixel(10), 150);
    QCOMPARE(axis.value(150), 10.0);
    QCOMPARE(axis.pixel(1e300), -1000000); // far values stay within integers
    axis.hi = axis.lo;
    QCOMPARE(axis.pixel(123), 150);
    QCOMPARE(axis.value(10), -10.0);
}

void TestChartLayout::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "#,##0.###" << "0";
    QTest::newRow("grouping") << 1234567.0 << "#,##0.###" << "1,234,567";
    QTest::newRow("optional decimals") << 2.5 << "#,##0.###" << "2.5";
    QTest::newRow("decimals rounded") << 0.12345 << "#,##0.###" << "0.123";
    QTest::newRow("half away from zero") << 0.5 << "##0 %" << "1 %";
    QTest::newRow("percent not scaled") << 87.88 << "##0 %" << "88 %";
    QTest::newRow("percent 100") << 100.0 << "##0 %" << "100 %";
    QTest::newRow("negative") << -1234.0 << "#,##0.###" << "-1,234";
    QTest::newRow("negative rounds to zero") << -0.0001 << "#,##0.###" << "0";
    QTest::newRow("fixed decimals") << 3.0 << "0.00" << "3.00";
    QTest::newRow("no integer digit") << 0.25 << "#.##" << ".25";
    QTest::newRow("huge") << 1e20 << "#,##0" << "100,000,000,000,000,000,000";
    QTest::newRow("prefix") << 7.0 << "x=0" << "x=7";
}

void TestChartLayout::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(FormatNumber(value, pattern, LocaleValues()), text);
}

QTEST_MAIN(TestChartLayout)
#include "test_chart_layout.moc"
