#include "item_status.h"

#include "ledger.h"
#include "line_file.h"

namespace {

// A JSON string. Characters are written as they are, except the quote, the
// backslash, control characters and lone surrogates (undecodable bytes),
// which JSON can carry only as escapes.
QByteArray jsonString(const QString &text)
{
    QByteArray out = "\"";
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const bool pairStart = c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate();
        if (pairStart) {
            out += text.mid(i, 2).toUtf8();
            ++i;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\\')) {
            out += '\\';
            out += char(c.unicode());
        } else if (c.unicode() < 0x20 || c.isSurrogate()) {
            out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
        } else {
            out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

// The checked item's name, or null while nothing is checked.
const QString *checkedName(const ItemStatus &status)
{
    const bool some = status.checked >= 0 && status.checked < status.names.size();
    return some ? &status.names.at(status.checked) : nullptr;
}

} // namespace

ItemStatus ItemStatus::of(const LedgerState &state)
{
    return {state.CheckedIndex, state.ItemTable.Names, state.ItemTable.TodayMinutes};
}

bool ItemStatus::operator==(const ItemStatus &other) const
{
    return checked == other.checked && names == other.names && todayMinutes == other.todayMinutes;
}

int FindItem(const QStringList &names, const QString &name)
{
    return int(names.indexOf(name));
}

QByteArray StoredBytes(const QString &name)
{
    return EncodeLines({name}).chopped(2);
}

QByteArray CheckedLine(const ItemStatus &status)
{
    const QString *name = checkedName(status);
    return "Checked: " + (name ? StoredBytes(*name) : QByteArray("Nothing Selected")) + '\n';
}

QByteArray StatusText(const ItemStatus &status)
{
    QByteArray text = CheckedLine(status);
    for (qsizetype i = 0; i < status.names.size(); ++i)
        text += QByteArray::number(status.todayMinutes.value(i)) + ' ' + StoredBytes(status.names.at(i)) + '\n';
    return text;
}

QByteArray StatusJson(const ItemStatus &status)
{
    const QString *name = checkedName(status);
    QByteArray json = "{\"checked\":" + (name ? jsonString(*name) : "null") + ",\"items\":[";
    for (qsizetype i = 0; i < status.names.size(); ++i) {
        json += (i ? ",{\"name\":" : "{\"name\":") + jsonString(status.names.at(i)) + ",\"today\":"
            + QByteArray::number(status.todayMinutes.value(i)) + '}';
    }
    return json + "]}\n";
}
