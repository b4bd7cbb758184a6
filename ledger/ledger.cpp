#include "ledger.h"

#include "day_block.h"
#include "day_key.h"
#include "hourwise_error.h"
#include "line_file.h"
#include "shared_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

const QString kSeedTodayLine = QStringLiteral("0:Add something:0:");
const QString kSeedTotalLine = QStringLiteral("T:Add something:0:");
const QString kSeedHistoryLine = QStringLiteral("0:");

// Field n (0-based) of a colon-separated line; empty when the line has fewer fields.
QString field(const QString &line, int n)
{
    return line.section(QLatin1Char(':'), n, n);
}

// Where the last two lines of the bytes start, or -1 when they hold fewer.
qsizetype lastPairStart(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return -1;
    const qsizetype last = LineBefore(bytes, bytes.size()).start;
    return last > 0 ? LineBefore(bytes, last).start : -1;
}

bool fitsInt32(qint64 value)
{
    return value >= std::numeric_limits<qint32>::min() && value <= std::numeric_limits<qint32>::max();
}

} // namespace

Ledger::Ledger(const QString &folder, Clock clock, const LocaleValues &locale, QObject *parent)
    : QObject(parent), folder_(folder), clock_(std::move(clock)), locale_(locale)
{
}

QString Ledger::filePath(const QString &fileName) const
{
    return QDir(folder_).filePath(fileName);
}

void Ledger::StartupLoad()
{
    loaded_ = false;
    RemoveLeftTemporaries(folder_, {DataFileName, HistoryFileName, SwitchFileName});
    stamps_.data = StampOf(filePath(DataFileName));
    asRead_.data = ReadFileBytes(filePath(DataFileName));
    s_.DataLines = DecodeLines(*asRead_.data);
    dataAsStored_ = s_.DataLines;
    std::shared_ptr<MappedFile> historyFile = MappedFile::Map(filePath(HistoryFileName));
    stamps_.history = historyFile->stamp();
    // A save that a kill or a power cut stopped part-way leaves the history
    // ending in part of a line of data.txc's day, whose lines data.txc,
    // written whole before it, holds: that part is left out, and the block
    // is rebuilt from data.txc below.
    const qsizetype whole = s_.DataLines.isEmpty()
        ? historyFile->size()
        : EndBeforeCutSave(historyFile->bytes(), FirstField(s_.DataLines.first()));
    historyMayBeCut_ = whole < historyFile->size();
    HistoryParts history = SplitAtLastDayBlock(historyFile->bytes(whole), locale_);
    s_.HistoryEarlier = historyFile->bytes(history.earlierSize);
    // A cut history is repaired by a whole write, which no kill can cut again.
    historyEnd_ = historyMayBeCut_ ? FileEnd{}
                                   : FileEnd{history.earlierSize, historyFile->bytes().sliced(history.earlierSize)};
    historyFile_ = std::move(historyFile); // after the bytes that showed the one it replaces
    historyEarlierEndingsChecked_ = false;
    s_.HistoryLines = std::move(history.lastBlock);
    asRead_.historyEarlierSize = historyMayBeCut_ ? -1 : s_.HistoryEarlier.size();
    asRead_.historyLastBlock = historyEnd_.bytes;
    // A blank line or a single line cut off (a damaged file) holds no item
    // either, which beside earlier days is refused as an empty file is.
    if (s_.DataLines.size() < 2)
        refuseToSeedBesideAHistory();
    if (s_.DataLines.isEmpty())
        s_.DataLines << kSeedTodayLine << kSeedTotalLine;
    resizeItemTable(s_.DataLines.size() / 2);
    RefreshDayKey();
    LoadItems();

    if (s_.HistoryLines.isEmpty()) // an empty file: HistoryEarlier is empty too
        s_.HistoryLines << kSeedHistoryLine;
    refuseAClockBehindTheHistory();
    catchUpHistoryWithData();

    stamps_.switchLog = StampOf(filePath(SwitchFileName));
    asRead_.switchLog = ReadFileBytes(filePath(SwitchFileName));
    findTodaysSwitchEntry(*asRead_.switchLog);
    loaded_ = true;
    SaveAll();
}

void Ledger::refuseToSeedBesideAHistory() const
{
    // The items and their totals live only in data.txc: seeding a fresh item
    // beside a history of earlier days would hide their loss, and every minute
    // counted afterwards would go into a table that a restored data.txc
    // could no longer take in. So nothing is written, and the user decides.
    // Rare, so the whole history is decoded here.
    const QStringList lines = DecodeLines(s_.HistoryEarlier) + s_.HistoryLines;
    const bool holdsDays = std::any_of(lines.begin(), lines.end(), [this](const QString &line) {
        double day = 0;
        return TryStrToDayKey(FirstField(line), locale_, &day) && IsMidnightJulian(day);
    });
    if (!holdsDays)
        return;
    const auto full = [this](const QString &name) { return QFileInfo(filePath(name)).absoluteFilePath(); };
    throw HourwiseError(
        QStringLiteral("The file \"%1\" is missing, empty or damaged (it holds no item), but \"%2\" holds the "
                       "history of earlier days. "
                       "Put data.txc back (from a backup, for instance) and start Hourwise again; to start "
                       "afresh instead, first move data.txc, completedata.txc and help.txc out of this folder.")
            .arg(full(DataFileName), full(HistoryFileName)));
}

