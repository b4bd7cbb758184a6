#include "number_format.h"

#include <cmath>

namespace {

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('#') || c == QLatin1Char('0') || c == QLatin1Char(',') || c == QLatin1Char('.');
}

struct Picture {
    QString prefix;
    QString suffix;
    int minIntegerDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
};

Picture parsePicture(const QString &pattern)
{
    Picture picture;
    int first = 0;
    while (first < pattern.size() && !isPlaceholder(pattern.at(first)))
        ++first;
    int last = int(pattern.size()) - 1;
    while (last >= first && !isPlaceholder(pattern.at(last)))
        --last;
    picture.prefix = pattern.left(first);
    picture.suffix = pattern.mid(last + 1);
    bool inDecimals = false;
    for (int i = first; i <= last; ++i) {
        const QChar c = pattern.at(i);
        if (c == QLatin1Char('.')) {
            inDecimals = true;
        } else if (c == QLatin1Char(',')) {
            picture.grouping = picture.grouping || !inDecimals;
        } else if (inDecimals) {
            ++picture.maxDecimals;
            if (c == QLatin1Char('0'))
                picture.minDecimals = picture.maxDecimals;
        } else if (c == QLatin1Char('0')) {
            ++picture.minIntegerDigits;
        }
    }
    return picture;
}

// The digits of |value| rounded to `decimals` places, as integer and fraction parts.
void roundedDigits(double magnitude, int decimals, QString &integerPart, QString &fraction)
{
    const double scaled = std::round(magnitude * std::pow(10.0, decimals));
    QString digits;
    if (scaled < 1e15) {
        digits = QString::number(qint64(scaled)).rightJustified(decimals + 1, QLatin1Char('0'));
    } else { // beyond exact integers: the fixed notation rounds well enough
        digits = QString::number(magnitude, 'f', decimals).remove(QLatin1Char('.'));
    }
    integerPart = digits.left(digits.size() - decimals);
    fraction = digits.right(decimals);
}

QString grouped(const QString &digits, QChar separator)
{
    QString result;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            result += separator;
        result += digits.at(i);
    }
    return result;
}

} // namespace

QString FormatNumber(double value, const QString &pattern, const LocaleValues &locale)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const Picture picture = parsePicture(pattern);
    QString integerPart, fraction;
    roundedDigits(std::fabs(value), picture.maxDecimals, integerPart, fraction);

    while (fraction.size() > picture.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    int leadingZeros = 0;
    while (leadingZeros < integerPart.size() && integerPart.at(leadingZeros) == QLatin1Char('0'))
        ++leadingZeros;
    integerPart = integerPart.mid(leadingZeros).rightJustified(picture.minIntegerDigits, QLatin1Char('0'));

    const QString shownDigits = integerPart + fraction;
    const bool allZero = shownDigits.count(QLatin1Char('0')) == shownDigits.size();
    if (picture.grouping && !locale.thousandsSeparator.isNull())
        integerPart = grouped(integerPart, locale.thousandsSeparator);

    QString text = picture.prefix + integerPart;
    if (!fraction.isEmpty())
        text += locale.decimalSeparator + fraction;
    text += picture.suffix;
    return value < 0 && !allZero ? QLatin1Char('-') + text : text;
}
