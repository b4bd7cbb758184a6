#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// The user's regional settings that the program uses. Read from the system
// locale at start and again when the system announces a change; tests build
// their own (for instance with a comma as decimal separator).
struct LocaleValues {
    QChar decimalSeparator = QLatin1Char('.');
    QChar thousandsSeparator = QLatin1Char(',');
    QString shortDateFormat = QStringLiteral("dd/MM/yyyy");
    QString longTimeFormat = QStringLiteral("HH:mm:ss");
    QLocale locale = QLocale::c(); // for month and day names in the formats

    static LocaleValues fromLocale(const QLocale &locale);
    static LocaleValues fromSystem();

    QString formatShortDate(QDate date) const;
    QString formatLongTime(QTime time) const;
};

// Decimal, minus sign when negative, no grouping.
QString IntToStr(qint32 value);

// Optional leading blanks, optional sign, then decimal digits, or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Nothing may follow; the value must
// fit in 32 bits. Throws HourwiseError "'%s' is not a valid integer value"
// (%s being the QuotedExcerpt of the text).
qint32 StrToInt(const QString &text);

// Like StrToInt, but reports failure through ok instead of throwing.
qint32 TryStrToInt(const QString &text, bool *ok);

// General format: at most 15 significant digits, trailing zeros dropped, no
// grouping, the locale's decimal separator; scientific notation ("1.5E20")
// only for values too large or too small for 15 digits in fixed notation.
QString FloatToStr(double value, const LocaleValues &locale);

// Optional blanks around, optional sign, digits with at most one locale
// decimal separator, optional exponent. Throws HourwiseError
// "'%s' is not a valid floating point value" (%s: the QuotedExcerpt).
double StrToFloat(const QString &text, const LocaleValues &locale);

// The decimal separator of Arabic-script locales (ar_EG, ar_SA, fa_IR).
inline constexpr QChar kArabicDecimalSeparator = QChar(0x066B);

// A day key to its value: StrToFloat, but with ".", "," and
// kArabicDecimalSeparator taken as the decimal separator besides the
// locale's, so that keys written under any locale read under any other.
// Same error as StrToFloat.
double StrToDayKey(const QString &text, const LocaleValues &locale);

// Like StrToDayKey, but reports failure through the result instead of throwing.
bool TryStrToDayKey(const QString &text, const LocaleValues &locale, double *value);

// Whether text is the day key of day, compared by value as StrToDayKey reads
// it; false for any text that is not a number. A count line of the switch
// log (an integer) never equals a key, which always ends in .5.
bool IsDayKeyOf(const QString &text, double day, const LocaleValues &locale);

// A text as error messages quote it: whole when short, else its first 40
// characters and "…", so that a runaway field of megabytes neither floods
// the message box nor takes long to show.
QString QuotedExcerpt(const QString &text);
