#include "text_contrast.h"

#include <cmath>

namespace {

double linearChannel(double value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

QColor mixed(const QColor &from, const QColor &to, double share)
{
    const auto channel = [share](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

} // namespace

double RelativeLuminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green())
        + 0.0722 * linearChannel(rgb.blue());
}

double ContrastRatio(const QColor &a, const QColor &b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

namespace {

// `preferred` when it reaches `enough` against `background`; otherwise
// `preferred` mixed towards white or black (whichever stands out more from
// the background) just far enough to reach `aim`, or that extreme itself.
QColor standingOut(const QColor &preferred, const QColor &background, double enough, double aim)
{
    if (ContrastRatio(preferred, background) >= enough)
        return preferred;
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    const QColor extreme = ContrastRatio(white, background) >= ContrastRatio(black, background) ? white : black;
    constexpr int kSteps = 32;
    for (int step = 1; step < kSteps; ++step) {
        const QColor candidate = mixed(preferred, extreme, double(step) / kSteps);
        if (ContrastRatio(candidate, background) >= aim)
            return candidate;
    }
    return extreme;
}

} // namespace

QColor ReadableOn(const QColor &preferred, const QColor &background)
{
    return standingOut(preferred, background, kReadableContrast, kReplacedTextContrast);
}

QColor VisibleOn(const QColor &preferred, const QColor &background)
{
    return standingOut(preferred, background, kVisibleLineContrast, kVisibleLineContrast);
}
