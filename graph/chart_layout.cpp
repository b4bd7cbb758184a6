#include "chart_layout.h"

#include "number_format.h"

#include <algorithm>
#include <cmath>

using namespace ChartGeometry;

namespace {

const QString kAxisValuesFormat = QStringLiteral("#,##0.###");
const QString kValueFormat = QStringLiteral("#,##0.###");
const QString kPercentFormat = QStringLiteral("##0 %");

constexpr double kTinyIncrement = 1e-12;
constexpr double kLabelTolerance = 1e-12;
constexpr double kMaxLabelsPerAxis = 10000;
// Far zoomed or scrolled values map outside the surface; this keeps them in
// the range that integers and the painter handle.
constexpr double kPixelLimit = 1e6;

QFont arialOfPoints(int points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0))));
    return font;
}

int roundToInt(double value)
{
    return int(std::lround(value));
}

int madeEven(int width)
{
    return width % 2 == 0 ? width : width + 1;
}

// Widens min..max so that, on an axis of `length` pixels, min lies roomAtMin
// pixels from its start and max roomAtMax pixels from its end. A range of
// width 0, or an axis too short for the room, is left as it is.
AxisScale widened(double min, double max, int length, int roomAtMin, int roomAtMax)
{
    const int span = length - roomAtMin - roomAtMax;
    if (max <= min || span <= 0)
        return {min, max};
    const double perPixel = (max - min) / span;
    return {min - roomAtMin * perPixel, max + roomAtMax * perPixel};
}

bool encloses(const PixelRect &outer, const PixelRect &inner)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top
        && inner.bottom <= outer.bottom;
}

bool withinRange(const AxisLayout &axis, double value)
{
    return value >= axis.lo - kLabelTolerance && value <= axis.hi + kLabelTolerance;
}


void addMinorTicks(AxisLayout &axis)
{
    for (int i = 1; i < axis.labelPixels.size(); ++i) {
        const int from = axis.labelPixels.at(i - 1);
        const int to = axis.labelPixels.at(i);
        for (int j = 1; j <= 3; ++j)
            axis.minorTickPixels << from + roundToInt((to - from) * j / 4.0);
    }
}

class ChartLayouter {
public:
    ChartLayouter(const ChartInputs &inputs, const TextMeasure &measure)
        : in_(inputs), measure_(measure), count_(int(inputs.values.size())),
          textLabels_(count_ > 0 && !inputs.labels.value(0).isEmpty())
    {
    }

    ChartLayout run()
    {
        layOutAxes();
        placeBottomLabels();
        placeBars();
        placeMarks();
        return out_;
    }

    ChartScales scales()
    {
        layOutAxes();
        return out_.scales();
    }

    int barsWhoseMarksFit()
    {
        layOutAxes();
        double farthest = 0;
        for (double v : in_.values)
            farthest = std::fabs(v) > std::fabs(farthest) ? v : farthest;
        const QString widest = MarkText(farthest, in_.marksStyle, MarkTotal(in_.values), in_.locale);
        return out_.plot.width() / (markBoxWidth(width(ChartText::Marks, widest)) + MarkGap);
    }

private:
    int lineHeight(ChartText role) const { return measure_.lineHeight(role); }

    void layOutAxes()
    {
        placeChartRect();
        placeTitle();
        takeDepth();
        placePlotBottom();
        layOutLeftAxis();
        placeLeftLabels();
        layOutBottomAxis();
    }

    int width(ChartText role, const QString &text) const { return measure_.width(role, text); }
    int markBoxWidth(int textWidth) const
    {
        return textWidth + width(ChartText::Marks, QStringLiteral("W")) + 2 * MarkFrameWidth;
    }

    void placeChartRect()
    {
        const QRect &b = in_.bounds;
        out_.bounds = {b.x(), b.y(), b.x() + b.width(), b.y() + b.height()};
        chart_ = out_.bounds;
        const int horizontal = roundToInt(b.width() * 3 / 100.0);
        const int vertical = roundToInt(b.height() * 4 / 100.0);
        chart_.left += horizontal;
        chart_.right -= horizontal;
        chart_.top += vertical;
        chart_.bottom -= vertical;
    }

