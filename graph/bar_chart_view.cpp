#include "bar_chart_view.h"

#include "chart_accessible.h"
#include "line_file.h"
#include "text_contrast.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStaticText>

#include <algorithm>
#include <iterator>

using namespace ChartGeometry;

namespace {

const QColor kTitleColor(0, 0, 255);
const QColor kLeftWallColor(255, 255, 128);
const QColor kBottomWallColor(255, 255, 255);
const QColor kGridColor(128, 128, 128);
const QColor kTickColor(128, 128, 128);
const QColor kAxisLineColor(0, 0, 0);
const QColor kLabelColor(0, 0, 0);
const QColor kEdgeColor(0, 0, 0);
const QColor kMarkFillColor(255, 255, 128);
const QColor kMarkArrowColor(255, 255, 255);
const QColor kBevelLight(255, 255, 255);
const QColor kBevelShadow(128, 128, 128);
constexpr int kZoomThreshold = 16; // pixels a zoom drag must exceed both ways
constexpr int kSideDarkening = 128;
constexpr int kTopDarkening = 64;

QColor darkened(const QColor &color, int by)
{
    return QColor(std::max(0, color.red() - by), std::max(0, color.green() - by), std::max(0, color.blue() - by));
}

QPolygon quad(QPoint a, QPoint b, QPoint c, QPoint d)
{
    return QPolygon({a, b, c, d});
}

// Draws a ChartLayout: background, title, walls, axes, bars, marks, in that
// order, so that bars and marks cover the walls, grid and axes.
class ChartPainter {
public:
    ChartPainter(QPainter &painter, const ChartLayout &layout, const ChartFonts &fonts,
                 QVector<QHash<QString, QStaticText>> &shapedTexts, const BarSeries &series, const QColor &background,
                 bool printing)
        : p_(painter), layout_(layout), fonts_(fonts), shapedTexts_(shapedTexts), series_(series),
          background_(background), printing_(printing), depth_(layout.depth),
          titleColor_(printing ? kTitleColor : ReadableOn(kTitleColor, background)),
          labelColor_(printing ? printedLabelColor() : ReadableOn(kLabelColor, background)),
          frameColor_(lineOn(kEdgeColor)), axisLineColor_(lineOn(kAxisLineColor)), tickColor_(lineOn(kTickColor)),
          backGridColor_(lineOn(kGridColor))
    {
    }

    void paint()
    {
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, false);
        if (!printing_)
            paintBackground();
        paintTitle();
        paintWalls();
        paintBottomAxis();
        paintLeftAxis();
        paintBars();
        paintMarks();
        p_.restore();
    }

private:
    QPoint back(int x, int y) const { return QPoint(x + depth_, y - depth_); }

    // A line drawn on the background: in the chart's own colour on paper and
    // wherever that stands out from the face; else in one that does (lighter
    // on a dark face).
    QColor lineOn(const QColor &own) const { return printing_ ? own : VisibleOn(own, background_); }

    // Printing on white paper: white label text would vanish.
    static QColor printedLabelColor() { return kLabelColor == Qt::white ? QColor(Qt::black) : kLabelColor; }

    void paintBackground()
    {
        const QRect r = layout_.bounds.toQRect();
        p_.fillRect(r, background_);
        const int right = layout_.bounds.right - 1;
        const int bottom = layout_.bounds.bottom - 1;
        p_.setPen(QPen(kBevelLight, 1));
        p_.drawLine(r.left(), r.top(), right, r.top());
        p_.drawLine(r.left(), r.top(), r.left(), bottom);
        p_.setPen(QPen(kBevelShadow, 1));
        p_.drawLine(r.left(), bottom, right, bottom);
        p_.drawLine(right, r.top(), right, bottom);
    }

    void paintTitle()
    {
        p_.setPen(titleColor_);
        paintTexts(ChartText::Title, layout_.title);
    }

