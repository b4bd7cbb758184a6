#include "save_status.h"

#include "ledger.h"
#include "prompts.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// How many of the days that saving over a change gets back the question names.
constexpr qsizetype kDaysNamed = 6;

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
        askAboutChangedFile(message, QStringLiteral("saves Hourwise's version"));
}

bool SaveStatus::askAboutChangedFile(const QString &message, const QString &whenYes)
{
    // Hourwise keeps every minute in memory meanwhile. No, the default,
    // leaves the other version alone: the user may still put back the one
    // wanted, which the next save takes over if it fits, or save Hourwise's
    // version later from the window or on the way out; ending Hourwise
    // without saving and starting it again loads the other version.
    changedMessage_ = message;
    askedAbout_ = changedFileStamp();
    const QString question = QStringLiteral(
        "%1\n\nHourwise has not saved since %2 and keeps counting in memory.\n\n"
        "Yes %3: %4\n\nNo leaves the files as they are for now: a version put back that fits is taken over "
        "at the next save, and \"%5\" in the window, or Exit, asks again. To use the other program's "
        "version instead, end Hourwise without saving and start it again.");
    if (!prompts_.ConfirmLoss(question.arg(StandardErrorText(message), lastSavedText(), whenYes,
                                           whatSavingOverDoes(), kSaveOverLinkText)))
        return false;
    const std::optional<QString> error = ErrorOf([this] { ledger_.SaveOverChangedFile(); });
    if (error)
        commandFailed(*error);
    return !error;
}

QString SaveStatus::whatSavingOverDoes() const
{
    const LocaleValues &locale = ledger_.locale();
    const QVector<QDate> added = ledger_.DaysOnlyHourwiseSaved();
    QStringList days;
    for (qsizetype i = 0; i < std::min<qsizetype>(added.size(), kDaysNamed); ++i)
        days << locale.formatShortDate(added.at(i));
    if (added.size() > kDaysNamed)
        days << QStringLiteral("%1 more").arg(added.size() - kDaysNamed);
    const QString history = days.isEmpty()
        ? QStringLiteral("completedata.txc keeps every day it holds now")
        : QStringLiteral("completedata.txc keeps every day it holds now and gets back the days only Hourwise "
                         "saved (%1)").arg(days.join(QStringLiteral(", ")));
    const QString data = ledger_.fileChangedElsewhere() == Ledger::DataFileName
        ? QStringLiteral("Hourwise's items and minutes replace those in data.txc; ")
        : QString();
    return data + history + QStringLiteral(", with Hourwise's lines for the day it counts in; help.txc keeps "
                                           "every day of both versions.");
}

void SaveStatus::askAgain()
{
    if (offersSaveOver())
        askAboutChangedFile(changedMessage_, QStringLiteral("saves Hourwise's version"));
}

bool SaveStatus::offersSaveOver() const
{
    return !reason_.isEmpty() && !ledger_.fileChangedElsewhere().isEmpty();
}

bool SaveStatus::confirmQuitUnsaved(const QString &message)
{
    noteFailure(ReasonOf(message));
    if (!ledger_.fileChangedElsewhere().isEmpty()
        && askAboutChangedFile(message, QStringLiteral("saves Hourwise's version and quits")))
        return true;
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
