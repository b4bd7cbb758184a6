#pragma once

// A data folder of 40 items with a generated history of a number of days up
// to today, made once per length, for the benchmarks.

#include "day_key.h"
#include "ledger.h"
#include "line_file.h"

#include <QTemporaryDir>

#include <map>
#include <memory>

namespace bench {

constexpr int kItems = 40;
constexpr int kTenYears = 3650;
inline const QDate kToday(2026, 12, 8);

struct GeneratedFolder {
    QTemporaryDir dir;

    explicit GeneratedFolder(int days)
    {
        const LocaleValues locale;
        QStringList data, history{"0:"}, switches;
        for (int day = days - 1; day >= 0; --day) {
            const QString key = FloatToStr(JulianAtMidnight(kToday.addDays(-day)), locale);
            for (int i = 0; i < kItems; ++i)
                history << QStringLiteral("%1:Project_number_%2:%3:").arg(key).arg(i).arg((day * 7 + i) % 480);
            switches << key << QString::number(day % 60);
        }
        const QString key = FloatToStr(JulianAtMidnight(kToday), locale);
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("%1:Project_number_%2:%3:").arg(key).arg(i).arg(i % 480);
        for (int i = 0; i < kItems; ++i)
            data << QStringLiteral("T:Project_number_%1:%2:").arg(i).arg(400000 + i);
        WriteLineFile(dir.filePath(Ledger::DataFileName), data);
        WriteLineFile(dir.filePath(Ledger::HistoryFileName), history);
        WriteLineFile(dir.filePath(Ledger::SwitchFileName), switches);
    }

    Ledger ledger() const
    {
        return Ledger(dir.path(), [] { return QDateTime(kToday, QTime(10, 0)); }, LocaleValues());
    }
};

// A folder with days of history (today's block included), made once.
inline GeneratedFolder &folder(int days = kTenYears)
{
    static std::map<int, std::unique_ptr<GeneratedFolder>> generated;
    auto &made = generated[days];
    if (!made)
        made = std::make_unique<GeneratedFolder>(days);
    return *made;
}

} // namespace bench
