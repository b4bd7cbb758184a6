#include "text_convert.h"

#include "hourwise_error.h"

#include <charconv>
#include <cmath>

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The format without its time zone fields (a word of one or more "t") and
// the spaces before them. Done by hand: a regular expression here was the
// only one that every start compiled.
QString withoutTimeZone(QString format)
{
    for (qsizetype i = 0; i < format.size();) {
        qsizetype end = i;
        while (end < format.size() && format.at(end) == u't')
            ++end;
        if (end == i) {
            ++i;
            continue;
        }
        const bool word = (i == 0 || !isWordChar(format.at(i - 1))) && (end == format.size() || !isWordChar(format.at(end)));
        if (!word) {
            i = end;
            continue;
        }
        qsizetype start = i;
        while (start > 0 && format.at(start - 1).isSpace())
            --start;
        format.remove(start, end - start);
        i = start;
    }
    return format.trimmed();
}

} // namespace

LocaleValues LocaleValues::fromLocale(const QLocale &locale)
{
    LocaleValues values;
    values.locale = locale;
    values.decimalSeparator = locale.decimalPoint().at(0);
    values.thousandsSeparator = locale.groupSeparator().isEmpty() ? QChar() : locale.groupSeparator().at(0);
    values.shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    // The clock shows the time of day alone: the long format's time zone is dropped.
    values.longTimeFormat = withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return values;
}

LocaleValues LocaleValues::fromSystem()
{
    return fromLocale(QLocale::system());
}

QString LocaleValues::formatShortDate(QDate date) const
{
    return locale.toString(date, shortDateFormat);
}

QString LocaleValues::formatLongTime(QTime time) const
{
    return locale.toString(time, longTimeFormat);
}

QString IntToStr(qint32 value)
{
    return QString::number(value);
}

