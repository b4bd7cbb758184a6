#include "day_key.h"
#include "hourwise_error.h"
#include "text_convert.h"

#include <QtTest>

class TestTextConvert : public QObject {
    Q_OBJECT
private slots:
    void strToInt_data();
    void strToInt();
    void strToIntRejects_data();
    void strToIntRejects();
    void floatToStr_data();
    void floatToStr();
    void strToFloat_data();
    void strToFloat();
    void strToFloatRejects_data();
    void strToFloatRejects();
    void dayKeysReadUnderAnyLocale();
    void longTextIsQuotedShortened();
    void julianMatchesQDateOverTwoCenturies();
    void dayKeyEdges();
    void dateOfJulianInvertsEveryDay();
    void localeValuesFromSystemLocales();
};

void TestTextConvert::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "25" << 25;
    QTest::newRow("leading blank") << " 25" << 25;
    QTest::newRow("plus") << "+25" << 25;
    QTest::newRow("minus") << "-15" << -15;
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("lowest") << "-2147483648" << int(-2147483647 - 1);
    QTest::newRow("highest") << "2147483647" << 2147483647;
    QTest::newRow("dollar hex") << "$1F" << 31;
    QTest::newRow("x hex") << "x10" << 16;
    QTest::newRow("X hex") << "Xff" << 255;
    QTest::newRow("0x hex") << "0x7FFFFFFF" << 2147483647;
    QTest::newRow("0X hex") << "0X1a" << 26;
    QTest::newRow("negative hex") << "-$10" << -16;
    QTest::newRow("leading zeros") << "007" << 7;
}

void TestTextConvert::strToInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(StrToInt(text), value);
}

void TestTextConvert::strToIntRejects_data()
{
    QTest::addColumn<QString>("text");
    for (const char *bad : {"", " ", "25 ", "2.5", "abc", "2147483648", "-2147483649", "+", "-", "$", "0x", "1e3",
                            "12a", "$G", "99999999999999999999", "0x80000000", "--1", "\t5"})
        QTest::newRow(bad) << QString::fromLatin1(bad);
}

void TestTextConvert::strToIntRejects()
{
    QFETCH(QString, text);
    try {
        StrToInt(text);
        QFAIL("accepted");
    } catch (const HourwiseError &error) {
        QCOMPARE(error.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void TestTextConvert::floatToStr_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("comma");
    QTest::newRow("day key") << 2461382.5 << "2461382.5" << "2461382,5";
    QTest::newRow("whole") << 5.0 << "5" << "5";
    QTest::newRow("zero") << 0.0 << "0" << "0";
    QTest::newRow("negative") << -0.5 << "-0.5" << "-0,5";
    QTest::newRow("fifteen digits") << 1.0 / 3.0 << "0.333333333333333" << "0,333333333333333";
    QTest::newRow("small") << 0.00001 << "0.00001" << "0,00001";
    QTest::newRow("tiny") << 0.000001 << "1E-6" << "1E-6";
    QTest::newRow("large") << 1e20 << "1E20" << "1E20";
    QTest::newRow("fifteen integer digits") << 123456789012345.0 << "123456789012345" << "123456789012345";
}

void TestTextConvert::floatToStr()
{
    QFETCH(double, value);
    QFETCH(QString, point);
    QFETCH(QString, comma);
    LocaleValues commaLocale;
    commaLocale.decimalSeparator = QLatin1Char(',');
    QCOMPARE(FloatToStr(value, LocaleValues()), point);
    QCOMPARE(FloatToStr(value, commaLocale), comma);
}

void TestTextConvert::strToFloat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<double>("value");
    QTest::newRow("key") << "2461382.5" << QChar('.') << 2461382.5;
    QTest::newRow("comma key") << "2461382,5" << QChar(',') << 2461382.5;
    QTest::newRow("zero seed") << "0" << QChar('.') << 0.0;
    QTest::newRow("blanks around") << "  1.5  " << QChar('.') << 1.5;
    QTest::newRow("sign") << "-2.25" << QChar('.') << -2.25;
    QTest::newRow("exponent") << "1.5E3" << QChar('.') << 1500.0;
    QTest::newRow("negative exponent") << "25e-1" << QChar('.') << 2.5;
    QTest::newRow("trailing separator") << "3." << QChar('.') << 3.0;
    QTest::newRow("leading separator") << ".5" << QChar('.') << 0.5;
}

void TestTextConvert::strToFloat()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    QFETCH(double, value);
    LocaleValues locale;
    locale.decimalSeparator = separator;
    QCOMPARE(StrToFloat(text, locale), value);
}

void TestTextConvert::strToFloatRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("empty") << "" << QChar('.');
    QTest::newRow("word") << "T" << QChar('.');
    QTest::newRow("two separators") << "1.2.3" << QChar('.');
    QTest::newRow("comma under point locale") << "2461382,5" << QChar('.');
    QTest::newRow("point under comma locale") << "2461382.5" << QChar(',');
    QTest::newRow("bare exponent") << "1e" << QChar('.');
    QTest::newRow("only sign") << "-" << QChar('.');
    QTest::newRow("overflow") << "1e999" << QChar('.');
    QTest::newRow("trailing text") << "12abc" << QChar('.');
}