    void paintWalls()
    {
        const PixelRect &plot = layout_.plot;
        p_.setPen(QPen(frameColor_, 1));
        p_.setBrush(Qt::NoBrush);
        p_.drawPolygon(quad(back(plot.left, plot.top), back(plot.right, plot.top), back(plot.right, plot.bottom),
                            back(plot.left, plot.bottom)));
        p_.setBrush(kLeftWallColor);
        p_.drawPolygon(quad(QPoint(plot.left, plot.top), back(plot.left, plot.top), back(plot.left, plot.bottom),
                            QPoint(plot.left, plot.bottom)));
        p_.setBrush(kBottomWallColor);
        p_.drawPolygon(quad(QPoint(plot.left, plot.bottom), back(plot.left, plot.bottom),
                            back(plot.right, plot.bottom), QPoint(plot.right, plot.bottom)));
        p_.setBrush(Qt::NoBrush);
    }

    // On a printer a pen of width 0 is one printer pixel, so the dots stay dots.
    QPen gridPen(const QColor &color) const { return QPen(color, printing_ ? 0 : 1, Qt::DotLine); }

    // A grid line runs along a wall, in the grid colour that stands out from
    // the chart's light walls, then across the unfilled back wall, where the
    // background shows through.
    void paintGridLine(QPoint front, QPoint backEnd)
    {
        const QPoint corner = back(front.x(), front.y());
        p_.setPen(gridPen(kGridColor));
        p_.drawLine(front, corner);
        p_.setPen(gridPen(backGridColor_));
        p_.drawLine(corner, backEnd);
    }

    // A text fills its box from the top left; an upward text starts at the
    // box's bottom. Texts are shaped once and kept for the next redraws.
    void paintText(ChartText role, const PlacedText &text)
    {
        constexpr int kRemembered = 4096; // per font; far more than a chart shows
        QHash<QString, QStaticText> &shaped = shapedTexts_[int(role)];
        auto found = shaped.find(text.text);
        if (found == shaped.end()) {
            if (shaped.size() >= kRemembered)
                shaped.clear();
            QStaticText fresh(text.text);
            fresh.setTextFormat(Qt::PlainText);
            found = shaped.insert(text.text, fresh);
        }
        if (text.angle == 0) {
            p_.drawStaticText(QPoint(text.box.left, text.box.top), *found);
            return;
        }
        p_.save();
        p_.translate(text.box.left, text.box.bottom);
        p_.rotate(-90);
        p_.drawStaticText(QPoint(0, 0), *found);
        p_.restore();
    }

    void paintTexts(ChartText role, const QVector<PlacedText> &texts)
    {
        p_.setFont(fonts_.of(role));
        for (const PlacedText &text : texts)
            paintText(role, text);
    }

    void paintBottomAxis()
    {
        const PixelRect &plot = layout_.plot;
        const AxisLayout &axis = layout_.bottom;
        for (int x : axis.labelPixels)
            paintGridLine(QPoint(x, plot.bottom), back(x, plot.top));
        const int tickTop = plot.bottom + AxisLineWidth;
        p_.setPen(QPen(tickColor_, 1));
        for (int x : axis.labelPixels)
            p_.drawLine(x, tickTop, x, tickTop + TickLength - 1);
        for (int x : axis.minorTickPixels)
            p_.drawLine(x, tickTop, x, tickTop + MinorTickLength - 1);
        p_.setPen(labelColor_);
        paintTexts(ChartText::BottomLabels, axis.labels);
        p_.fillRect(plot.left - AxisLineWidth, plot.bottom, plot.width() + AxisLineWidth, AxisLineWidth,
                    axisLineColor_);
    }

    void paintLeftAxis()
    {
        const PixelRect &plot = layout_.plot;
        const AxisLayout &axis = layout_.left;
        for (int y : axis.labelPixels)
            paintGridLine(QPoint(plot.left, y), back(plot.right, y));
        const int tickRight = plot.left - AxisLineWidth - 1;
        p_.setPen(QPen(tickColor_, 1));
        for (int y : axis.labelPixels)
            p_.drawLine(tickRight - TickLength + 1, y, tickRight, y);
        for (int y : axis.minorTickPixels)
            p_.drawLine(tickRight - MinorTickLength + 1, y, tickRight, y);
        p_.setPen(labelColor_);
        paintTexts(ChartText::LeftLabels, axis.labels);
        p_.fillRect(plot.left - AxisLineWidth, plot.top, AxisLineWidth, plot.height() + AxisLineWidth,
                    axisLineColor_);
        if (layout_.leftTitle) {
            p_.setPen(labelColor_);
            paintTexts(ChartText::LeftTitle, {*layout_.leftTitle});
        }
    }