namespace {

int digitValue(QChar c, int base)
{
    int v = -1;
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        v = c.unicode() - '0';
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        v = c.unicode() - 'a' + 10;
    else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        v = c.unicode() - 'A' + 10;
    return v < base ? v : -1;
}

// Length of a hexadecimal prefix at position i ("$", "x", "X", "0x", "0X"), 0 if none.
int hexPrefixLength(const QString &text, int i)
{
    const QChar c = text.at(i);
    if (c == QLatin1Char('$') || c == QLatin1Char('x') || c == QLatin1Char('X'))
        return 1;
    if (c == QLatin1Char('0') && i + 1 < text.size()
        && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X')))
        return 2;
    return 0;
}

} // namespace

qint32 TryStrToInt(const QString &text, bool *ok)
{
    *ok = false;
    int i = 0;
    const int n = text.size();
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        return 0;
    int base = 10;
    if (const int prefix = hexPrefixLength(text, i)) {
        base = 16;
        i += prefix;
    }
    if (i >= n)
        return 0;
    qint64 magnitude = 0;
    const qint64 limit = negative ? qint64(1) << 31 : (qint64(1) << 31) - 1;
    for (; i < n; ++i) {
        const int d = digitValue(text.at(i), base);
        if (d < 0)
            return 0;
        magnitude = magnitude * base + d;
        if (magnitude > limit)
            return 0;
    }
    *ok = true;
    return qint32(negative ? -magnitude : magnitude);
}

qint32 StrToInt(const QString &text)
{
    bool ok = false;
    const qint32 value = TryStrToInt(text, &ok);
    if (!ok)
        throw HourwiseError(QStringLiteral("'%1' is not a valid integer value").arg(QuotedExcerpt(text)));
    return value;
}

QString FloatToStr(double value, const LocaleValues &locale)
{
    constexpr int precision = 15;
    QString text;
    if (value == 0.0) {
        text = QStringLiteral("0");
    } else if (!std::isfinite(value)) {
        text = std::isnan(value) ? QStringLiteral("NAN") : value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    } else {
        const double magnitude = std::fabs(value);
        const int exponent = int(std::floor(std::log10(magnitude)));
        if (magnitude >= 1e-5 && exponent < precision) {
            // Fixed notation with 15 significant digits, trailing zeros dropped.
            const int decimals = std::max(0, precision - 1 - exponent);
            text = QString::number(value, 'f', decimals);
            if (text.contains(QLatin1Char('.'))) {
                while (text.endsWith(QLatin1Char('0')))
                    text.chop(1);
                if (text.endsWith(QLatin1Char('.')))
                    text.chop(1);
            }
        } else {
            // Scientific: mantissa with trailing zeros dropped, "E", signed exponent without padding.
            QString s = QString::number(value, 'e', precision - 1);
            const int e = s.indexOf(QLatin1Char('e'));
            QString mantissa = s.left(e);
            const int exp = s.mid(e + 1).toInt();
            if (mantissa.contains(QLatin1Char('.'))) {
                while (mantissa.endsWith(QLatin1Char('0')))
                    mantissa.chop(1);
                if (mantissa.endsWith(QLatin1Char('.')))
                    mantissa.chop(1);
            }
            text = mantissa + QLatin1Char('E') + QString::number(exp);
        }
    }
    text.replace(QLatin1Char('.'), locale.decimalSeparator);
    return text;
}

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Converts text that has passed the float syntax check. The separator
// becomes C's point, whatever the process locale. Short texts, which every
// key and count of the files is, go through a stack buffer without
// allocating, as the start-up reads thousands of them.
bool convertCheckedFloat(const QString &text, int separatorAt, double *value)
{
    char digits[64];
    const int n = int(text.size());
    if (n < int(sizeof digits)) {
        for (int k = 0; k < n; ++k)
            digits[k] = k == separatorAt ? '.' : char(text.at(k).unicode());
        const int start = digits[0] == '+' ? 1 : 0; // from_chars takes no plus sign
        const auto [end, error] = std::from_chars(digits + start, digits + n, *value);
        if (error == std::errc() && end == digits + n)
            return std::isfinite(*value);
        // Out of range: decided as for long texts below, so both agree on tiny values.
    }
    QByteArray plain = text.toLatin1();
    if (separatorAt >= 0)
        plain[separatorAt] = '.';
    bool ok = false;
    *value = plain.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// The float syntax, with isSeparator telling which characters may stand as
// the decimal separator. The text is checked first and converted only when
// well-formed, in one piece, so that a runaway field of megabytes fails fast.
template <typename IsSeparator>
bool tryStrToFloat(const QString &text, IsSeparator isSeparator, double *value)
{
    const QString trimmed = text.trimmed();
    const int n = trimmed.size();
    int i = 0;
    if (i < n && (trimmed.at(i) == QLatin1Char('+') || trimmed.at(i) == QLatin1Char('-')))
        ++i;
    int digits = 0;
    int separatorAt = -1;
    for (; i < n; ++i) {
        const QChar c = trimmed.at(i);
        if (isDigit(c))
            ++digits;
        else if (separatorAt < 0 && isSeparator(c))
            separatorAt = i;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < n && (trimmed.at(i) == QLatin1Char('e') || trimmed.at(i) == QLatin1Char('E'))) {
        ++i;
        if (i < n && (trimmed.at(i) == QLatin1Char('+') || trimmed.at(i) == QLatin1Char('-')))
            ++i;
        const int exponentStart = i;
        while (i < n && isDigit(trimmed.at(i)))
            ++i;
        if (i == exponentStart)
            return false;
    }
    if (i != n)
        return false;
    return convertCheckedFloat(trimmed, separatorAt, value);
}

[[noreturn]] void throwNotAFloat(const QString &text)
{
    throw HourwiseError(QStringLiteral("'%1' is not a valid floating point value").arg(QuotedExcerpt(text)));
}

// A day key's separator: the locale's, or any that a locale writes, since
// the files may have been written under another locale: ".", "," and the
// Arabic decimal separator U+066B of Arabic-script locales (ar_EG, fa_IR).
auto dayKeySeparator(const LocaleValues &locale)
{
    return [&locale](QChar c) {
        return c == locale.decimalSeparator || c == QLatin1Char('.') || c == QLatin1Char(',')
            || c == kArabicDecimalSeparator;
    };
}

} // namespace

double StrToFloat(const QString &text, const LocaleValues &locale)
{
    double value = 0;
    if (!tryStrToFloat(text, [&locale](QChar c) { return c == locale.decimalSeparator; }, &value))
        throwNotAFloat(text);
    return value;
}

double StrToDayKey(const QString &text, const LocaleValues &locale)
{
    double value = 0;
    if (!tryStrToFloat(text, dayKeySeparator(locale), &value))
        throwNotAFloat(text);
    return value;
}

bool TryStrToDayKey(const QString &text, const LocaleValues &locale, double *value)
{
    return tryStrToFloat(text, dayKeySeparator(locale), value);
}

bool IsDayKeyOf(const QString &text, double day, const LocaleValues &locale)
{
    double value = 0;
    return TryStrToDayKey(text, locale, &value) && value == day;
}

QString QuotedExcerpt(const QString &text)
{
    constexpr int kLongest = 40;
    return text.size() <= kLongest ? text : text.left(kLongest) + QChar(0x2026);
}
