#pragma once

#include "text_convert.h"

#include <QString>

// Formats a number by a numeric picture pattern such as "#,##0.###" or "##0 %":
// - "0" is a digit that is always shown, "#" a digit shown only when significant;
// - "," anywhere in the integer part groups the integer digits by three with
//   the locale's thousands separator (no grouping when it is null);
// - "." stands for the locale's decimal separator;
// - text before the first and after the last placeholder is copied unchanged
//   ("%" does not scale the value).
// The value is rounded to the pattern's number of decimals, halves away from
// zero. A minus sign leads the result unless every shown digit is 0.
QString FormatNumber(double value, const QString &pattern, const LocaleValues &locale);
