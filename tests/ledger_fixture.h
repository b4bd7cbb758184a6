#pragma once

// Shared helpers for tests that drive a Ledger on files in a temporary folder
// with a clock the test sets.

#include "day_key.h"
#include "ledger.h"
#include "line_file.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

struct LedgerFixture {
    QTemporaryDir dir;
    QDateTime now{QDate(2026, 12, 8), QTime(9, 0)};
    LocaleValues locale;
    std::unique_ptr<Ledger> ledger;

    LedgerFixture() { Q_ASSERT(dir.isValid()); }

    Ledger &make()
    {
        ledger = std::make_unique<Ledger>(dir.path(), [this] { return now; }, locale);
        return *ledger;
    }

    Ledger &start()
    {
        make().StartupLoad();
        return *ledger;
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    QByteArray bytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList lines(const QString &name) const { return DecodeLines(bytes(name)); }

    void write(const QString &name, const QByteArray &content) const
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    void writeLines(const QString &name, const QStringList &lines) const { write(name, EncodeLines(lines)); }

    // The day key of a date under the fixture's locale.
    QString key(QDate date) const { return FloatToStr(JulianAtMidnight(date), locale); }
    QString today() const { return key(now.date()); }

    // Writes data.txc with the named items and no minutes.
    void writeItems(const QStringList &names) const
    {
        QStringList data;
        for (const QString &name : names)
            data << today() + ":" + name + ":0:";
        for (const QString &name : names)
            data << "T:" + name + ":0:";
        writeLines(Ledger::DataFileName, data);
    }
};