void Ledger::refuseAClockBehindTheHistory() const
{
    // Today's block would follow a later day's, out of order, and be a second
    // block of its day when the history already has one: the clock is wrong,
    // or the history's last key is. Nothing is written, and the user decides.
    double lastDay = 0;
    if (!historyLastDay(&lastDay) || lastDay <= s_.TodayJulian)
        return;
    const QDate lastDate = DateOfJulian(lastDay);
    const QString last = lastDate.isValid() ? locale_.formatShortDate(lastDate) : FirstField(s_.HistoryLines.last());
    throw HourwiseError(
        QStringLiteral("The history \"%1\" already holds the day %2, later than today by the computer's clock "
                       "(%3). Set the clock right and start Hourwise again; if the day %2 is wrong, first remove "
                       "its lines from the end of that file.")
            .arg(QFileInfo(filePath(HistoryFileName)).absoluteFilePath(), last,
                 locale_.formatShortDate(now().date())));
}

bool Ledger::dataDay(double *day) const
{
    // The day of the today lines, when they all carry the key of one real date.
    if (s_.ItemCount == 0 || !TryStrToDayKey(FirstField(s_.DataLines.first()), locale_, day) || !IsMidnightJulian(*day))
        return false;
    for (int p = 1; p < s_.ItemCount; ++p)
        if (!IsLineOfDay(s_.DataLines.at(p), *day, locale_))
            return false;
    return true;
}

void Ledger::catchUpHistoryWithData()
{
    // data.txc is written first in every save, so a kill or a failed write
    // before completedata.txc leaves the history behind it: the data's day
    // lacks its last minute or command, or has no block yet. That block is
    // rebuilt from the today lines before anything else happens, a new day
    // included; the lines of every other day stay as they are.
    double day = 0;
    if (!dataDay(&day))
        return;
    double lastDay = 0;
    if (historyLastDay(&lastDay) && lastDay > day)
        takeUpLaterHistory(day);
    else
        rebuildBlockOfDay(day);
}

bool Ledger::historyLastDay(double *day) const
{
    return !s_.HistoryLines.isEmpty() && TryStrToDayKey(FirstField(s_.HistoryLines.last()), locale_, day)
        && IsMidnightJulian(*day);
}