    // Faces are filled without a pen and edged afterwards, bar by bar, so
    // that a bar covers the side of its left neighbour where they overlap.
    void paintBars()
    {
        p_.save();
        p_.setClipRect(layout_.plotWithDepth().toQRect(), Qt::IntersectClip);
        const QPen edgePen(kEdgeColor, 1);
        for (const BarBox &bar : layout_.bars) {
            const QColor color = series_.color(bar.index);
            const PixelRect &f = bar.front;
            const QPoint topLeft(f.left, f.top), topRight(f.right, f.top), bottomRight(f.right, f.bottom),
                bottomLeft(f.left, f.bottom);
            const QPoint backTopLeft = back(f.left, f.top), backTopRight = back(f.right, f.top),
                         backBottomRight = back(f.right, f.bottom);
            p_.setPen(Qt::NoPen);
            p_.fillRect(f.toQRect(), color);
            p_.setBrush(darkened(color, kSideDarkening));
            p_.drawPolygon(quad(topRight, backTopRight, backBottomRight, bottomRight));
            p_.setBrush(darkened(color, kTopDarkening));
            p_.drawPolygon(quad(topLeft, backTopLeft, backTopRight, topRight));
            p_.setPen(edgePen);
            const QLine edges[] = {{topLeft, topRight},         {topRight, bottomRight},
                                   {bottomRight, bottomLeft},   {bottomLeft, topLeft},
                                   {topLeft, backTopLeft},      {backTopLeft, backTopRight},
                                   {topRight, backTopRight},    {backTopRight, backBottomRight},
                                   {backBottomRight, bottomRight}};
            p_.drawLines(edges, int(std::size(edges)));
        }
        p_.restore();
    }

    // An arrow the colour of its bar or of the background would not show.
    QColor arrowColor(const QColor &barColor) const
    {
        const bool hidden = kMarkArrowColor == barColor || kMarkArrowColor == background_;
        return hidden ? QColor(Qt::black) : kMarkArrowColor;
    }

    void paintMarks()
    {
        p_.setFont(fonts_.marks);
        p_.setBrush(Qt::NoBrush);

        for (const MarkBox &mark : layout_.marks) {
            p_.setPen(QPen(arrowColor(series_.color(mark.index)), 1));
            p_.drawLine(mark.arrowFrom, mark.arrowTo);
            const QRect box = mark.box.toQRect();
            p_.fillRect(box, kMarkFillColor);
            p_.setPen(QPen(kEdgeColor, MarkFrameWidth));
            p_.drawRect(box.adjusted(0, 0, -1, -1));
            p_.setPen(kLabelColor);
            paintText(ChartText::Marks, PlacedText{mark.text, mark.textBox, 0});
        }
    }

    QPainter &p_;
    const ChartLayout &layout_;
    const ChartFonts &fonts_;
    QVector<QHash<QString, QStaticText>> &shapedTexts_; // by ChartText
    const BarSeries &series_;
    const QColor background_;
    const bool printing_;
    const int depth_;
    // Texts drawn on the background: the chart's own colours where they
    // stand out from it (a light face, paper), else lighter ones (a dark face).
    const QColor titleColor_;
    const QColor labelColor_;
    // Lines on the background, likewise: they reach a contrast of 3:1.
    const QColor frameColor_; // the walls' outlines
    const QColor axisLineColor_;
    const QColor tickColor_;
    const QColor backGridColor_; // the grid where it crosses the back wall
};

} // namespace

void BarSeries::ClearBars()
{
    values_.clear();
    labels_.clear();
    colors_.clear();
    view_.invalidate();
}

int BarSeries::AppendBar(double value, const QString &label, const QColor &color)
{
    values_.append(value);
    labels_.append(ReadableText(label));
    colors_.append(color);
    view_.invalidate();
    return count() - 1;
}

QColor BarSeries::color(int index) const
{
    const QColor own = colors_.at(index);
    return own.isValid() ? own : SeriesColor;
}

