// Pixels of the rendered chart: bar faces, walls, marks, background and
// printing, and the screen buffer.

#include "bar_chart_view.h"
#include "line_file.h"
#include "text_contrast.h"

#include <QAccessible>

#include <QContextMenuEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QRect kBounds(0, 0, 416, 281);
const QColor kUntouched(10, 200, 30); // no chart draws this colour

QImage render(BarChartView &chart)
{
    QImage image(kBounds.size(), QImage::Format_RGB32);
    image.fill(kUntouched);
    QPainter painter(&image);
    chart.RenderChart(painter, kBounds);
    return image;
}

QColor at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y);
}

void drag(QWidget &widget, Qt::MouseButton button, QPoint from, QPoint to)
{
    QTest::mousePress(&widget, button, {}, from);
    QTest::mouseMove(&widget, (from + to) / 2);
    QTest::mouseMove(&widget, to);
    QTest::mouseRelease(&widget, button, {}, to);
}

// Every text the chart draws on its background, with the colour it was
// meant to be drawn in under the chart's own (light) colours.
QVector<QPair<PixelRect, QColor>> backgroundTexts(const ChartLayout &layout)
{
    QVector<QPair<PixelRect, QColor>> texts;
    for (const PlacedText &title : layout.title)
        texts.append({title.box, QColor(0, 0, 255)});
    for (const QVector<PlacedText> *labels : {&layout.left.labels, &layout.bottom.labels})
        for (const PlacedText &label : *labels)
            texts.append({label.box, QColor(0, 0, 0)});
    texts.append({layout.leftTitle->box, QColor(0, 0, 0)});
    return texts;
}

// Lines drawn on the background, each where nothing covers it, with their
// colour under the chart's own colours: the value and bottom axis lines, the
// back wall's frame, a tick, and a dotted grid line across the back wall
// (three pixels hold a dot).
QVector<QPair<PixelRect, QColor>> backgroundLines(const ChartLayout &layout)
{
    const PixelRect &plot = layout.plot;
    const int depth = layout.depth;
    const QVector<int> &grid = layout.left.labelPixels;
    const int between = (grid.at(0) + grid.at(1)) / 2;
    const auto pixel = [](int x, int y) { return PixelRect{x, y, x + 1, y + 1}; };
    const QColor black(0, 0, 0), grey(128, 128, 128);
    return {{pixel(plot.left - 1, between), black},
            {pixel(plot.left + 40, plot.bottom + 1), black},
            {pixel(plot.right + depth, between - depth), black},
            {pixel(plot.left - ChartGeometry::AxisLineWidth - 2, grid.at(1)), grey},
            {PixelRect{plot.left + depth + 1, grid.at(1) - depth, plot.left + depth + 4, grid.at(1) - depth + 1}, grey}};
}

bool holdsColour(const QImage &image, const PixelRect &box, const QColor &colour)
{
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// The highest contrast any pixel within box reaches against the background:
// the glyphs' inner pixels, drawn in the text's full colour, or a line.
double bestContrast(const QImage &image, const PixelRect &box, const QColor &background)
{
    double best = 1;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            best = std::max(best, ContrastRatio(image.pixelColor(x, y), background));
    return best;
}

// Whether the text within box is drawn in the colour: some pixel comes within
// a fifth of the way from it to the face (smoothing never quite reaches it).
bool drawnInColour(const QImage &image, const PixelRect &box, const QColor &colour, const QColor &face)
{
    const auto distance = [](const QColor &a, const QColor &b) {
        return std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())});
    };
    const int tolerance = distance(colour, face) / 5;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            if (distance(image.pixelColor(x, y), colour) <= tolerance)
                return true;
    return false;
}

void fillFourBars(BarSeries &series)
{
    series.ClearBars();
    for (int i = 0; i < 4; ++i)
        series.AppendBar(10.0 * (i + 1), QStringLiteral("Item %1").arg(i));
}

} // namespace

