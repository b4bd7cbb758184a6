#pragma once

#include <QRect>
#include <QSize>

// Margins of the printed chart, in whole percent of the page.
struct PrintMarginPercents {
    int left = 15;
    int top = 15;
    int right = 15;
    int bottom = 15;

    bool operator==(const PrintMarginPercents &other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// Proportional margins for printing a chart of chart pixels on a printable
// page of page printer pixels (landscape) with resolutions dpiX × dpiY.
// The long side of the chart gets 15 % on each side; the short side gets
// round(100 × (P − 0.6 × Q × ratio × dpiX / dpiY) / P) div 2 percent, where
// P is the page's extent along the short side, Q its extent along the long
// side and ratio the chart's short side over its long side. The factor 0.6
// makes the printout wider in proportion than the chart on screen.
// A margin that would be negative (a very flat page) is 0; an empty chart
// or page keeps 15 % all round.
PrintMarginPercents PrintMargins(QSize chart, QSize page, double dpiX, double dpiY);

// The print rectangle in printer pixels: left = round(left % × width),
// right = width − round(right % × width), and likewise top and bottom.
QRect PrintRectangle(const PrintMarginPercents &margins, QSize page);