    void placeTitle()
    {
        const int height = lineHeight(ChartText::Title);
        const int centre = (chart_.left + chart_.right) / 2;
        for (const QString &line : in_.titleLines) {
            const int lineWidth = width(ChartText::Title, line);
            const int left = centre - lineWidth / 2;
            out_.title << PlacedText{line, {left, chart_.top, left + lineWidth, chart_.top + height}, 0};
            chart_.top += height;
        }
        if (!in_.titleLines.isEmpty())
            chart_.top += TitleGap;
    }

    void takeDepth()
    {
        out_.depth = std::max(0, roundToInt(0.001 * Chart3DPercent * chart_.width()));
        chart_.right -= out_.depth;
        chart_.top += out_.depth;
        out_.chart = chart_;
    }

    // Room below the plot for the bottom labels: across the axis a label
    // takes a line height at angle 0 and its text width at angle 90.
    void placePlotBottom()
    {
        int extent = 0;
        if (in_.bottomLabelsAngle == 0) {
            extent = lineHeight(ChartText::BottomLabels);
        } else if (textLabels_) {
            extent = measure_.widestWidth(ChartText::BottomLabels, in_.labels);
        } else {
            extent = std::max(width(ChartText::BottomLabels, FormatNumber(0, kAxisValuesFormat, in_.locale)),
                              width(ChartText::BottomLabels,
                                    FormatNumber(std::max(0, count_ - 1), kAxisValuesFormat, in_.locale)));
        }
        out_.plot.top = chart_.top;
        out_.plot.bottom = std::max(chart_.top, chart_.bottom - extent - AxisDrawRoom);
    }

    void layOutLeftAxis()
    {
        AxisLayout &axis = out_.left;
        axis.startPixel = out_.plot.bottom;
        axis.endPixel = out_.plot.top;
        if (in_.fixedScales) {
            axis.lo = in_.fixedScales->left.minimum;
            axis.hi = in_.fixedScales->left.maximum;
        } else {
            double least = 0;
            double greatest = 0;
            for (double v : in_.values) {
                least = std::min(least, v);
                greatest = std::max(greatest, v);
            }
            const int markRoom = lineHeight(ChartText::Marks) + ArrowLength + 2 * MarkFrameWidth + 1;
            const AxisScale scale = widened(least, greatest, out_.plot.height(), least < 0 ? markRoom : 0,
                                            greatest > 0 && count_ > 0 ? markRoom : 0);
            axis.lo = scale.minimum;
            axis.hi = scale.maximum;
        }
        axis.increment = LabelIncrement(axis.hi - axis.lo, out_.plot.height(), lineHeight(ChartText::LeftLabels));
    }

    // The left labels' widths decide where the plot starts.
    void placeLeftLabels()
    {
        AxisLayout &axis = out_.left;
        QVector<QString> texts;
        QVector<int> widths;
        int widest = 0;
        for (double v : LabelValues(axis.lo, axis.hi, axis.increment)) {
            texts << FormatNumber(v, kAxisValuesFormat, in_.locale);
            widths << width(ChartText::LeftLabels, texts.last());
            widest = std::max(widest, widths.last());
            axis.labelPixels << axis.pixel(v);
        }
        const bool hasTitle = !in_.leftAxisTitle.isEmpty();
        const int titleHeight = hasTitle ? lineHeight(ChartText::LeftTitle) : 0;
        out_.plot.left = std::min(chart_.right, chart_.left + titleHeight + widest + AxisDrawRoom);
        out_.plot.right = chart_.right;

        const int height = lineHeight(ChartText::LeftLabels);
        const int labelsRight = out_.plot.left - AxisDrawRoom;
        for (int i = 0; i < texts.size(); ++i) {
            const int top = axis.labelPixels.at(i) - height / 2;
            axis.labels << PlacedText{texts.at(i), {labelsRight - widths.at(i), top, labelsRight, top + height}, 0};
        }
        addMinorTicks(axis);

        if (hasTitle) {
            // The caption's line ends where the widest label begins, and its
            // descenders ("g") reach that end: it stands LeftTitleGap pixels
            // out into the panel margin, so that the plot keeps its place.
            const int gap = std::clamp(chart_.left - out_.bounds.left - 1, 0, LeftTitleGap);
            const int left = chart_.left - gap;
            const int length = width(ChartText::LeftTitle, in_.leftAxisTitle);
            const int top = (out_.plot.top + out_.plot.bottom) / 2 - length / 2;
            out_.leftTitle = PlacedText{in_.leftAxisTitle, {left, top, left + titleHeight, top + length}, 90};
        }
    }