class TestChartRender : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans")); }
    void init();
    void barFacesInSeriesColour();
    void leftWallAndMark();
    void backgroundAndBevelOnlyOnScreen();
    void textAndLinesStandOutFromLightAndDarkFaces_data();
    void textAndLinesStandOutFromLightAndDarkFaces();
    void screenReadersReadTitleAndBars();
    void barsAreClippedToThePlot();
    void paintCopiesAnUpToDateBuffer();
    void leftDragZoomsAndReverseDragUndoes();
    void smallDragsChangeNothing_data();
    void smallDragsChangeNothing();
    void rubberBandIsDrawnWhileDragging();
    void rightDragScrollsBothAxes();
    void rightClickAsksForTheMenu();

private:
    std::unique_ptr<BarChartView> chart_;
};

void TestChartRender::init()
{
    chart_ = std::make_unique<BarChartView>();
    chart_->resize(kBounds.size());
    chart_->setTitleLines({QStringLiteral("Today: 08/12/2026")});
    chart_->setBottomLabelsAngle(0);
    chart_->Series1.AppendBar(30, QStringLiteral("Email"));
    chart_->Series1.AppendBar(120, QStringLiteral("Coding"));
}

void TestChartRender::barFacesInSeriesColour()
{
    const QImage image = render(*chart_);
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const int half = layout.depth / 2;
    for (const BarBox &bar : layout.bars) {
        const PixelRect &f = bar.front;
        const int middle = (f.top + f.bottom) / 2;
        QCOMPARE(at(image, f.left + 3, middle), QColor(255, 0, 0));
        QCOMPARE(at(image, f.right + half, middle - half), QColor(127, 0, 0));
        QCOMPARE(at(image, f.left + 5 + half, f.top - half), QColor(191, 0, 0));
        QCOMPARE(at(image, f.left, middle), QColor(0, 0, 0)); // edge
    }
}

void TestChartRender::leftWallAndMark()
{
    const QImage image = render(*chart_);
    const ChartLayout layout = chart_->layoutFor(kBounds);
    // between two grid lines, half way into the depth
    const QVector<int> &grid = layout.left.labelPixels;
    const int half = layout.depth / 2;
    QCOMPARE(at(image, layout.plot.left + half, (grid.at(0) + grid.at(1)) / 2 - half), QColor(255, 255, 128));

    const MarkBox &mark = layout.marks.last();
    QCOMPARE(mark.text, QStringLiteral("120"));
    QCOMPARE(at(image, mark.box.left + 1, mark.box.top + 1), QColor(255, 255, 128));
    QCOMPARE(at(image, mark.box.left, mark.box.top), QColor(0, 0, 0));
    QCOMPARE(at(image, mark.arrowFrom.x(), mark.arrowFrom.y() - 10), QColor(255, 255, 255));
    // black 2-pixel axis lines
    QCOMPARE(at(image, layout.plot.left - 1, layout.plot.top + 5), QColor(0, 0, 0));
    QCOMPARE(at(image, layout.plot.left - 2, layout.plot.top + 5), QColor(0, 0, 0));
    QCOMPARE(at(image, layout.plot.left + 40, layout.plot.bottom + 1), QColor(0, 0, 0));
}

void TestChartRender::backgroundAndBevelOnlyOnScreen()
{
    const QColor face = chart_->palette().color(QPalette::Button);
    QImage image = render(*chart_);
    QCOMPARE(at(image, 5, 5), face);
    QCOMPARE(at(image, 0, 0), QColor(255, 255, 255));
    QCOMPARE(at(image, 415, 280), QColor(128, 128, 128));

    chart_->setPrinting(true);
    image = render(*chart_);
    chart_->setPrinting(false);
    QCOMPARE(at(image, 5, 5), kUntouched);
    QCOMPARE(at(image, 0, 0), kUntouched);
    QCOMPARE(at(image, 415, 280), kUntouched);
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const PixelRect &f = layout.bars.first().front;
    QCOMPARE(at(image, f.left + 3, (f.top + f.bottom) / 2), QColor(255, 0, 0));
}