namespace {

qint32 clampToInt32(qint64 value)
{
    return qint32(std::clamp<qint64>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

// The minutes of the lines by item name; a line whose minutes are no number counts none.
QHash<QString, qint64> minutesByName(const QStringList &lines)
{
    QHash<QString, qint64> minutes;
    for (const QString &line : lines) {
        bool ok = false;
        const qint32 value = TryStrToInt(field(line, 2), &ok);
        minutes[field(line, 1)] += ok ? value : 0;
    }
    return minutes;
}

} // namespace

void Ledger::takeUpLaterHistory(double dataDay)
{
    // data.txc is older than the history's last day: a backup put back, or a
    // power cut that lost data.txc's last rename but not the history's. The
    // history is then the later record, and no block of it is written again:
    // the items are those of its last block, in its order, with today's
    // minutes from it when it is today's; each total is data.txc's plus the
    // minutes the history counted after data.txc was saved (what the data's
    // day's block holds beyond data.txc's today minutes, and every later
    // block). An item added since has the history's minutes as its total.
    const HistoryFromDay since = HistoryFromDayOn(s_.HistoryEarlier, dataDay, locale_);
    const QHash<QString, qint64> counted = minutesByName(since.dayBlock + since.later + s_.HistoryLines);
    const QHash<QString, qint64> countedOnDataDay = minutesByName(since.dayBlock);
    QHash<QString, qint64> savedTotals; // what data.txc holds of the minutes counted
    for (int p = 0; p < s_.ItemCount; ++p) {
        const QString &name = s_.ItemTable.Names.at(p);
        bool ok = false;
        const qint32 savedToday = TryStrToInt(field(s_.DataLines.at(p), 2), &ok);
        const bool dayBlockHasIt = ok && countedOnDataDay.contains(name);
        savedTotals[name] = s_.ItemTable.TotalMinutes.at(p) - (dayBlockHasIt ? savedToday : 0);
    }
    const QStringList &lastBlock = s_.HistoryLines;
    const QHash<QString, qint64> today =
        IsLineOfDay(lastBlock.last(), s_.TodayJulian, locale_) ? minutesByName(lastBlock) : QHash<QString, qint64>();
    resizeItemTable(int(lastBlock.size()));
    for (int p = 0; p < s_.ItemCount; ++p) {
        const QString name = field(lastBlock.at(p), 1);
        s_.ItemTable.Names[p] = name;
        s_.ItemTable.TodayMinutes[p] = clampToInt32(today.value(name));
        s_.ItemTable.TotalMinutes[p] = clampToInt32(savedTotals.value(name) + counted.value(name));
    }
    RebuildDataLines();
    LoadItems();
}

void Ledger::rebuildBlockOfDay(double day)
{
    // With no items there are no lines to rebuild the block from, and a block
    // of the day that is there is kept rather than emptied.
    if (s_.ItemCount == 0)
        return;
    s_.HistoryLines.erase(s_.HistoryLines.begin() + TrailingDayBlockStart(s_.HistoryLines, day, locale_),
                          s_.HistoryLines.end());
    s_.HistoryLines << s_.DataLines.mid(0, s_.ItemCount);
}

void Ledger::findTodaysSwitchEntry(const QByteArray &log)
{
    // Every line is compared, count lines too: the first line that is today's
    // key by value wins (a count, an integer, never equals a key).
    const qsizetype keyLine = FirstLineOfDayKey(log, s_.TodayJulian, locale_);
    if (keyLine < 0) {
        splitSwitchLog(log, log.size());
        appendSwitchEntry();
        return;
    }
    splitSwitchLog(log, keyLine);
    if (s_.SwitchLines.size() == 1)
        s_.SwitchLines << QStringLiteral("0"); // a log cut off after today's key: its count was never written
    s_.SwitchLineIndex = 1;
    s_.SwitchCount = StrToInt(s_.SwitchLines.at(s_.SwitchLineIndex));
    emit switchCountChanged(s_.SwitchCount);
}

void Ledger::splitSwitchLog(const QByteArray &log, qsizetype at)
{
    // The lines before at are written back as they are, unless one of them
    // ends otherwise than with CR LF: then all are encoded anew, as a save
    // writes every line.
    const QByteArray earlier = log.first(at);
    const bool asInLog = EndsEveryLineWithCrLf(earlier);
    s_.SwitchEarlier = asInLog ? earlier : EncodeLines(DecodeLines(earlier));
    s_.SwitchLines = DecodeLines(log.sliced(at));
    s_.SwitchLineIndex = -1;
    switchLogEnd_ = asInLog ? FileEnd{at, log.sliced(at)} : FileEnd{};
}

void Ledger::appendSwitchEntry()
{
    s_.SwitchLines << s_.DayKey << QStringLiteral("0");
    s_.SwitchLineIndex = s_.SwitchLines.size() - 1;
    s_.SwitchCount = 0;
    emit switchCountChanged(0);
}

bool Ledger::historyEndsOnToday() const
{
    return !s_.HistoryLines.isEmpty() && IsLineOfDay(s_.HistoryLines.last(), s_.TodayJulian, locale_);
}

void Ledger::SaveAll()
{
    if (!loaded_)
        return;
    takeOverOutsideChanges();
    if (historyEndsOnToday())
        rebuildBlockOfDay(s_.TodayJulian);
    else
        startNewDay();
    writeDataAndHistory();
    writeSwitchLog();
    syncFolder();
    emit saved();
}

void Ledger::SaveOverChangedFile()
{
    const QScopedValueRollback<bool> overwrite(overwriteChanges_, true);
    SaveAll();
}

void Ledger::takeOverOutsideChanges()
{
    // A backup put back, a sync tool or an editor may have written a file
    // since Hourwise last read or wrote it; its version is never overwritten
    // blindly (see SaveAll). Only the stamps are compared, so an unchanged
    // folder costs three stat calls. A file that is gone, or is no plain
    // file, holds nothing to lose: the writes put Hourwise's version there,
    // or say why they cannot.
    changedElsewhere_.clear();
    FileStamp now = StampOf(filePath(SwitchFileName));
    if (now != stamps_.switchLog) {
        asRead_.switchLog.reset();
        if (now.regular)
            takeOverSwitchLog(now);
    }
    now = StampOf(filePath(DataFileName));
    if (now != stamps_.data) {
        asRead_.data.reset();
        if (now.regular && !takeOverData(now))
            refuseChangedFile(DataFileName);
    }
    now = StampOf(filePath(HistoryFileName));
    if (now != stamps_.history) {
        asRead_.historyEarlierSize = -1;
        if (now.regular && !takeOverHistory(now))
            refuseChangedFile(HistoryFileName);
    }
}

void Ledger::refuseChangedFile(const QString &fileName)
{
    changedElsewhere_ = fileName;
    throw FileChangedError(filePath(fileName));
}

void Ledger::takeOverSwitchLog(const FileStamp &stamp)
{
    // Every day of either version is kept: the other program's counts for
    // the days its version holds, Hourwise's for those only it saved (an
    // older copy put back lacks the latest), and the count of the day
    // Hourwise counts in is its own, whatever the file says.
    const QByteArray log = ReadFileBytes(filePath(SwitchFileName));
    stamps_.switchLog = stamp;
    const QString key = s_.SwitchLineIndex >= 1 ? s_.SwitchLines.at(s_.SwitchLineIndex - 1) : s_.DayKey;
    double day = std::numeric_limits<double>::quiet_NaN();
    TryStrToDayKey(key, locale_, &day);
    const QByteArray ours = s_.SwitchEarlier + EncodeLines(s_.SwitchLines);
    const QByteArray merged = UnionOfDays(DayKeyedFile::SwitchLog, log, ours, day, locale_).bytes;
    splitSwitchLog(merged, merged.size());
    switchLogEnd_ = {}; // the merged days are not in the file yet
    s_.SwitchLines = {key, IntToStr(s_.SwitchCount)};
    s_.SwitchLineIndex = 1;
}

namespace {

// The minutes of a data line (its third field), when they are a number.
std::optional<qint64> minutesOf(const QString &line)
{
    bool ok = false;
    const qint32 minutes = TryStrToInt(field(line, 2), &ok);
    return ok ? std::optional<qint64>(minutes) : std::nullopt;
}

} // namespace

std::optional<QVector<qint32>> Ledger::totalsCarriedOver(const QStringList &theirs) const
{
    // Only when the other version has the items Hourwise last stored, in
    // the same order, and the same today lines: only totals were changed.
    const int n = s_.ItemCount;
    if (theirs.size() != 2 * n || dataAsStored_.size() != 2 * n || theirs.mid(0, n) != dataAsStored_.mid(0, n))
        return std::nullopt;
    QVector<qint32> totals(n);
    for (int p = 0; p < n; ++p) {
        const QString &total = theirs.at(n + p), &stored = dataAsStored_.at(n + p);
        const std::optional<qint64> theirMinutes = minutesOf(total), storedMinutes = minutesOf(stored);
        if (field(total, 0) != QStringLiteral("T") || field(total, 1) != s_.ItemTable.Names.at(p)
            || field(stored, 1) != s_.ItemTable.Names.at(p) || !theirMinutes || !storedMinutes)
            return std::nullopt;
        const qint64 carried = *theirMinutes + s_.ItemTable.TotalMinutes.at(p) - *storedMinutes;
        if (!fitsInt32(carried))
            return std::nullopt;
        totals[p] = qint32(carried);
    }
    return totals;
}

bool Ledger::takeOverData(const FileStamp &stamp)
{
    // The other version becomes the record, each total with the minutes
    // counted since Hourwise last stored it; saved over, it is replaced.
    const QStringList theirs = DecodeLines(ReadFileBytes(filePath(DataFileName)));
    const std::optional<QVector<qint32>> totals = totalsCarriedOver(theirs);
    if (!totals && !overwriteChanges_)
        return false;
    stamps_.data = stamp;
    if (!totals)
        return true;
    dataAsStored_ = theirs;
    for (int p = 0; p < s_.ItemCount; ++p) {
        s_.ItemTable.TotalMinutes[p] = totals->at(p);
        s_.DataLines[s_.ItemCount + p] = TotalLine(p);
    }
    return true;
}

bool Ledger::takeOverHistory(const FileStamp &stamp)
{
    // Read into memory, not mapped: bytes that another program writes are
    // kept until a save has written them into a file of Hourwise's own.
    // Unasked, only a version whose last day is the one Hourwise last saved
    // (an edit of earlier days) is taken over; asked, any. Either way every
    // day of either version is kept (see historyUnion), and the block of
    // the day Hourwise counts in is rebuilt from its lines.
    const QByteArray theirs = ReadFileBytes(filePath(HistoryFileName));
    if (!overwriteChanges_) {
        const HistoryParts parts = SplitAtLastDayBlock(theirs, locale_);
        double theirDay = 0;
        const std::optional<double> ourDay = lastSavedDay();
        if (!ourDay || parts.lastBlock.isEmpty()
            || !TryStrToDayKey(FirstField(parts.lastBlock.first()), locale_, &theirDay) || theirDay != *ourDay)
            return false;
    }
    s_.HistoryEarlier = historyUnion(theirs).bytes;
    historyEnd_ = {};
    historyEarlierEndingsChecked_ = false; // their lines may end otherwise than with CR LF
    stamps_.history = stamp;
    return true;
}

std::optional<double> Ledger::lastSavedDay() const
{
    double day = 0;
    if (s_.HistoryLines.isEmpty() || !TryStrToDayKey(FirstField(s_.HistoryLines.first()), locale_, &day))
        return std::nullopt;
    return day;
}

DayUnion Ledger::historyUnion(const QByteArray &theirs) const
{
    // The days Hourwise saved are its own file's bytes, copied from the file
    // it mapped or wrote last, which a version renamed over the path leaves
    // as it was. Only a program that rewrote that very file in place (cp
    // onto it) took them: then the other version is all there is.
    QByteArray ours;
    try {
        ours = earlierHistoryBytes();
    } catch (const FileChangedError &) {
    }
    const double leftOut = lastSavedDay().value_or(std::numeric_limits<double>::quiet_NaN());
    return UnionOfDays(DayKeyedFile::History, theirs, ours, leftOut, locale_);
}

QVector<QDate> Ledger::DaysOnlyHourwiseSaved() const
{
    QVector<QDate> days;
    if (changedElsewhere_.isEmpty())
        return days;
    DayUnion merged;
    try {
        merged = historyUnion(ReadFileBytes(filePath(HistoryFileName)));
    } catch (const HourwiseError &) {
        return days; // a file that cannot be read holds no days to compare with
    }
    for (double day : merged.addedDays)
        days.append(DateOfJulian(day));
    return days;
}

void Ledger::startNewDay()
{
    // help.txc is read before anything changes, so a read failure leaves the
    // day unchanged in memory and the next save starts it again.
    stamps_.switchLog = StampOf(filePath(SwitchFileName));
    const QByteArray log = ReadFileBytes(filePath(SwitchFileName));
    RebuildDataLines();
    s_.HistoryLines << s_.DataLines.mid(0, s_.ItemCount);
    // With no items the history gains no block, so the next save takes the
    // day as new again; the log must not gain a second pair for the same day.
    const qsizetype lastPair = lastPairStart(log);
    if (lastPair >= 0 && IsDayKeyOf(DecodeLine(log, lastPair, LineAt(log, lastPair).end), s_.TodayJulian, locale_)) {
        splitSwitchLog(log, lastPair);
        s_.SwitchLineIndex = 1;
        emit switchCountChanged(s_.SwitchCount);
    } else {
        splitSwitchLog(log, log.size());
        appendSwitchEntry();
    }
}

void Ledger::writeDataAndHistory()
{
    // data.txc goes first: it holds the lines of the history's last block,
    // from which the start-up load repairs a history that a save stopped
    // part-way. While the history itself may be cut (a start found it so, or
    // a save failed part-way), it goes first instead, written whole and
    // atomically (its end is then not known), so that data.txc never moves
    // on to another day while it is the only record of that block.
    // The folder is synced between the two, so that after a power cut the
    // one written second is never newer than the one written first.
    if (historyMayBeCut_) {
        writeHistory();
        syncFolder();
        writeData();
    } else {
        writeData();
        syncFolder();
        writeHistory();
    }
}

void Ledger::writeData()
{
    writeUnlessAsRead(DataFileName, asRead_.data, {EncodeLines(s_.DataLines)}, stamps_.data);
    dataAsStored_ = s_.DataLines;
}

namespace {

bool holdsParts(const QByteArray &bytes, const QList<QByteArrayView> &parts)
{
    qsizetype at = 0;
    for (QByteArrayView part : parts) {
        if (bytes.size() - at < part.size() || QByteArrayView(bytes).sliced(at, part.size()) != part)
            return false;
        at += part.size();
    }
    return at == bytes.size();
}

} // namespace

void Ledger::writeUnlessAsRead(const QString &fileName, std::optional<QByteArray> &asRead,
                               const QList<QByteArrayView> &parts, FileStamp &stamp)
{
    const std::optional<QByteArray> read = std::exchange(asRead, std::nullopt);
    if (!read || !holdsParts(*read, parts))
        stamp = writeFile(fileName, parts);
}

void Ledger::writeSwitchLog()
{
    // Within a day only today's count changes, in place where a kill cannot
    // split the write; a new day, a longer count or a version taken over
    // writes the file whole.
    const QByteArray tail = EncodeLines(s_.SwitchLines);
    const qsizetype start = s_.SwitchEarlier.size();
    const bool asRead = asRead_.switchLog && holdsParts(*asRead_.switchLog, {s_.SwitchEarlier, tail});
    asRead_.switchLog.reset();
    if (asRead)
        return;
    FileEnd onDisk = std::exchange(switchLogEnd_, {});
    if (onDisk.start != start
        || !writeFileEnd(SwitchFileName, stamps_.switchLog, start, onDisk.bytes, tail, FileEndWrite::Atomic))
        stamps_.switchLog = writeFile(SwitchFileName, {s_.SwitchEarlier, tail});
    switchLogEnd_ = {start, tail};
}

bool Ledger::writeFileEnd(const QString &fileName, FileStamp &stamp, qsizetype start, QByteArrayView onDisk,
                          QByteArrayView wanted, FileEndWrite how)
{
    const qsizetype same = std::mismatch(onDisk.begin(), onDisk.end(), wanted.begin(), wanted.end()).first
        - onDisk.begin();
    const QString path = filePath(fileName);
    if (same == onDisk.size() && same == wanted.size())
        return StampOf(path) == stamp; // the file holds these very bytes, unless it is gone
    try {
        const std::optional<FileStamp> written = ReplaceFileEnd(path, stamp, start + same, wanted.sliced(same), how);
        if (written)
            stamp = *written;
        return written.has_value();
    } catch (const FileChangedError &) {
        throw;
    } catch (const HourwiseError &) {
        // Stopped part-way (a full disk): the file is still Hourwise's own,
        // not another program's, and the next save writes it whole.
        try {
            stamp = StampOf(path);
        } catch (const HourwiseError &) {
            // a file that cannot be looked at is no other program's version either
        }
        throw;
    }
}

FileStamp Ledger::writeFile(const QString &fileName, const QList<QByteArrayView> &parts, const MappedHead &head)
{
    const FileStamp written = WriteEncodedFile(filePath(fileName), parts, head);
    folderNeedsSync_ = true;
    return written;
}

void Ledger::syncFolder()
{
    // Once per save, after its renames: a power cut then keeps all of them.
    if (!folderNeedsSync_)
        return;
    SyncFolderOf(filePath(DataFileName));
    folderNeedsSync_ = false;
}

void Ledger::writeHistory()
{
    settleHistory();
    const QByteArray lastBlock = EncodeLines(s_.HistoryLines);
    const bool asRead = asRead_.historyEarlierSize == s_.HistoryEarlier.size() && lastBlock == asRead_.historyLastBlock;
    asRead_.historyEarlierSize = -1;
    asRead_.historyLastBlock.clear();
    if (asRead)
        return;
    encodeEarlierHistoryAsSaved();
    if (!writeHistoryEnd(lastBlock)) {
        if (earlierHistoryIsMapped())
            stamps_.history = writeFile(HistoryFileName, {lastBlock}, {historyFile_.get(), s_.HistoryEarlier.size()});
        else
            stamps_.history = writeFile(HistoryFileName, {s_.HistoryEarlier, lastBlock});
    }
    historyEnd_ = {s_.HistoryEarlier.size(), lastBlock};
    historyMayBeCut_ = false;
    showEarlierHistoryFromFile(stamps_.history);
}

bool Ledger::writeHistoryEnd(const QByteArray &lastBlock)
{
    // Only the last day's block changes, or a new day's follows it: the
    // file is written from the first byte that differs from what it holds.
    // data.txc, written whole before, holds that block's lines, so a save
    // stopped part-way (the file then ends in part of a line of that day)
    // is repaired by the next start-up load. Bytes that settled into
    // HistoryEarlier since the last write must be the ones the file holds.
    const FileEnd onDisk = std::exchange(historyEnd_, {});
    const qsizetype start = s_.HistoryEarlier.size();
    const qsizetype settled = start - onDisk.start;
    if (onDisk.start < 0 || settled < 0 || settled > onDisk.bytes.size()
        || (settled > 0
            && (earlierHistoryIsMapped()
                || QByteArrayView(s_.HistoryEarlier).sliced(onDisk.start) != QByteArrayView(onDisk.bytes).first(settled))))
        return false;
    try {
        if (!writeFileEnd(HistoryFileName, stamps_.history, start, QByteArrayView(onDisk.bytes).sliced(settled),
                          lastBlock, FileEndWrite::MayCut))
            return false;
    } catch (const FileChangedError &) {
        throw; // nothing was written
    } catch (const HourwiseError &) {
        historyMayBeCut_ = true;
        throw;
    }
    if (historyFile_ && historyFile_->stamp().identity == stamps_.history.identity)
        historyFile_->noteOwnWrite(stamps_.history); // it maps the bytes before those written
    return true;
}

bool Ledger::earlierHistoryIsMapped() const
{
    return historyFile_ && s_.HistoryEarlier.constData() == historyFile_->bytes().constData();
}

QByteArray Ledger::earlierHistoryBytes() const
{
    if (!earlierHistoryIsMapped())
        return s_.HistoryEarlier;
    QByteArray bytes;
    bytes.reserve(s_.HistoryEarlier.size());
    historyFile_->copyTo(s_.HistoryEarlier.size(), filePath(HistoryFileName),
                         [&bytes](QByteArrayView part) { bytes += part; });
    return bytes;
}

void Ledger::encodeEarlierHistoryAsSaved()
{
    // Every save writes each line with CR LF. Bytes read from the file are
    // checked only when first written, so that a start need not read the
    // years before the last day; lines there that end otherwise (a file
    // edited elsewhere) are encoded anew, as a save of every line would.
    if (historyEarlierEndingsChecked_)
        return;
    const QByteArray earlier = earlierHistoryBytes();
    if (!EndsEveryLineWithCrLf(earlier)) {
        s_.HistoryEarlier = EncodeLines(DecodeLines(earlier));
        historyEnd_ = {}; // the file's bytes before its end change too
    }
    historyEarlierEndingsChecked_ = true;
}

void Ledger::showEarlierHistoryFromFile(const FileStamp &saved)
{
    // The file just saved begins with HistoryEarlier's bytes. Where those
    // are held in memory (a new day's block settled, bytes encoded anew),
    // they are mapped from it instead, so that no copy grows with the years.
    // A mapping already in use stays: the saves copy from its file, kept
    // open, which nobody else can write once a save has renamed a new file
    // over it. Only the file this save wrote will do; where it cannot be
    // mapped, the bytes held serve.
    if (earlierHistoryIsMapped())
        return;
    std::shared_ptr<MappedFile> file;
    try {
        file = MappedFile::Map(filePath(HistoryFileName));
    } catch (const HourwiseError &) {
        return;
    }
    if (file->stamp() != saved || file->size() < s_.HistoryEarlier.size())
        return;
    s_.HistoryEarlier = file->bytes(s_.HistoryEarlier.size());
    historyFile_ = std::move(file);
}

void Ledger::settleHistory()
{
    // Blocks are found from the end by their key, so nothing before the
    // block of the last day can change any more: a new day's block has
    // settled the day before it, which joins the bytes.
    const qsizetype start = LastDayBlockStart(s_.HistoryLines, locale_);
    if (start == 0)
        return;
    QByteArray earlier = earlierHistoryBytes();
    earlier += EncodeLines(s_.HistoryLines.mid(0, start));
    s_.HistoryEarlier = std::move(earlier);
    s_.HistoryLines.remove(0, start);
}

QByteArray Ledger::historyBytes() const
{
    return earlierHistoryBytes() + EncodeLines(s_.HistoryLines);
}

void Ledger::MinuteTick()
{
    if (!loaded_)
        return;
    RefreshDayKey();
    const int checked = s_.CheckedIndex;
    if (s_.TodayJulian != s_.LineDay) {
        LoadItems();
        SelectItem(checked);
    }
    if (checked >= 0) {
        const auto addOne = [](qint32 minutes) {
            return minutes < std::numeric_limits<qint32>::max() ? minutes + 1 : minutes;
        };
        s_.ItemTable.TodayMinutes[checked] = addOne(s_.ItemTable.TodayMinutes[checked]);
        s_.ItemTable.TotalMinutes[checked] = addOne(s_.ItemTable.TotalMinutes[checked]);
        s_.DataLines[checked] = TodayLine(checked);
        s_.DataLines[checked + s_.ItemCount] = TotalLine(checked);
    }
    SaveAll();
}

void Ledger::SelectItem(int index)
{
    if (index == s_.CheckedIndex)
        return;
    s_.CheckedIndex = index;
    if (index >= 0) {
        if (s_.SwitchCount < std::numeric_limits<qint32>::max())
            ++s_.SwitchCount;
        if (s_.SwitchLineIndex >= 0 && s_.SwitchLineIndex < s_.SwitchLines.size())
            s_.SwitchLines[s_.SwitchLineIndex] = IntToStr(s_.SwitchCount);
        s_.NothingSelectedBold = false;
        emit switchCountChanged(s_.SwitchCount);
    }
    emit selectionChanged(index);
}

void Ledger::RefreshDayKey()
{
    s_.TodayJulian = JulianAtMidnight(clock_().date());
    s_.DayKey = FloatToStr(s_.TodayJulian, locale_);
}

QString Ledger::TodayLine(int position) const
{
    return s_.DayKey + QLatin1Char(':') + s_.ItemTable.Names.at(position) + QLatin1Char(':')
        + IntToStr(s_.ItemTable.TodayMinutes.at(position)) + QLatin1Char(':');
}

QString Ledger::TotalLine(int position) const
{
    return QStringLiteral("T:") + s_.ItemTable.Names.at(position) + QLatin1Char(':')
        + IntToStr(s_.ItemTable.TotalMinutes.at(position)) + QLatin1Char(':');
}

void Ledger::RebuildDataLines()
{
    s_.DataLines.clear();
    for (int p = 0; p < s_.ItemCount; ++p)
        s_.DataLines << TodayLine(p);
    for (int p = 0; p < s_.ItemCount; ++p)
        s_.DataLines << TotalLine(p);
}

void Ledger::resizeItemTable(int count)
{
    s_.ItemCount = count;
    s_.ItemTable.Names.resize(count);
    s_.ItemTable.TodayMinutes.resize(count);
    s_.ItemTable.TotalMinutes.resize(count);
}

void Ledger::LoadItems()
{
    ItemTableData &table = s_.ItemTable;
    for (int p = 0; p < s_.ItemCount; ++p) {
        const QString &todayLine = s_.DataLines.at(p);
        const QString &totalLine = s_.DataLines.at(p + s_.ItemCount);
        s_.LineDay = StrToDayKey(field(todayLine, 0), locale_);
        table.Names[p] = field(todayLine, 1);
        table.TotalMinutes[p] = StrToInt(field(totalLine, 2));
        // A line of an earlier day starts the new day from zero; its minutes are not even read.
        table.TodayMinutes[p] = s_.LineDay == s_.TodayJulian ? StrToInt(field(todayLine, 2)) : 0;
    }
    emit itemsReloaded();
    s_.CheckedIndex = -1;
    emit selectionChanged(-1);
}

QString Ledger::NameProblem(const QString &name)
{
    if (name.contains(QLatin1Char(':')))
        return QStringLiteral("An item name cannot contain a colon (:), since the data files use it to separate fields.");
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return QStringLiteral("An item name cannot contain a line break.");
    return {};
}

void Ledger::AddItem(const QString &name)
{
    Q_ASSERT(!name.isEmpty() && NameProblem(name).isEmpty());
    startDayIfDateChanged();
    resizeItemTable(s_.ItemCount + 1);
    s_.ItemTable.Names.last() = name;
    RebuildDataLines();
    LoadItems();
    SaveAll(); // today's block, found by its key, is rebuilt one line longer
    s_.NothingSelectedBold = true;
    emit selectionChanged(s_.CheckedIndex);
}

void Ledger::startDayIfDateChanged()
{
    RefreshDayKey();
    if (!historyEndsOnToday()) {
        // The date changed after the last save: close the previous day first,
        // exactly as the minute tick at a new date does, so that the command
        // changes the new day's block and never the previous day's.
        LoadItems();
        SaveAll();
    }
}

void Ledger::DeleteItem(int position)
{
    startDayIfDateChanged();
    takeOverOutsideChanges(); // before the item goes, so that a data.txc taken over still has it
    s_.DataLines.removeAt(position);
    s_.DataLines.removeAt(s_.ItemCount + position - 1);
    const bool onlyItemWent = s_.DataLines.isEmpty();
    if (onlyItemWent)
        s_.DataLines << kSeedTodayLine << kSeedTotalLine;
    resizeItemTable(s_.DataLines.size() / 2);
    LoadItems();
    // The seed's today line takes today's key, so that it can stand in
    // today's block; LineDay keeps the seed's 0 until the next tick re-parses.
    if (onlyItemWent)
        RebuildDataLines();
    SaveDataAndHistory();
    s_.CheckedIndex = -1;
    s_.NothingSelectedBold = true;
    emit selectionChanged(-1);
}

void Ledger::SaveDataAndHistory()
{
    rebuildBlockOfDay(s_.TodayJulian);
    writeDataAndHistory();
    syncFolder();
}

bool Ledger::AdjustTime(int position, qint32 amount, bool add)
{
    startDayIfDateChanged();
    const qint64 delta = add ? qint64(amount) : -qint64(amount);
    const qint64 today = s_.ItemTable.TodayMinutes.at(position) + delta;
    const qint64 total = s_.ItemTable.TotalMinutes.at(position) + delta;
    if (!fitsInt32(today) || !fitsInt32(total))
        return false;
    s_.ItemTable.TodayMinutes[position] = qint32(today);
    s_.ItemTable.TotalMinutes[position] = qint32(total);
    s_.DataLines[position] = TodayLine(position);
    s_.DataLines[s_.ItemCount + position] = TotalLine(position);
    if (amount != 0) {
        const QString name = ReadableText(s_.ItemTable.Names.at(position));
        pushUndo(DateOfJulian(s_.TodayJulian), {{RefOfLine(s_.ItemTable.Names, position), delta}},
                 add ? QStringLiteral("Undo Add %1 min to %2").arg(amount).arg(name)
                     : QStringLiteral("Undo Deduct %1 min from %2").arg(amount).arg(name));
    }
    return true;
}

bool Ledger::IsStillDay(double day) const
{
    return day == s_.TodayJulian && day == JulianAtMidnight(clock_().date());
}

qint32 Ledger::TakeBackMinutes(int position, double day, qint32 minutes)
{
    if (!IsStillDay(day))
        return 0;
    const qint32 today = s_.ItemTable.TodayMinutes.at(position);
    const qint32 total = s_.ItemTable.TotalMinutes.at(position);
    const auto taken = qint32(
        std::max<qint64>(0, std::min<qint64>({minutes, today, qint64(total) - std::numeric_limits<qint32>::min()})));
    s_.ItemTable.TodayMinutes[position] = today - taken;
    s_.ItemTable.TotalMinutes[position] = total - taken;
    s_.DataLines[position] = TodayLine(position);
    s_.DataLines[s_.ItemCount + position] = TotalLine(position);
    return taken;
}

void Ledger::MoveToFolder(const QString &folder)
{
    SaveAll();
    MoveDataFiles(folder_, folder);
    folder_ = folder;
    const int checked = s_.CheckedIndex;
    StartupLoad(); // the bytes just saved: it writes nothing
    // The same run goes on: the item stays checked, and no switch is counted.
    s_.CheckedIndex = checked;
    emit selectionChanged(checked);
}

void Ledger::ReloadSaveAndRestore(int restoreIndex)
{
    startDayIfDateChanged();
    LoadItems();
    SaveAll();
    SelectItem(restoreIndex);
}
