#include "save_status.h"

#include "ledger.h"
#include "prompts.h"

#include <QFileInfo>

namespace {

// The system's reason in "Cannot create file "<path>". <reason>" (or
// "Cannot open file ..."), or the whole message of any other error.
QString ReasonOf(const QString &message)
{
    const qsizetype end = message.lastIndexOf(QStringLiteral("\". "));
    if (!message.startsWith(QStringLiteral("Cannot ")) || end < 0)
        return message;
    return message.mid(end + 3);
}

} // namespace

SaveStatus::SaveStatus(Ledger &ledger, Prompts &prompts, QObject *parent)
    : QObject(parent), ledger_(ledger), prompts_(prompts), lastSaved_(ledger.now())
{
    connect(&ledger_, &Ledger::saved, this, &SaveStatus::saved);
}

void SaveStatus::saved()
{
    lastSaved_ = ledger_.now();
    if (reason_.isEmpty())
        return;
    reason_.clear();
    emit changed(QString());
}

bool SaveStatus::noteFailure(const QString &reason)
{
    const bool isNew = reason != reason_;
    reason_ = reason;
    emit changed(text()); // also when unchanged: the day of the last save may need showing now
    return isNew;
}

void SaveStatus::tickFailed(const QString &message)
{
    if (noteFailure(ReasonOf(message)))
        QMetaObject::invokeMethod(
            this, [this, message] { prompts_.StandardError(message); }, Qt::QueuedConnection);
}

void SaveStatus::commandFailed(const QString &message)
{
    if (isDataFileError(message))
        noteFailure(ReasonOf(message));
    prompts_.StandardError(message);
}

bool SaveStatus::confirmQuitUnsaved(const QString &message)
{
    noteFailure(ReasonOf(message));
    return prompts_.ConfirmLoss(QStringLiteral("%1\n\nQuit anyway and lose what was counted since %2?")
                                    .arg(StandardErrorText(message), lastSavedText()));
}

QString SaveStatus::text() const
{
    if (reason_.isEmpty())
        return {};
    return QStringLiteral("Not saved since %1: %2").arg(lastSavedText(), reason_);
}

bool SaveStatus::isDataFileError(const QString &message) const
{
    if (!message.startsWith(QStringLiteral("Cannot ")))
        return false;
    for (const QString &name : {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName}) {
        const QString path = QFileInfo(ledger_.filePath(name)).absoluteFilePath();
        if (message.contains(QLatin1Char('"') + path + QStringLiteral("\". ")))
            return true;
    }
    return false;
}

QString SaveStatus::lastSavedText() const
{
    const QString time = ledger_.locale().locale.toString(lastSaved_.time(), QLocale::ShortFormat);
    if (lastSaved_.date() == ledger_.now().date())
        return time;
    return ledger_.locale().formatShortDate(lastSaved_.date()) + QLatin1Char(' ') + time;
}