    // Bars get 70 % of the room for one bar, which counts one spare bar for
    // the side margins. A fixed scale keeps the bars' width in values, so
    // that zooming in widens them.
    void layOutBottomAxis()
    {
        AxisLayout &axis = out_.bottom;
        axis.startPixel = out_.plot.left;
        axis.endPixel = out_.plot.right;
        const int length = out_.plot.width();
        const int barWidth = count_ == 0 ? 0 : madeEven(roundToInt(BarWidthPercent / 100.0 * (length / (count_ + 1))));
        const AxisScale automatic = widened(0, std::max(0, count_ - 1), length, barWidth, barWidth);
        out_.barWidth = barWidth;
        if (!in_.fixedScales) {
            axis.lo = automatic.minimum;
            axis.hi = automatic.maximum;
            return;
        }
        axis.lo = in_.fixedScales->bottom.minimum;
        axis.hi = in_.fixedScales->bottom.maximum;
        const double automaticSpan = automatic.maximum - automatic.minimum;
        const double fixedSpan = axis.hi - axis.lo;
        // More bars than pixels leaves them no width of their own; zoomed in,
        // they get their exact share of the axis.
        const double unzoomed = barWidth > 0 || count_ == 0 ? barWidth : BarWidthPercent / 100.0 * length / (count_ + 1);
        if (automaticSpan > 0 && fixedSpan > 0) {
            const double zoomed = std::min(unzoomed * automaticSpan / fixedSpan, 4.0 * std::max(1, length));
            out_.barWidth = madeEven(roundToInt(zoomed));
        }
    }

    void placeBottomLabels()
    {
        if (textLabels_)
            placeTextLabels();
        else
            placeValueLabels();
        addMinorTicks(out_.bottom);
    }

    PixelRect bottomLabelBox(int centre, int alongAxis, int acrossAxis) const
    {
        const int left = centre - alongAxis / 2;
        const int top = out_.plot.bottom + AxisDrawRoom;
        return {left, top, left + alongAxis, top + acrossAxis};
    }

    void placeBottomLabel(const QString &text, int centre)
    {
        const int height = lineHeight(ChartText::BottomLabels);
        const int textWidth = width(ChartText::BottomLabels, text);
        const bool upright = in_.bottomLabelsAngle != 0;
        const PixelRect box
            = upright ? bottomLabelBox(centre, height, textWidth) : bottomLabelBox(centre, textWidth, height);
        out_.bottom.labelPixels << centre;
        out_.bottom.labels << PlacedText{text, box, upright ? 90 : 0};
    }

    // The text as wide as maxWidth at most: its start and an ellipsis, or
    // the whole text when not even the ellipsis fits.
    QString elided(const QString &text, int maxWidth) const
    {
        if (width(ChartText::BottomLabels, text) <= maxWidth)
            return text;
        const QString ellipsis(QChar(0x2026));
        const auto shortened = [&](qsizetype length) {
            if (length > 0 && text.at(length - 1).isHighSurrogate())
                --length;
            return text.left(length).trimmed() + ellipsis;
        };
        qsizetype fits = -1; // the longest start that fits with the ellipsis
        for (qsizetype low = 0, high = text.size() - 1; low <= high;) {
            const qsizetype middle = (low + high) / 2;
            if (width(ChartText::BottomLabels, shortened(middle)) <= maxWidth) {
                fits = middle;
                low = middle + 1;
            } else {
                high = middle - 1;
            }
        }
        return fits < 0 ? text : shortened(fits);
    }

