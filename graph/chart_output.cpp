#include "bar_chart_view.h"

#include <QPrinter>

void BarChartView::PrintGraphPage(QPrinter &) {}

void BarChartView::SaveChartBitmap(const QString &) {}
