#pragma once

#include <QString>
#include <QStringList>

// Lines of the history or the switch log that cannot be read: whatever
// leaves them out names them in the same words.

// A blank line, or the seed line "0:" of a new history: no loss when left out.
bool IsNoLossLine(const QString &line);

// "<file>, line <n>: <text>", n counting from 1 and the text shortened.
QString LeftOutLine(const QString &fileName, qsizetype index, const QString &line);

// What the user is told: what was made "without N lines of the history that
// cannot be read", then the first ten of them and how many more; empty for
// none. done is the first words, for instance "\"history.csv\" was written".
QString LeftOutMessage(const QString &done, const QStringList &leftOut);