    // Side by side, a label may take the room between its bar and the next
    // less the labels' separation: a longer one is shortened rather than
    // left to hide its neighbour's, so that each of the few bars that stand
    // side by side keeps a name.
    int horizontalLabelRoom() const
    {
        const AxisLayout &axis = out_.bottom;
        const int room = count_ > 1 ? std::abs(axis.pixel(1) - axis.pixel(0)) : out_.plot.width();
        return room * 100 / (100 + 2 * LabelsSeparationPercent);
    }

    // One label per bar, skipping a label that would overlap the last one drawn.
    void placeTextLabels()
    {
        const AxisLayout &axis = out_.bottom;
        const bool sideBySide = in_.bottomLabelsAngle == 0;
        const int room = sideBySide ? horizontalLabelRoom() : 0;
        bool first = true;
        int lastCentre = 0;
        int lastHalf = 0;
        for (int i = 0; i < count_; ++i) {
            if (!withinRange(axis, i))
                continue;
            const QString text = sideBySide ? elided(in_.labels.at(i), room) : in_.labels.at(i);
            const int centre = axis.pixel(i);
            const int extent = sideBySide ? width(ChartText::BottomLabels, text) : lineHeight(ChartText::BottomLabels);
            const int half = first ? extent / 2 : (extent + int(extent * 0.2)) / 2;
            if (!first && centre - half < lastCentre + lastHalf)
                continue;
            placeBottomLabel(text, centre);
            first = false;
            lastCentre = centre;
            lastHalf = half;
        }
    }

    void placeValueLabels()
    {
        AxisLayout &axis = out_.bottom;
        const int labelSize = in_.bottomLabelsAngle == 0
            ? std::max(width(ChartText::BottomLabels, FormatNumber(axis.lo, kAxisValuesFormat, in_.locale)),
                       width(ChartText::BottomLabels, FormatNumber(axis.hi, kAxisValuesFormat, in_.locale)))
            : lineHeight(ChartText::BottomLabels);
        axis.increment = LabelIncrement(axis.hi - axis.lo, out_.plot.width(), labelSize);
        for (double v : LabelValues(axis.lo, axis.hi, axis.increment))
            placeBottomLabel(FormatNumber(v, kAxisValuesFormat, in_.locale), axis.pixel(v));
    }

    void placeBars()
    {
        const int zero = out_.left.pixel(0);
        for (int i = 0; i < count_; ++i) {
            if (!withinRange(out_.bottom, i))
                continue;
            const int left = out_.bottom.pixel(i) - out_.barWidth / 2;
            const int end = out_.left.pixel(in_.values.at(i));
            out_.bars << BarBox{i, {left, std::min(end, zero), left + out_.barWidth, std::max(end, zero)}};
        }
    }

    // Each mark stands ArrowLength pixels beyond its bar's end (above a bar of
    // 0 or more, below a negative one), centred on the bar, at half depth.
    // Automatic scales leave room for the marks above and below the bars;
    // zoomed or scrolled, a bar's end may lie near or beyond the plot's
    // edge, and a mark that would not stand wholly inside the plot (over the
    // title, the axis labels or the margin) is left out.
    void placeMarks()
    {
        const double total = MarkTotal(in_.values);
        const int lineHeightOfMarks = lineHeight(ChartText::Marks);
        const QPoint halfDepth(out_.depth / 2, -(out_.depth / 2));
        for (const BarBox &bar : out_.bars) {
            const double value = in_.values.at(bar.index);
            MarkBox mark;
            mark.index = bar.index;
            mark.text = MarkText(value, in_.marksStyle, total, in_.locale);
            const int textWidth = width(ChartText::Marks, mark.text);
            const int boxWidth = markBoxWidth(textWidth);
            const int boxHeight = lineHeightOfMarks + 2 * MarkFrameWidth;
            const int centre = bar.front.left + out_.barWidth / 2;
            const bool upward = value >= 0;
            const int barEnd = upward ? bar.front.top : bar.front.bottom;
            const int top = upward ? barEnd - boxHeight + 1 - ArrowLength : barEnd + ArrowLength;
            const int left = centre - boxWidth / 2;
            mark.box = {left + halfDepth.x(), top + halfDepth.y(), left + boxWidth + halfDepth.x(),
                        top + boxHeight + halfDepth.y()};
            mark.arrowFrom = QPoint(centre, barEnd) + halfDepth;
            mark.arrowTo = mark.arrowFrom + QPoint(0, upward ? -ArrowLength : ArrowLength);
            const int textLeft = mark.box.left + boxWidth / 2 - textWidth / 2;
            const int textTop = mark.box.top + MarkFrameWidth;
            mark.textBox = {textLeft, textTop, textLeft + textWidth, textTop + lineHeightOfMarks};
            if (in_.fixedScales && !encloses(out_.plotWithDepth(), mark.box))
                continue;
            out_.marks << mark;
        }
    }

