#pragma once

// Geometry of the bar chart, apart from any drawing: where the title, walls,
// axes, labels, bars and marks go for a given size, data and settings. The
// painter walks the result; the zoom maps mouse pixels back through it.

#include "text_convert.h"

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QVector>

#include <optional>

// What the marks above the bars show: the bar's value, or its share of the
// sum of the absolute values of all bars.
enum class MarksStyle { smsValue, smsPercent };

// A rectangle by its edges; it is right - left pixels wide and bottom - top
// pixels high, the pixels at right and bottom lying outside it.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(QPoint p) const { return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom; }
    QRect toQRect() const { return QRect(left, top, width(), height()); }
    bool operator==(const PixelRect &o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The texts of the chart, each measured in its own font.
enum class ChartText { Title, LeftLabels, LeftTitle, BottomLabels, Marks };

// Text measurement for the layout: the line height of a font is the height
// of "W" in it.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int lineHeight(ChartText role) const = 0;
    virtual int width(ChartText role, const QString &text) const = 0;
    // The width of the widest of the texts (0 for none).
    virtual int widestWidth(ChartText role, const QStringList &texts) const;
};

// The chart's fonts: Arial (regular) at the given points, sized in pixels of
// a 96-dpi surface so that a scaled painter (a printer page) scales the text
// with the rest of the picture.
struct ChartFonts {
    QFont title;
    QFont leftLabels;
    QFont leftTitle;
    QFont bottomLabels;
    QFont marks;

    explicit ChartFonts(int bottomLabelsPoints);
    const QFont &of(ChartText role) const;
};

// Measures with the metrics of ChartFonts. Widths are remembered, since a
// redraw mostly measures the texts of the previous one again.
class FontMeasure : public TextMeasure {
public:
    explicit FontMeasure(const ChartFonts &fonts);
    int lineHeight(ChartText role) const override;
    int width(ChartText role, const QString &text) const override;
    int widestWidth(ChartText role, const QStringList &texts) const override;

private:
    struct Widest {
        QStringList texts;
        int width = 0;
    };
    int widestShaped(ChartText role, const QStringList &texts) const;

    QVector<QFontMetrics> metrics_;
    QVector<QFontMetricsF> exactMetrics_;
    mutable QVector<QHash<QString, int>> widths_;
    mutable QVector<Widest> widest_; // the last texts asked for, per font
};

// The value range of an axis: the values at its two ends.
struct AxisScale {
    double minimum = 0;
    double maximum = 0;
    bool operator==(const AxisScale &o) const { return minimum == o.minimum && maximum == o.maximum; }
};

struct ChartScales {
    AxisScale bottom;
    AxisScale left;
    bool operator==(const ChartScales &o) const { return bottom == o.bottom && left == o.left; }
};

// Everything the geometry depends on.
struct ChartInputs {
    QRect bounds;
    QVector<double> values;
    QStringList labels;
    QStringList titleLines;
    QString leftAxisTitle;
    int bottomLabelsAngle = 0; // 0 horizontal, 90 reading upward
    MarksStyle marksStyle = MarksStyle::smsValue;
    LocaleValues locale;
    std::optional<ChartScales> fixedScales; // set while zoomed or scrolled
};

// A text and the box it fills on the surface: its measured width and one
// line height. At angle 90 the text reads upward inside the box, from the
// box's bottom to its top.
struct PlacedText {
    QString text;
    PixelRect box;
    int angle = 0;
};

// One axis: a linear map from values lo..hi onto pixels startPixel..endPixel
// (the bottom axis runs left to right, the left axis bottom to top).
struct AxisLayout {
    double lo = 0;
    double hi = 0;
    int startPixel = 0;
    int endPixel = 0;
    double increment = 1; // between value labels; unused for text labels
    QVector<int> labelPixels; // where ticks and grid lines stand
    QVector<PlacedText> labels;
    QVector<int> minorTickPixels;

    // A range of width 0 maps every value onto the middle of the axis.
    int pixel(double value) const;
    // The value under a pixel: the inverse of pixel(), lo for a range of width 0.
    double value(int pixel) const;
    AxisScale scale() const { return {lo, hi}; }
};

struct BarBox {
    int index = 0;
    PixelRect front; // the front face; the box reaches back by the chart's depth
};

struct MarkBox {
    int index = 0;
    QString text;
    PixelRect box;        // already moved back by half the depth
    QPoint arrowFrom;     // the middle of the bar's end, at half depth
    QPoint arrowTo;       // ArrowLength pixels beyond it
    PixelRect textBox;    // the text, centred in the box
};

struct ChartLayout {
    PixelRect bounds;
    QVector<PlacedText> title;
    PixelRect chart; // the axes' and plot's room: after margins, title and depth
    int depth = 0;
    PixelRect plot;
    AxisLayout bottom;
    AxisLayout left;
    std::optional<PlacedText> leftTitle;
    int barWidth = 0;
    QVector<BarBox> bars; // only the bars within the bottom axis range, left to right
    QVector<MarkBox> marks; // the bars' marks; while zoomed or scrolled, those wholly inside plotWithDepth()

    ChartScales scales() const { return {bottom.scale(), left.scale()}; }
    // The plot's front rectangle together with its back, which lies depth
    // pixels up and to the right: what bars are clipped to.
    PixelRect plotWithDepth() const { return {plot.left, plot.top - depth, plot.right + depth, plot.bottom}; }
};

// Fixed values of the chart's look that the layout uses.
namespace ChartGeometry {
constexpr int ArrowLength = 20;     // between a bar's end and its mark
constexpr int MarkFrameWidth = 1;
constexpr int AxisLineWidth = 2;
constexpr int TickLength = 4;
constexpr int MinorTickLength = 2;
constexpr int Chart3DPercent = 15;
constexpr int BarWidthPercent = 70;
constexpr int LabelsSeparationPercent = 10;
constexpr int TitleGap = 5;         // below the last title line
constexpr int MarkGap = 2;          // between marks side by side
constexpr int LeftTitleGap = 4;     // between the value axis's caption and its labels
constexpr int AxisDrawRoom = AxisLineWidth + TickLength;
} // namespace ChartGeometry

ChartLayout LayOutChart(const ChartInputs &inputs, const TextMeasure &measure);
// The scales LayOutChart would give, without placing labels, bars or marks.
ChartScales ScalesOfChart(const ChartInputs &inputs, const TextMeasure &measure);
// How many bars the plot can hold side by side with the widest of their
// marks beside each other.
int BarsWhoseMarksFit(const ChartInputs &inputs, const TextMeasure &measure);

// The text of a bar's mark: its value, or its share of the total (the sum
// of the absolute values) in whole percent, 100 % when that total is 0.
double MarkTotal(const QVector<double> &values);
QString MarkText(double value, MarksStyle style, double total, const LocaleValues &locale);

// The increment between value labels for a range of values drawn along an
// axis of `axisLength` pixels with labels `labelSize` pixels long: a value
// of the sequence ..., 0.1, 0.2, 0.5, 1, 2, 5, 10, ... so that the labels fit.
double LabelIncrement(double range, int axisLength, int labelSize);

// The values that get a label on an axis from lo to hi, highest first.
QVector<double> LabelValues(double lo, double hi, double increment);