void BarSeries::setMarksStyle(MarksStyle style)
{
    marksStyle_ = style;
    view_.invalidate();
}

BarChartView::BarChartView(QWidget *parent)
    : QWidget(parent), fonts_(bottomLabelsFontSize_), measure_(std::make_unique<FontMeasure>(fonts_))
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the buffer covers every pixel
    InstallChartAccessibility();
}

void BarChartView::setTitleLines(const QStringList &lines)
{
    titleLines_ = lines;
    invalidate();
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&renamed);
    }
}

void BarChartView::setLeftAxisTitle(const QString &caption)
{
    leftAxisTitle_ = caption;
    invalidate();
}

void BarChartView::setBottomLabelsAngle(int degrees)
{
    bottomLabelsAngle_ = degrees;
    invalidate();
}

void BarChartView::setBottomLabelsFontSize(int points)
{
    if (points != bottomLabelsFontSize_) {
        fonts_ = ChartFonts(points);
        measure_ = std::make_unique<FontMeasure>(fonts_);
        shapedTexts_[int(ChartText::BottomLabels)].clear();
    }
    bottomLabelsFontSize_ = points;
    invalidate();
}

void BarChartView::setLocaleValues(const LocaleValues &locale)
{
    locale_ = locale;
    invalidate();
}

void BarChartView::setPrinting(bool printing)
{
    printing_ = printing;
    if (!printing)
        update();
}

void BarChartView::setFixedScales(const std::optional<ChartScales> &scales)
{
    fixedScales_ = scales;
    invalidate();
}

void BarChartView::setHomeScales(const std::optional<ChartScales> &scales)
{
    homeScales_ = scales;
    setFixedScales(scales);
}

void BarChartView::invalidate()
{
    bufferCurrent_ = false;
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

QString BarChartView::barsDescription() const
{
    // The bars in view: a scrolled Days view of years would otherwise read
    // out thousands of days. A bar whose mark a zoom leaves out is read all the same.
    const double total = MarkTotal(Series1.values());
    QStringList bars;
    for (const BarBox &bar : layoutFor(rect()).bars) {
        const QString mark = MarkText(Series1.value(bar.index), Series1.marksStyle(), total, locale_);
        bars << Series1.label(bar.index) + QLatin1Char(' ') + mark;
    }
    const QString description = leftAxisTitle_ + QStringLiteral(": ") + bars.join(QStringLiteral("; "));
    return descriptionNote_.isEmpty() ? description : descriptionNote_ + QStringLiteral(". ") + description;
}

ChartInputs BarChartView::inputsFor(const QRect &rect) const
{
    ChartInputs inputs;
    inputs.bounds = rect;
    inputs.values = Series1.values();
    inputs.labels = Series1.labels();
    inputs.titleLines = titleLines_;
    inputs.leftAxisTitle = leftAxisTitle_;
    inputs.bottomLabelsAngle = bottomLabelsAngle_;
    inputs.marksStyle = Series1.marksStyle();
    inputs.locale = locale_;
    inputs.fixedScales = fixedScales_;
    return inputs;
}

ChartLayout BarChartView::layoutFor(const QRect &rect) const
{
    return LayOutChart(inputsFor(rect), *measure_);
}

ChartScales BarChartView::scalesFor(const QRect &rect) const
{
    return ScalesOfChart(inputsFor(rect), *measure_);
}

int BarChartView::barsWhoseMarksFit(const QRect &rect) const
{
    return BarsWhoseMarksFit(inputsFor(rect), *measure_);
}

void BarChartView::RenderChart(QPainter &painter, const QRect &rect)
{
    const ChartLayout layout = layoutFor(rect);
    ChartPainter(painter, layout, fonts_, shapedTexts_, Series1, palette().color(QPalette::Button), printing_).paint();
}

void BarChartView::renderBuffer()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (buffer_.size() != pixels)
        buffer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    buffer_.setDevicePixelRatio(ratio);
    buffer_.fill(Qt::white);
    QPainter painter(&buffer_);
    RenderChart(painter, rect());
    bufferCurrent_ = true;
    ++bufferRenders_;
}

