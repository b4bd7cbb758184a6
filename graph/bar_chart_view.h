#pragma once

#include "chart_layout.h"
#include "text_convert.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QStringList>
#include <QVector>
#include <QWidget>

#include <memory>
#include <optional>

class BarChartView;
class QPainter;
class QPrinter;

// The colour a bar is appended with when it has none of its own: it is then
// drawn in the series colour.
inline const QColor DefaultBarColor{};

// The chart's one bar series. Every change asks its view for a repaint.
class BarSeries {
public:
    explicit BarSeries(BarChartView &view) : view_(view) {}

    void ClearBars();
    // Appends a bar at x = the number of bars held before; returns its index.
    // The label is kept as it reads (undecodable bytes as Latin-1 characters).
    int AppendBar(double value, const QString &label, const QColor &color = DefaultBarColor);

    int count() const { return int(values_.size()); }
    double value(int index) const { return values_.at(index); }
    QString label(int index) const { return labels_.at(index); }
    const QVector<double> &values() const { return values_; }
    const QStringList &labels() const { return labels_; }
    QColor color(int index) const; // as drawn: its own colour or SeriesColor

    MarksStyle marksStyle() const { return marksStyle_; }
    void setMarksStyle(MarksStyle style);

    QColor SeriesColor{255, 0, 0};

private:
    BarChartView &view_;
    QVector<double> values_;
    QStringList labels_;
    QVector<QColor> colors_;
    MarksStyle marksStyle_ = MarksStyle::smsValue;
};

// The 3D bar chart of the main window. Rendering goes through one function,
// RenderChart, used by the screen (through an off-screen buffer), the printer
// and the bitmap writer.
//
// Mouse: a left drag right and down by more than 16 pixels each way zooms
// into the dragged rectangle; a drag of that size in any other direction
// undoes the zoom. A right drag inside the plot scrolls both axes. A right
// click without a drag asks for the context menu on release, through the
// widget's context menu policy (customContextMenuRequested for
// Qt::CustomContextMenu); the platform's own context menu event on a mouse
// press is swallowed, since only the release tells a click from a scroll.
class BarChartView : public QWidget {
    Q_OBJECT
public:
    explicit BarChartView(QWidget *parent = nullptr);

    BarSeries Series1{*this};

    QStringList titleLines() const { return titleLines_; }
    void setTitleLines(const QStringList &lines);
    QString leftAxisTitle() const { return leftAxisTitle_; }
    void setLeftAxisTitle(const QString &caption);
    int bottomLabelsAngle() const { return bottomLabelsAngle_; }
    void setBottomLabelsAngle(int degrees);
    int bottomLabelsFontSize() const { return bottomLabelsFontSize_; }
    void setBottomLabelsFontSize(int points);
    // Separators for the number formats of labels and marks.
    void setLocaleValues(const LocaleValues &locale);

    // What the chart shows, for screen readers: the value-axis caption, then
    // each bar's label and mark text, "Minutes: Email 30; Coding 1,234", for the
    // bars in view; with a note, the note first ("3 computers counted. Minutes: ...").
    QString barsDescription() const;
    void setAccessibleDescriptionNote(const QString &note) { descriptionNote_ = note; }

    // Renders the whole chart into rect of the painter's surface. The
    // painter may be scaled (a printer page); the chart is laid out in the
    // rectangle's own units.
    void RenderChart(QPainter &painter, const QRect &rect);
    // Where everything goes when the chart is rendered into rect.
    ChartLayout layoutFor(const QRect &rect) const;
    ChartScales scalesFor(const QRect &rect) const; // as layoutFor's, cheaper
    int barsWhoseMarksFit(const QRect &rect) const;

    // The axis scales that zooming or scrolling fixed; none while both axes
    // are automatic. They survive every redraw until the zoom is undone.
    std::optional<ChartScales> fixedScales() const { return fixedScales_; }
    void setFixedScales(const std::optional<ChartScales> &scales);
    // The scales a view opens on (none: automatic axes), which undoing a
    // zoom returns to: a long Days view opens on its last days.
    std::optional<ChartScales> homeScales() const { return homeScales_; }
    void setHomeScales(const std::optional<ChartScales> &scales);

    // Prints the chart on one landscape page of the printer.
    void PrintGraphPage(QPrinter &printer);
    // Writes the chart as a Windows BMP file. Throws HourwiseError
    // "Cannot create file ..." when the file cannot be written.
    void SaveChartBitmap(const QString &path);

    // While printing, screen paints are skipped, the background and bevel are
    // not drawn, white label text is drawn black and grid lines are one
    // printer pixel wide. Ending it repaints what was skipped.
    bool isPrinting() const { return printing_; }
    void setPrinting(bool printing);

    // Marks the picture out of date and asks for a repaint.
    void invalidate();
    // How often the screen picture has been drawn into its buffer; a paint
    // of an up-to-date picture only copies the buffer.
    int bufferRenderCount() const { return bufferRenders_; }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    enum class Drag { None, Zoom, Scroll };

    ChartInputs inputsFor(const QRect &rect) const;
    void renderBuffer();
    void paintRubberBand(QPainter &painter) const;
    void finishZoom(QPoint end);
    void scroll(QPoint from, QPoint to);
    void requestContextMenu(QPoint at);

    QStringList titleLines_{QStringLiteral("TChart")};
    QString leftAxisTitle_{QStringLiteral("Minutes")};
    QString descriptionNote_;
    int bottomLabelsAngle_ = 90;
    int bottomLabelsFontSize_ = 8;
    LocaleValues locale_;
    ChartFonts fonts_;
    std::unique_ptr<FontMeasure> measure_; // remembers text widths between redraws
    QVector<QHash<QString, QStaticText>> shapedTexts_ = QVector<QHash<QString, QStaticText>>(5); // by ChartText
    bool printing_ = false;
    std::optional<ChartScales> fixedScales_;
    std::optional<ChartScales> homeScales_;

    Drag drag_ = Drag::None;
    QPoint dragStart_;
    QPoint dragLast_;
    bool rightButtonMoved_ = false; // a right press that moved is no click

    QImage buffer_;
    bool bufferCurrent_ = false;
    int bufferRenders_ = 0;
};
