#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct LedgerState;

// What a command from outside the window reads of the running program: the
// checked item and each item's minutes today, in item order.
struct ItemStatus {
    int checked = -1;  // position of the checked item; -1 for "Nothing Selected"
    QStringList names; // as stored: bytes that are not UTF-8 as U+DC80..U+DCFF (see line_file.h)
    QVector<qint32> todayMinutes;

    static ItemStatus of(const LedgerState &state);
    bool operator==(const ItemStatus &other) const;
    bool operator!=(const ItemStatus &other) const { return !(*this == other); }
};

// The position of the first item whose stored name is exactly name, or -1.
// A name given as bytes compares through DecodeLine, which maps distinct
// bytes to distinct texts, so the comparison is byte for byte.
int FindItem(const QStringList &names, const QString &name);

// One name as the data files hold it, byte for byte.
QByteArray StoredBytes(const QString &name);

// The first line of the plain status, and the line a command that checked
// an item prints: "Checked: " and the item's name, or "Nothing Selected".
QByteArray CheckedLine(const ItemStatus &status);

// The status as plain lines: CheckedLine, then per item its minutes today,
// one space and its name (the name last, so that it may hold spaces). Names
// are the stored bytes; every line ends with LF.
QByteArray StatusText(const ItemStatus &status);

// The status as one line of JSON, ended by LF:
//   {"checked":"Writing","items":[{"name":"Writing","today":25},...]}
// "checked" is null while nothing is checked. Names are UTF-8; a stored byte
// that is not UTF-8 is written as the escape \udcXX (XX its value), the form
// in which Python's surrogateescape hands it back as that byte.
QByteArray StatusJson(const ItemStatus &status);
