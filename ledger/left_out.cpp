#include "left_out.h"

#include "line_file.h"
#include "text_convert.h"

bool IsNoLossLine(const QString &line)
{
    return line.trimmed().isEmpty() || line == QLatin1String("0:");
}

QString LeftOutLine(const QString &fileName, qsizetype index, const QString &line)
{
    return QStringLiteral("%1, line %2: %3").arg(fileName).arg(index + 1).arg(QuotedExcerpt(ReadableText(line)));
}

QString LeftOutMessage(const QString &done, const QStringList &leftOut)
{
    if (leftOut.isEmpty())
        return {};
    // A long list would make a box taller than the screen.
    constexpr int kNamed = 10;
    const QString count =
        leftOut.size() == 1 ? QStringLiteral("1 line") : QStringLiteral("%1 lines").arg(leftOut.size());
    QString message = QStringLiteral("%1 without %2 of the history that cannot be read: a day that is no date, "
                                     "or minutes or a switch count that is no whole number.\n")
                          .arg(done, count);
    message += leftOut.mid(0, kNamed).join(QLatin1Char('\n'));
    if (leftOut.size() > kNamed)
        message += QStringLiteral("\n… and %1 more.").arg(leftOut.size() - kNamed);
    return message;
}