void TestChartRender::textAndLinesStandOutFromLightAndDarkFaces_data()
{
    QTest::addColumn<QColor>("face");
    QTest::newRow("light") << QColor(240, 240, 240);
    QTest::newRow("dark") << QColor(45, 45, 45);
    QTest::newRow("dim grey") << QColor(85, 85, 85);
    QTest::newRow("dark blue") << QColor(20, 20, 90);
}

// Title, axis labels, item names and the value-axis caption: the chart's own
// colours exactly on a light face, readable (4.5:1 at least) on any face.
// Axis lines, frame, ticks and grid likewise, visible (3:1) on any face.
void TestChartRender::textAndLinesStandOutFromLightAndDarkFaces()
{
    QFETCH(QColor, face);
    chart_->setPalette(QPalette(face));
    chart_->setBottomLabelsAngle(90);
    const QImage image = render(*chart_);
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const bool light = RelativeLuminance(face) > 0.5;
    for (const auto &[box, ownColour] : backgroundTexts(layout)) {
        const double contrast = bestContrast(image, box, face);
        QVERIFY2(contrast >= kReadableContrast, qPrintable(QString::number(contrast)));
        QCOMPARE(drawnInColour(image, box, ownColour, face), light);
    }
    for (const auto &[box, ownColour] : backgroundLines(layout)) {
        const double contrast = bestContrast(image, box, face);
        QVERIFY2(contrast >= kVisibleLineContrast, qPrintable(QString::number(contrast)));
        if (light)
            QVERIFY(holdsColour(image, box, ownColour));
    }
    // Printing keeps the chart's own colours whatever the screen shows.
    chart_->setPrinting(true);
    const QImage printed = render(*chart_);
    chart_->setPrinting(false);
    QVERIFY(drawnInColour(printed, layout.title.first().box, QColor(0, 0, 255), kUntouched));
    for (const auto &[box, ownColour] : backgroundLines(layout))
        QVERIFY(holdsColour(printed, box, ownColour));
}

void TestChartRender::screenReadersReadTitleAndBars()
{
    chart_->Series1.AppendBar(1234, DecodeLines("Caf\xE9").first());
    QAccessibleInterface *chart = QAccessible::queryAccessibleInterface(chart_.get());
    QCOMPARE(chart->role(), QAccessible::Chart);
    QCOMPARE(chart->text(QAccessible::Name), QStringLiteral("Today: 08/12/2026"));
    QCOMPARE(chart->text(QAccessible::Description),
             QStringLiteral("Minutes: Email 30; Coding 120; Caf\u00e9 1,234"));
    chart_->Series1.setMarksStyle(MarksStyle::smsPercent);
    chart_->setLeftAxisTitle(QStringLiteral("Percentage"));
    QCOMPARE(chart->text(QAccessible::Description),
             QStringLiteral("Percentage: Email 2 %; Coding 9 %; Caf\u00e9 89 %"));
    chart_->setFixedScales(ChartScales{{0.5, 1.5}, chart_->layoutFor(chart_->rect()).left.scale()});
    QCOMPARE(chart->text(QAccessible::Description), QStringLiteral("Percentage: Coding 9 %")); // the bars in view
    QCOMPARE(chart_->Series1.label(2), QStringLiteral("Caf\u00e9")); // drawn as it reads
}

void TestChartRender::barsAreClippedToThePlot()
{
    chart_->Series1.ClearBars();
    chart_->Series1.AppendBar(-100, QStringLiteral("Down"));
    chart_->Series1.AppendBar(100, QStringLiteral("Up"));
    const ChartLayout automatic = chart_->layoutFor(kBounds);
    // cut the value axis at -50: the bar of -100 leaves the plot
    const double top = automatic.left.hi;
    chart_->setFixedScales(ChartScales{automatic.bottom.scale(), {-50, top}});
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const QImage image = render(*chart_);
    const PixelRect &down = layout.bars.first().front;
    QVERIFY(down.bottom > layout.plot.bottom + 20);
    const int x = down.left + 3;
    QCOMPARE(at(image, x, layout.plot.bottom - 5), QColor(255, 0, 0));
    QVERIFY(at(image, x, layout.plot.bottom + 10) != QColor(255, 0, 0));
}

