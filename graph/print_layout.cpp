#include "print_layout.h"

#include <algorithm>
#include <cmath>

namespace {

// The margin along the chart's short side, where pageShort is the page's
// extent in that direction and pageLong in the other.
int shortSideMargin(double pageShort, double pageLong, double ratio, double dpiX, double dpiY)
{
    const double picture = 0.6 * pageLong * ratio * (dpiX / dpiY);
    const long percent = std::lround(100.0 * (pageShort - picture) / pageShort);
    return int(std::max(0L, percent / 2));
}

int percentOf(int percent, int extent)
{
    return int(std::lround(percent * double(extent) / 100.0));
}

} // namespace

PrintMarginPercents PrintMargins(QSize chart, QSize page, double dpiX, double dpiY)
{
    PrintMarginPercents margins;
    if (chart.isEmpty() || page.isEmpty() || dpiX <= 0 || dpiY <= 0)
        return margins;
    const double w = chart.width();
    const double h = chart.height();
    if (h < w) {
        margins.top = margins.bottom = shortSideMargin(page.height(), page.width(), h / w, dpiX, dpiY);
    } else {
        margins.left = margins.right = shortSideMargin(page.width(), page.height(), w / h, dpiX, dpiY);
    }
    return margins;
}

QRect PrintRectangle(const PrintMarginPercents &margins, QSize page)
{
    const int left = percentOf(margins.left, page.width());
    const int right = page.width() - percentOf(margins.right, page.width());
    const int top = percentOf(margins.top, page.height());
    const int bottom = page.height() - percentOf(margins.bottom, page.height());
    return QRect(left, top, right - left, bottom - top);
}
