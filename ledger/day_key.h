#pragma once

#include <QDate>
#include <QtGlobal>

// Julian Day Number of a Gregorian date by the integer formula, all divisions
// truncating toward zero.
qint64 JulianDayNumber(int year, int month, int day);

// Julian date of 00:00 of the date: its Julian Day Number minus one half, so
// always a value ending in .5. The time of day plays no part.
double JulianAtMidnight(QDate date);

// The inverse of JulianAtMidnight (Fliegel and Van Flandern): the date whose
// Julian Day Number is julian + 0.5. An invalid QDate for values outside the
// years 1 to 9999 or not finite.
QDate DateOfJulian(double julian);

// Whether the value is the key of a real date: a Julian date at midnight,
// which always ends in .5 (the day 0 of the seed lines is none).
bool IsMidnightJulian(double value);