void TestChartRender::paintCopiesAnUpToDateBuffer()
{
    chart_->show();
    QVERIFY(QTest::qWaitForWindowExposed(chart_.get()));
    chart_->repaint();
    const int drawn = chart_->bufferRenderCount();
    QVERIFY(drawn >= 1);
    chart_->repaint();
    QCOMPARE(chart_->bufferRenderCount(), drawn);

    chart_->Series1.AppendBar(5, QStringLiteral("More"));
    chart_->Series1.AppendBar(6, QStringLiteral("Even more"));
    chart_->repaint();
    QCOMPARE(chart_->bufferRenderCount(), drawn + 1);

    chart_->resize(300, 200);
    chart_->repaint();
    QCOMPARE(chart_->bufferRenderCount(), drawn + 2);
    QCOMPARE(chart_->grab().toImage().pixelColor(150, 2), chart_->palette().color(QPalette::Button));

    chart_->setPrinting(true);
    chart_->invalidate();
    chart_->repaint();
    QCOMPARE(chart_->bufferRenderCount(), drawn + 2); // nothing is drawn while printing
    chart_->setPrinting(false);
    chart_->repaint();
    QCOMPARE(chart_->bufferRenderCount(), drawn + 3);
}

void TestChartRender::leftDragZoomsAndReverseDragUndoes()
{
    fillFourBars(chart_->Series1);
    const ChartLayout automatic = chart_->layoutFor(kBounds);
    const QPoint upperLeft(automatic.bottom.pixel(0.6), automatic.left.pixel(35));
    const QPoint lowerRight(automatic.bottom.pixel(2.4), automatic.left.pixel(5));
    drag(*chart_, Qt::LeftButton, upperLeft, lowerRight);

    const ChartScales expected{{automatic.bottom.value(upperLeft.x()), automatic.bottom.value(lowerRight.x())},
                               {automatic.left.value(lowerRight.y()), automatic.left.value(upperLeft.y())}};
    QCOMPARE(chart_->fixedScales(), std::optional<ChartScales>(expected));
    ChartLayout zoomed = chart_->layoutFor(kBounds);
    QCOMPARE(zoomed.scales(), expected);
    QCOMPARE(zoomed.bars.size(), 2);

    fillFourBars(chart_->Series1); // the next minute's redraw keeps the zoom
    zoomed = chart_->layoutFor(kBounds);
    QCOMPARE(zoomed.scales(), expected);

    drag(*chart_, Qt::LeftButton, lowerRight, upperLeft);
    QVERIFY(!chart_->fixedScales());
    QCOMPARE(chart_->layoutFor(kBounds).scales(), automatic.scales());
}

void TestChartRender::smallDragsChangeNothing_data()
{
    QTest::addColumn<QPoint>("moved");
    QTest::addColumn<bool>("zoomedBefore");
    QTest::newRow("16 across") << QPoint(16, 60) << false;
    QTest::newRow("16 down") << QPoint(60, 16) << false;
    QTest::newRow("click") << QPoint(0, 0) << false;
    QTest::newRow("small reverse keeps the zoom") << QPoint(-16, -40) << true;
    QTest::newRow("reverse across only keeps it") << QPoint(-60, 10) << true;
}

