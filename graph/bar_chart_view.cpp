#include "bar_chart_view.h"

#include <QPainter>

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
    labels_.append(label);
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

BarChartView::BarChartView(QWidget *parent) : QWidget(parent) {}

void BarChartView::setTitleLines(const QStringList &lines)
{
    titleLines_ = lines;
    invalidate();
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
    bottomLabelsFontSize_ = points;
    invalidate();
}

void BarChartView::setLocaleValues(const LocaleValues &locale)
{
    locale_ = locale;
    invalidate();
}

void BarChartView::invalidate()
{
    update();
}

void BarChartView::RenderChart(QPainter &painter, const QRect &rect)
{
    painter.fillRect(rect, palette().button());
}

void BarChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    RenderChart(painter, rect());
}