    const ChartInputs &in_;
    const TextMeasure &measure_;
    const int count_;
    const bool textLabels_; // judged by the first bar's label
    PixelRect chart_;
    ChartLayout out_;
};

} // namespace

ChartFonts::ChartFonts(int bottomLabelsPoints)
    : title(arialOfPoints(8)), leftLabels(arialOfPoints(8)), leftTitle(arialOfPoints(8)),
      bottomLabels(arialOfPoints(bottomLabelsPoints)), marks(arialOfPoints(8))
{
}

const QFont &ChartFonts::of(ChartText role) const
{
    switch (role) {
    case ChartText::Title:
        return title;
    case ChartText::LeftLabels:
        return leftLabels;
    case ChartText::LeftTitle:
        return leftTitle;
    case ChartText::BottomLabels:
        return bottomLabels;
    case ChartText::Marks:
        break;
    }
    return marks;
}

FontMeasure::FontMeasure(const ChartFonts &fonts) : widths_(5), widest_(5)
{
    for (ChartText role :
         {ChartText::Title, ChartText::LeftLabels, ChartText::LeftTitle, ChartText::BottomLabels, ChartText::Marks})
    {
        metrics_ << QFontMetrics(fonts.of(role));
        exactMetrics_ << QFontMetricsF(fonts.of(role));
    }
}

int FontMeasure::lineHeight(ChartText role) const
{
    return metrics_.at(int(role)).height();
}

int TextMeasure::widestWidth(ChartText role, const QStringList &texts) const
{
    int widest = 0;
    for (const QString &text : texts)
        widest = std::max(widest, width(role, text));
    return widest;
}

int FontMeasure::widestWidth(ChartText role, const QStringList &texts) const
{
    // The remembered list keeps its data alive, so the same data pointer
    // means the same texts: a redraw of a Days view measures them once.
    Widest &last = widest_[int(role)];
    if (last.texts.constData() != texts.constData() || last.texts.size() != texts.size())
        last = {texts, widestShaped(role, texts)};
    return last.width;
}

int FontMeasure::widestShaped(ChartText role, const QStringList &texts) const
{
    // Shaping a text costs some microseconds, and a Days view of 30 years has
    // 11,000 labels. A text of simple characters is as wide as its
    // characters' advances plus the kerning of each pair of neighbours, so
    // each character and pair is shaped once for an estimate, and only the
    // texts whose estimate comes near the largest are shaped whole. Texts
    // that shaping may join or reorder (combining marks, other scripts) are
    // all shaped.
    constexpr char16_t kSimpleEnd = 0x0300;
    const QFontMetricsF &metrics = exactMetrics_.at(int(role));
    std::vector<qreal> advances(kSimpleEnd, -1);
    QHash<quint32, qreal> kernings;
    const auto advance = [&](char16_t c) {
        if (advances[c] < 0)
            advances[c] = metrics.horizontalAdvance(QString(QChar(c)));
        return advances[c];
    };
    const auto kerning = [&](char16_t a, char16_t b) {
        const quint32 pair = quint32(a) << 16 | b;
        auto found = kernings.constFind(pair);
        if (found == kernings.constEnd()) {
            const QChar both[] = {QChar(a), QChar(b)};
            found = kernings.insert(pair, metrics.horizontalAdvance(QString(both, 2)) - advance(a) - advance(b));
        }
        return *found;
    };
    std::vector<qreal> estimates;
    estimates.reserve(size_t(texts.size()));
    qreal largest = 0;
    for (const QString &text : texts) {
        qreal estimate = 0;
        char16_t previous = 0;
        for (const QChar c : text) {
            if (c.unicode() >= kSimpleEnd)
                return TextMeasure::widestWidth(role, texts);
            estimate += advance(c.unicode()) + (previous ? kerning(previous, c.unicode()) : 0);
            previous = c.unicode();
        }
        estimates.push_back(estimate);
        largest = std::max(largest, estimate);
    }
    constexpr qreal kSlack = 2; // rounding, and what pairs cannot tell
    int widest = 0;
    for (qsizetype i = 0; i < texts.size(); ++i)
        if (estimates[size_t(i)] + kSlack >= largest)
            widest = std::max(widest, width(role, texts.at(i)));
    return widest;
}