void TestTextConvert::strToFloatRejects()
{
    QFETCH(QString, text);
    QFETCH(QChar, separator);
    LocaleValues locale;
    locale.decimalSeparator = separator;
    try {
        StrToFloat(text, locale);
        QFAIL("accepted");
    } catch (const HourwiseError &error) {
        QCOMPARE(error.message(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }
}

// Keys written under any locale read under every other, and match by value;
// the general conversion still takes only the locale's separator.
void TestTextConvert::dayKeysReadUnderAnyLocale()
{
    LocaleValues point, comma;
    comma.decimalSeparator = QLatin1Char(',');
    for (const LocaleValues &locale : {point, comma}) {
        for (const QString &key : {QStringLiteral("2461382.5"), QStringLiteral("2461382,5")}) {
            QCOMPARE(StrToDayKey(key, locale), 2461382.5);
            QVERIFY(IsDayKeyOf(key, 2461382.5, locale));
        }
        QVERIFY(!IsDayKeyOf(QStringLiteral("2461382"), 2461382.5, locale)); // a count line
        QVERIFY(!IsDayKeyOf(QStringLiteral("2461382.5.0"), 2461382.5, locale));
        QVERIFY(!IsDayKeyOf(QString(), 2461382.5, locale));
    }
    // A key written under any locale Qt knows (Arabic-script ones write U+066B) reads under any other.
    const auto everyLocale = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    for (const QLocale &writer : everyLocale) {
        const QString key = FloatToStr(2461382.5, LocaleValues::fromLocale(writer));
        for (const LocaleValues &reader : {point, comma})
            QVERIFY2(IsDayKeyOf(key, 2461382.5, reader), qPrintable(writer.name() + ": " + key));
    }
    QVERIFY_THROWS_EXCEPTION(HourwiseError, StrToFloat(QStringLiteral("2461382,5"), point));
    try {
        StrToDayKey(QStringLiteral("2461382;5"), point);
        QFAIL("accepted");
    } catch (const HourwiseError &error) {
        QCOMPARE(error.message(), QStringLiteral("'2461382;5' is not a valid floating point value"));
    }
}

// A runaway field of megabytes is quoted by its first 40 characters.
void TestTextConvert::longTextIsQuotedShortened()
{
    const QString digits(10 * 1024 * 1024, QLatin1Char('7'));
    const QString quoted = QString(40, QLatin1Char('7')) + QChar(0x2026);
    const auto messageOf = [](const std::function<void()> &convert) {
        try {
            convert();
        } catch (const HourwiseError &error) {
            return error.message();
        }
        return QStringLiteral("accepted");
    };
    QCOMPARE(messageOf([&] { StrToInt(digits); }), QStringLiteral("'%1' is not a valid integer value").arg(quoted));
    QCOMPARE(messageOf([&] { StrToFloat(digits, LocaleValues()); }),
             QStringLiteral("'%1' is not a valid floating point value").arg(quoted));
    const QString fortyOne(41, QLatin1Char('x'));
    QCOMPARE(QuotedExcerpt(fortyOne), fortyOne.left(40) + QChar(0x2026));
    QCOMPARE(QuotedExcerpt(fortyOne.left(40)), fortyOne.left(40));
}

void TestTextConvert::julianMatchesQDateOverTwoCenturies()
{
    for (QDate d(1900, 1, 1); d <= QDate(2100, 12, 31); d = d.addDays(1)) {
        if (JulianDayNumber(d.year(), d.month(), d.day()) != d.toJulianDay())
            QFAIL(qPrintable(d.toString(Qt::ISODate)));
    }
}

void TestTextConvert::dayKeyEdges()
{
    const LocaleValues point;
    QCOMPARE(JulianAtMidnight(QDate(2024, 3, 1)) - JulianAtMidnight(QDate(2024, 2, 29)), 1.0);
    QCOMPARE(JulianAtMidnight(QDate(2027, 1, 1)) - JulianAtMidnight(QDate(2026, 12, 31)), 1.0);
    QCOMPARE(FloatToStr(JulianAtMidnight(QDate(2000, 1, 1)), point), QStringLiteral("2451544.5"));
    QCOMPARE(FloatToStr(JulianAtMidnight(QDate(2005, 11, 13)), point), QStringLiteral("2453687.5"));
}

void TestTextConvert::dateOfJulianInvertsEveryDay()
{
    for (QDate d(1800, 1, 1); d <= QDate(2200, 12, 31); d = d.addDays(1)) {
        if (DateOfJulian(JulianAtMidnight(d)) != d)
            QFAIL(qPrintable(d.toString(Qt::ISODate)));
    }
    QVERIFY(!DateOfJulian(0.0).isValid());
    QVERIFY(!DateOfJulian(1e300).isValid());
    QVERIFY(!DateOfJulian(std::nan("")).isValid());
}

void TestTextConvert::localeValuesFromSystemLocales()
{
    const LocaleValues german = LocaleValues::fromLocale(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(german.decimalSeparator, QChar(','));
    QCOMPARE(german.thousandsSeparator, QChar('.'));
    QVERIFY(!german.longTimeFormat.contains('t'));
    QCOMPARE(german.formatLongTime(QTime(14, 5, 9)), QStringLiteral("14:05:09"));
    // The time zone goes with the space before it; "AP" stays.
    QCOMPARE(LocaleValues::fromLocale(QLocale(QLocale::English, QLocale::UnitedStates)).longTimeFormat,
             QStringLiteral("h:mm:ss AP"));
    const LocaleValues c = LocaleValues::fromLocale(QLocale::c());
    QCOMPARE(c.formatLongTime(QTime(14, 5, 9)), QStringLiteral("14:05:09"));
    QCOMPARE(c.decimalSeparator, QChar('.'));
}

QTEST_GUILESS_MAIN(TestTextConvert)
#include "test_text_convert.moc"