void BarChartView::paintEvent(QPaintEvent *)
{
    if (printing_)
        return;
    if (!bufferCurrent_ || buffer_.size() != size() * devicePixelRatioF())
        renderBuffer();
    QPainter painter(this);
    if (drag_ != Drag::Zoom) {
        painter.drawImage(0, 0, buffer_);
        return;
    }
    QImage frame = buffer_.copy();
    frame.setDevicePixelRatio(buffer_.devicePixelRatio());
    QPainter band(&frame);
    paintRubberBand(band);
    band.end();
    painter.drawImage(0, 0, frame);
}

// Drawn with a not-xor pen on a copy of the buffer: drawing the same
// rectangle twice would restore the picture.
void BarChartView::paintRubberBand(QPainter &painter) const
{
    const QColor background = palette().color(QPalette::Button);
    const QColor ink = background == QColor(Qt::white) ? QColor(Qt::black) : background;
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(dragStart_, dragLast_).normalized());
}

bool BarChartView::event(QEvent *event)
{
    if (event->type() == QEvent::ContextMenu
        && static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse) {
        event->accept(); // the right button's release decides, see mouseReleaseEvent
        return true;
    }
    return QWidget::event(event);
}

void BarChartView::requestContextMenu(QPoint at)
{
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, mapToGlobal(at));
    QWidget::event(&menu); // applies the context menu policy
}

void BarChartView::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    dragStart_ = dragLast_ = at;
    const ChartLayout layout = layoutFor(rect());
    if (event->button() == Qt::LeftButton) {
        // the plot with its back and the axes' room beside it
        const PixelRect &chart = layout.chart;
        const PixelRect area{chart.left, chart.top - layout.depth, chart.right + layout.depth, chart.bottom};
        drag_ = area.contains(at) ? Drag::Zoom : Drag::None;
        update();
    } else if (event->button() == Qt::RightButton) {
        rightButtonMoved_ = false;
        drag_ = layout.plot.contains(at) ? Drag::Scroll : Drag::None;
    }
}

void BarChartView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (drag_ == Drag::Zoom) {
        dragLast_ = at;
        update();
        return;
    }
    if (!(event->buttons() & Qt::RightButton))
        return;
    if (!rightButtonMoved_ && (at - dragStart_).manhattanLength() < QApplication::startDragDistance())
        return;
    rightButtonMoved_ = true;
    if (drag_ != Drag::Scroll)
        return;
    if (!layoutFor(rect()).plot.contains(at)) {
        drag_ = Drag::None; // leaving the plot ends the scroll
        return;
    }
    scroll(dragLast_, at);
    dragLast_ = at;
}

void BarChartView::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && drag_ == Drag::Zoom) {
        drag_ = Drag::None;
        finishZoom(at);
        update();
    } else if (event->button() == Qt::RightButton) {
        drag_ = Drag::None;
        if (!rightButtonMoved_)
            requestContextMenu(at);
    }
}

// Undoing gives back the scales from before the first zoom or scroll: the
// view's own, automatic unless the view fixed them.
void BarChartView::finishZoom(QPoint end)
{
    const QPoint moved = end - dragStart_;
    if (qAbs(moved.x()) <= kZoomThreshold || qAbs(moved.y()) <= kZoomThreshold)
        return;
    if (moved.x() < 0 || moved.y() < 0) {
        setFixedScales(homeScales_);
        return;
    }
    const ChartLayout layout = layoutFor(rect());
    setFixedScales(ChartScales{{layout.bottom.value(dragStart_.x()), layout.bottom.value(end.x())},
                               {layout.left.value(end.y()), layout.left.value(dragStart_.y())}});
}

// Shifts both axes by the values between the two mouse positions, so that
// the picture follows the mouse.
void BarChartView::scroll(QPoint from, QPoint to)
{
    const ChartLayout layout = layoutFor(rect());
    const double across = layout.bottom.value(from.x()) - layout.bottom.value(to.x());
    const double up = layout.left.value(from.y()) - layout.left.value(to.y());
    const ChartScales now = layout.scales();
    setFixedScales(ChartScales{{now.bottom.minimum + across, now.bottom.maximum + across},
                               {now.left.minimum + up, now.left.maximum + up}});
}
