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
    const bool newReason = noteFailure(ReasonOf(message));
    if (newReason || (!ledger_.fileChangedElsewhere().isEmpty() && changedFileStamp() != askedAbout_))
        QMetaObject::invokeMethod(this, [this, message] { showFailure(message); }, Qt::QueuedConnection);
}

void SaveStatus::commandFailed(const QString &message)
{
    if (isDataFileError(message))
        noteFailure(ReasonOf(message));
    showFailure(message);
}

void SaveStatus::showFailure(const QString &message)
{
    if (ledger_.fileChangedElsewhere().isEmpty())
        prompts_.StandardError(message);
    else
        askAboutChangedFile(message);
}

void SaveStatus::askAboutChangedFile(const QString &message)
{
    // Hourwise keeps every minute in memory meanwhile. No, the default,
    // leaves the other version alone: the user may still put back the one
    // wanted, which the next save takes over if it fits; ending Hourwise
    // without saving and starting it again loads the other version.
    const QString name = ledger_.fileChangedElsewhere();
    askedAbout_ = changedFileStamp();
    const QString whatYesDoes = name == Ledger::DataFileName
        ? QStringLiteral("Hourwise's items and minutes then replace those in the file.")
        : QStringLiteral("The file then keeps the other program's earlier days; Hourwise's days from the "
                         "last one it saved replace any the file holds from then on.");
    const QString question = QStringLiteral(
        "%1\n\nHourwise has not saved since %2 and keeps counting in memory. Save Hourwise's version "
        "anyway? %3\n\nChoose No to leave the file as it is for now: a version put back that fits is "
        "taken over at the next save; to use the other program's version, end Hourwise without saving "
        "and start it again.");
    if (!prompts_.ConfirmLoss(question.arg(StandardErrorText(message), lastSavedText(), whatYesDoes)))
        return;
    const std::optional<QString> error = ErrorOf([this] { ledger_.SaveOverChangedFile(); });
    if (error)
        commandFailed(*error);
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

FileStamp SaveStatus::changedFileStamp() const
{
    // A file that cannot even be looked at counts as no version: asked once.
    FileStamp stamp;
    ErrorOf([&] { stamp = StampOf(ledger_.filePath(ledger_.fileChangedElsewhere())); });
    return stamp;
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