void TestChartRender::smallDragsChangeNothing()
{
    QFETCH(QPoint, moved);
    QFETCH(bool, zoomedBefore);
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const QPoint start(layout.plot.left + 100, layout.plot.top + 50);
    if (zoomedBefore)
        drag(*chart_, Qt::LeftButton, start, start + QPoint(100, 100));
    const std::optional<ChartScales> before = chart_->fixedScales();
    QCOMPARE(before.has_value(), zoomedBefore);
    drag(*chart_, Qt::LeftButton, start, start + moved);
    QCOMPARE(chart_->fixedScales(), before);
}

void TestChartRender::rubberBandIsDrawnWhileDragging()
{
    const QImage still = chart_->grab().toImage();
    const ChartLayout layout = chart_->layoutFor(kBounds);
    const QPoint from(layout.plot.left + 20, layout.plot.top + 20);
    const QPoint to = from + QPoint(10, 80);
    QTest::mousePress(chart_.get(), Qt::LeftButton, {}, from);
    QTest::mouseMove(chart_.get(), to);
    const QImage banded = chart_->grab().toImage();
    QVERIFY(banded.pixelColor(from.x(), from.y() + 40) != still.pixelColor(from.x(), from.y() + 40));
    QCOMPARE(banded.pixelColor(from.x() + 5, from.y() + 40), still.pixelColor(from.x() + 5, from.y() + 40));
    QTest::mouseRelease(chart_.get(), Qt::LeftButton, {}, to); // too narrow to zoom
    QCOMPARE(chart_->grab().toImage(), still);
}

void TestChartRender::rightDragScrollsBothAxes()
{
    chart_->setContextMenuPolicy(Qt::CustomContextMenu);
    QSignalSpy menu(chart_.get(), &QWidget::customContextMenuRequested);
    const ChartLayout automatic = chart_->layoutFor(kBounds);
    const QPoint from(automatic.plot.left + 100, automatic.plot.top + 100);
    const QPoint to = from + QPoint(40, 30);
    QTest::mousePress(chart_.get(), Qt::RightButton, {}, from);
    QTest::mouseMove(chart_.get(), to);
    QTest::mouseRelease(chart_.get(), Qt::RightButton, {}, to);

    const double across = automatic.bottom.value(from.x()) - automatic.bottom.value(to.x());
    const double up = automatic.left.value(from.y()) - automatic.left.value(to.y());
    QVERIFY(across < 0 && up > 0); // right and down: the picture follows the mouse
    const ChartScales before = automatic.scales();
    QCOMPARE(chart_->fixedScales(),
             std::optional<ChartScales>(ChartScales{{before.bottom.minimum + across, before.bottom.maximum + across},
                                                    {before.left.minimum + up, before.left.maximum + up}}));
    QCOMPARE(menu.count(), 0);
}

void TestChartRender::rightClickAsksForTheMenu()
{
    chart_->setContextMenuPolicy(Qt::CustomContextMenu);
    QSignalSpy menu(chart_.get(), &QWidget::customContextMenuRequested);
    const QPoint inPlot = chart_->layoutFor(kBounds).plot.toQRect().center();
    // the platform's menu event on the press does not open it: the release does
    QContextMenuEvent pressed(QContextMenuEvent::Mouse, inPlot, chart_->mapToGlobal(inPlot));
    QApplication::sendEvent(chart_.get(), &pressed);
    QCOMPARE(menu.count(), 0);
    QTest::mouseClick(chart_.get(), Qt::RightButton, {}, inPlot);
    QCOMPARE(menu.count(), 1);
    QCOMPARE(menu.first().first().toPoint(), inPlot);
    QTest::mouseClick(chart_.get(), Qt::RightButton, {}, QPoint(3, 3)); // outside the plot too
    QCOMPARE(menu.count(), 2);
    QVERIFY(!chart_->fixedScales());

    QContextMenuEvent key(QContextMenuEvent::Keyboard, inPlot, chart_->mapToGlobal(inPlot));
    QApplication::sendEvent(chart_.get(), &key);
    QCOMPARE(menu.count(), 3);
}

QTEST_MAIN(TestChartRender)
#include "test_chart_render.moc"