int FontMeasure::width(ChartText role, const QString &text) const
{
    constexpr int kRemembered = 16384; // per font; a Days view of 30 years holds 11,000 labels
    QHash<QString, int> &known = widths_[int(role)];
    const auto found = known.constFind(text);
    if (found != known.constEnd())
        return *found;
    if (known.size() >= kRemembered)
        known.clear();
    const int measured = metrics_.at(int(role)).horizontalAdvance(text);
    known.insert(text, measured);
    return measured;
}

int AxisLayout::pixel(double value) const
{
    if (hi == lo)
        return (startPixel + endPixel) / 2;
    const double offset = std::round((value - lo) * (endPixel - startPixel) / (hi - lo));
    return int(std::clamp(startPixel + offset, -kPixelLimit, kPixelLimit));
}

double AxisLayout::value(int pixel) const
{
    if (hi == lo || endPixel == startPixel)
        return lo;
    return lo + (pixel - startPixel) * (hi - lo) / (endPixel - startPixel);
}

double LabelIncrement(double range, int axisLength, int labelSize)
{
    const int spacing = labelSize + roundToInt(labelSize * LabelsSeparationPercent / 100.0);
    const int fitting = labelSize == 0 ? 1 : roundToInt(double(axisLength) / spacing);
    if (fitting < 1)
        return kTinyIncrement;
    // increment = mantissa × 10^exponent, mantissa stepping 1, 2, 5
    static constexpr int kMantissas[] = {1, 2, 5};
    int mantissa = 0;
    int exponent = range < 1 ? -12 : 0;
    double increment = std::pow(10.0, exponent);
    while (std::round(range / increment) > fitting && exponent < 308) {
        if (++mantissa == 3) {
            mantissa = 0;
            ++exponent;
        }
        increment = kMantissas[mantissa] * std::pow(10.0, exponent);
    }
    return std::max(increment, kTinyIncrement);
}

QVector<double> LabelValues(double lo, double hi, double increment)
{
    if (lo == hi)
        return {hi};
    if ((hi - lo) / increment >= kMaxLabelsPerAxis)
        return {};
    // Labels stand at whole multiples of the increment, counted down from
    // the highest one not above hi; hi / increment may fall a hair short of
    // a whole number that it stands for.
    const double highest = std::floor(hi / increment + 1e-9);
    QVector<double> values;
    for (int i = 0; i <= kMaxLabelsPerAxis; ++i) {
        const double value = (highest - i) * increment;
        if (value < lo - kLabelTolerance)
            break;
        values << value;
    }
    return values;
}

ChartLayout LayOutChart(const ChartInputs &inputs, const TextMeasure &measure)
{
    return ChartLayouter(inputs, measure).run();
}

ChartScales ScalesOfChart(const ChartInputs &inputs, const TextMeasure &measure)
{
    return ChartLayouter(inputs, measure).scales();
}

int BarsWhoseMarksFit(const ChartInputs &inputs, const TextMeasure &measure)
{
    return ChartLayouter(inputs, measure).barsWhoseMarksFit();
}

double MarkTotal(const QVector<double> &values)
{
    double absoluteTotal = 0;
    for (double v : values)
        absoluteTotal += std::fabs(v);
    return absoluteTotal;
}

QString MarkText(double value, MarksStyle style, double total, const LocaleValues &locale)
{
    if (style == MarksStyle::smsValue)
        return FormatNumber(value, kValueFormat, locale);
    const double percent = total == 0 ? 100 : std::fabs(value) * 100 / total;
    return FormatNumber(percent, kPercentFormat, locale);
}
