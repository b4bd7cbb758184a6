#include "other_computers.h"

#include "day_block.h"
#include "day_key.h"
#include "ledger.h"
#include "switch_log.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <future>
#include <vector>

void ItemSums::add(const QString &name, qint64 amount)
{
    const qsizetype at = names.indexOf(name);
    if (at >= 0) {
        minutes[at] += amount;
        return;
    }
    names << name;
    minutes << amount;
}

void ItemSums::add(const ItemSums &other)
{
    for (int i = 0; i < other.names.size(); ++i)
        add(other.names.at(i), other.minutes.at(i));
}

qint64 ItemSums::of(const QString &name) const
{
    return minutes.value(names.indexOf(name));
}

QString SyncLeftoverKind(const QString &name)
{
    static const QRegularExpression conflict(
        QStringLiteral("\\.sync-conflict-|conflicted copy|[_ .-]conflict[-_ ]|\\(conflict"),
        QRegularExpression::CaseInsensitiveOption);
    if (conflict.match(name).hasMatch())
        return QStringLiteral("a conflict copy");
    // Hourwise's own: a file name, a dot and six letters (WriteEncodedFile).
    static const QRegularExpression ownTemporary(QStringLiteral("\\.txc\\.[A-Za-z0-9]{6}$"));
    static const QStringList temporaryEnds{QStringLiteral("~"), QStringLiteral(".tmp"), QStringLiteral(".part"),
                                           QStringLiteral(".partial"), QStringLiteral(".crdownload")};
    const bool temporary = name.startsWith(QLatin1String(".syncthing.")) || name.startsWith(QLatin1String("~$"))
        || std::any_of(temporaryEnds.begin(), temporaryEnds.end(),
                       [&](const QString &end) { return name.endsWith(end, Qt::CaseInsensitive); })
        || ownTemporary.match(name).hasMatch();
    return temporary ? QStringLiteral("a temporary file") : QString();
}

QByteArray WholeLinesOf(const QByteArray &bytes, bool *cut)
{
    qsizetype end = bytes.size();
    while (end > 0 && bytes.at(end - 1) != '\n' && bytes.at(end - 1) != '\r')
        --end;
    if (cut)
        *cut = end < bytes.size();
    return bytes.first(end);
}

namespace {

// "key:name:minutes:" or "T:name:minutes:", split at the colons.
struct DataLine {
    QString first;
    QString name;
    std::optional<qint64> minutes;
};

DataLine splitDataLine(const QString &line)
{
    bool ok = false;
    const qint32 minutes = TryStrToInt(line.section(QLatin1Char(':'), 2, 2), &ok);
    return {line.section(QLatin1Char(':'), 0, 0), line.section(QLatin1Char(':'), 1, 1),
            ok ? std::optional<qint64>(minutes) : std::nullopt};
}

// Names an unreadable line of another computer's file as the ledger's own
// are named, with the computer's subfolder before the file.
QStringList withComputer(const QString &computer, QStringList leftOut)
{
    for (QString &line : leftOut)
        line.prepend(computer + QLatin1Char('/'));
    return leftOut;
}

const QStringList kOwnFiles{Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName};

} // namespace

std::optional<ComputerData> ReadComputerData(const QByteArray &bytes, const LocaleValues &locale, QString *problem)
{
    bool cut = false;
    const QStringList lines = DecodeLines(WholeLinesOf(bytes, &cut));
    const qsizetype items = lines.size() / 2;
    ComputerData data;
    const auto refuse = [problem](const QString &why) {
        *problem = why;
        return std::nullopt;
    };
    if (cut)
        return refuse(QStringLiteral("its last line is cut (still being synced?)"));
    if (lines.size() % 2 != 0 || lines.isEmpty())
        return refuse(QStringLiteral("it holds no whole list of items"));
    if (!TryStrToDayKey(lines.first().section(QLatin1Char(':'), 0, 0), locale, &data.day))
        return refuse(QStringLiteral("its first line holds no day"));
    for (qsizetype i = 0; i < items; ++i) {
        const DataLine today = splitDataLine(lines.at(i));
        const DataLine total = splitDataLine(lines.at(items + i));
        if (!today.minutes || !total.minutes || total.first != QLatin1String("T") || today.name != total.name)
            return refuse(QStringLiteral("line %1 or %2 cannot be read").arg(i + 1).arg(items + i + 1));
        data.today.add(today.name, *today.minutes);
        data.total.add(total.name, *total.minutes);
    }
    return data;
}

void AddRange(HistoryRange &sum, const HistoryRange &other)
{
    for (int i = 0; i < other.names.size(); ++i) {
        const qsizetype at = sum.names.indexOf(other.names.at(i));
        if (at >= 0) {
            sum.itemMinutes[at] += other.itemMinutes.at(i);
        } else {
            sum.names << other.names.at(i);
            sum.itemMinutes << other.itemMinutes.at(i);
        }
    }
    for (int i = 0; i < sum.days.size() && i < other.days.size(); ++i) {
        RangeDay &day = sum.days[i];
        day.minutes += other.days.at(i).minutes;
        day.switches += other.days.at(i).switches;
        day.hasData = day.hasData || other.days.at(i).hasData;
    }
    sum.switches += other.switches;
    sum.leftOut << other.leftOut;
}

OtherComputers::OtherComputers(const QString &sharedFolder, const QString &ownSubfolder, const LocaleValues &locale,
                               QObject *parent)
    : QObject(parent), sharedFolder_(sharedFolder), ownSubfolder_(ownSubfolder), locale_(locale)
{
    settle_.setSingleShot(true);
    settle_.setInterval(500);
    connect(&settle_, &QTimer::timeout, this, &OtherComputers::Refresh);
    const auto soon = [this] { settle_.start(); };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, soon);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, soon);
    minuteCheck_.setInterval(60 * 1000);
    connect(&minuteCheck_, &QTimer::timeout, this, &OtherComputers::Refresh);
    minuteCheck_.start();
    Refresh();
}

namespace {

FileStamp stampOrNone(const QString &path)
{
    try {
        return StampOf(path);
    } catch (const HourwiseError &) {
        return {};
    }
}

// The folder's and its three files' stamps: a sync tool renames files into
// the folder, a network share may show them written in place.
QVector<FileStamp> stampsOf(const QString &folder)
{
    QVector<FileStamp> stamps{stampOrNone(folder)};
    for (const QString &file : kOwnFiles)
        stamps << stampOrNone(QDir(folder).filePath(file));
    return stamps;
}

} // namespace

bool OtherComputers::stampsUnchanged() const
{
    if (!sharedStamp_.exists || stampOrNone(sharedFolder_) != sharedStamp_)
        return false;
    for (const auto &[path, stamp] : emptyFolders_) {
        if (stampOrNone(path) != stamp)
            return false;
    }
    return std::all_of(computers_.begin(), computers_.end(),
                       [](const Computer &computer) { return stampsOf(computer.path) == computer.stamps; });
}

void OtherComputers::Refresh()
{
    if (stampsUnchanged())
        return;
    sharedStamp_ = stampOrNone(sharedFolder_);
    QVector<Computer> found;
    skippedFolders_.clear();
    emptyFolders_.clear();
    const QFileInfoList entries
        = QDir(sharedFolder_).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString name = entry.fileName();
        if (name == ownSubfolder_ || name.startsWith(QLatin1Char('.'))) // .stfolder, .stversions and the like
            continue;
        if (const QString kind = SyncLeftoverKind(name); !kind.isEmpty()) {
            skippedFolders_ << QStringLiteral("%1: %2, not counted").arg(name, kind);
            continue;
        }
        if (!entry.isReadable() || !entry.isExecutable()) {
            skippedFolders_ << QStringLiteral("%1: cannot be read, not counted").arg(name);
            continue;
        }
        const QDir folder(entry.absoluteFilePath());
        if (std::none_of(kOwnFiles.begin(), kOwnFiles.end(), [&](const QString &file) { return folder.exists(file); })) {
            // Not an Hourwise folder, or one whose files a sync tool has not
            // brought yet: looked at again when it changes.
            emptyFolders_ << std::pair(folder.path(), stampOrNone(folder.path()));
            continue;
        }
        const auto known = std::find_if(computers_.begin(), computers_.end(),
                                        [&](const Computer &computer) { return computer.name == name; });
        found << (known != computers_.end() ? *known : Computer{name, folder.path(), {}, {}, {}, {}});
        lookAtFolder(found.last());
    }
    computers_ = std::move(found);
    skipped_ = skippedFolders_;
    for (const Computer &computer : computers_)
        skipped_ << computer.notes;
    watchFolders();
    emit changed();
}

void OtherComputers::lookAtFolder(Computer &computer)
{
    const QVector<FileStamp> stamps = stampsOf(computer.path);
    const bool dataChanged = computer.stamps.value(1) != stamps.at(1) || !computer.data;
    computer.stamps = stamps;
    computer.notes.clear();
    const QDir folder(computer.path);
    const QString prefix = computer.name + QLatin1Char('/');
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (const QString kind = SyncLeftoverKind(name); !kind.isEmpty())
            computer.notes << QStringLiteral("%1%2: %3, not counted").arg(prefix, name, kind);
    }
    const QString dataPath = folder.filePath(Ledger::DataFileName);
    if (dataChanged) {
        computer.dataProblem.clear();
        try {
            if (std::optional<ComputerData> data
                = ReadComputerData(ReadFileBytes(dataPath), locale_, &computer.dataProblem))
                computer.data = std::move(data);
        } catch (const HourwiseError &) {
            computer.dataProblem = QStringLiteral("cannot be read");
        }
    }
    if (!computer.dataProblem.isEmpty())
        computer.notes << QStringLiteral("%1%2: %3; %4")
                              .arg(prefix, Ledger::DataFileName, computer.dataProblem,
                                   computer.data ? QStringLiteral("its last whole version is counted")
                                                 : QStringLiteral("not counted"));
    for (const QString &fileName : {Ledger::HistoryFileName, Ledger::SwitchFileName}) {
        QFile file(folder.filePath(fileName));
        char last = '\n';
        if (file.open(QIODevice::ReadOnly) && file.size() > 0 && file.seek(file.size() - 1))
            file.getChar(&last);
        if (last != '\n' && last != '\r')
            computer.notes << QStringLiteral("%1%2: its last line is cut (still being synced?), not counted")
                                  .arg(prefix, fileName);
    }
}

void OtherComputers::watchFolders()
{
    // Watched anew each time: a file replaced by a rename is no longer the one watched.
    const QStringList watched = watcher_.directories() + watcher_.files();
    if (!watched.isEmpty())
        watcher_.removePaths(watched);
    QStringList wanted{sharedFolder_};
    for (const Computer &computer : computers_)
        wanted << computer.path << QDir(computer.path).filePath(Ledger::DataFileName);
    for (const auto &folder : std::as_const(emptyFolders_))
        wanted << folder.first;
    wanted.removeIf([](const QString &path) { return !QFileInfo::exists(path); });
    if (!wanted.isEmpty())
        watcher_.addPaths(wanted);
}

QStringList OtherComputers::names() const
{
    QStringList names;
    for (const Computer &computer : computers_)
        names << computer.name;
    return names;
}

ItemSums OtherComputers::todayMinutes(double day) const
{
    ItemSums sums;
    for (const Computer &computer : computers_) {
        if (computer.data && computer.data->day == day)
            sums.add(computer.data->today);
    }
    return sums;
}

ItemSums OtherComputers::totalMinutes() const
{
    ItemSums sums;
    for (const Computer &computer : computers_) {
        if (computer.data)
            sums.add(computer.data->total);
    }
    return sums;
}

QByteArray OtherComputers::wholeLinesOf(const Computer &computer, const QString &fileName) const
{
    try {
        return WholeLinesOf(ReadFileBytes(QDir(computer.path).filePath(fileName)));
    } catch (const HourwiseError &) {
        return {}; // gone or unreadable since the last look, which names it at the next
    }
}

HistoryRange OtherComputers::ReadRange(const DayRange &range) const
{
    HistoryRange sum;
    sum.range = range;
    sum.days.resize(std::max<qint64>(0, range.dayCount()));
    for (qsizetype i = 0; i < sum.days.size(); ++i)
        sum.days[i].date = range.first.addDays(i);
    // Each history is read and scanned on a thread of its own: decades of
    // several computers would otherwise take their sum of the time.
    std::vector<std::future<HistoryRange>> each;
    for (const Computer &computer : computers_) {
        each.push_back(std::async(std::launch::async, [this, &computer, &range] {
            HistoryRange one = ReadHistoryRange(range, {wholeLinesOf(computer, Ledger::HistoryFileName)},
                                                DecodeLines(wholeLinesOf(computer, Ledger::SwitchFileName)), locale_);
            one.leftOut = withComputer(computer.name, one.leftOut);
            return one;
        }));
    }
    for (std::future<HistoryRange> &one : each)
        AddRange(sum, one.get());
    return sum;
}

OthersDay OtherComputers::ReadDay(QDate date) const
{
    OthersDay sum;
    const double day = JulianAtMidnight(date);
    for (const Computer &computer : computers_) {
        const DayLines lines = FindDayLines(wholeLinesOf(computer, Ledger::HistoryFileName), day, locale_);
        sum.lineCount += lines.count;
        for (const QString &line : lines.block) {
            const DataLine read = splitDataLine(line);
            if (read.minutes)
                sum.items.add(read.name, *read.minutes);
        }
        const SwitchCounts counts = ReadSwitchCounts(DecodeLines(wholeLinesOf(computer, Ledger::SwitchFileName)),
                                                     locale_, DayRange{date, date});
        sum.switches += counts.byDay.value(date);
    }
    return sum;
}

QList<OtherHistory> OtherComputers::ReadHistories() const
{
    QList<OtherHistory> histories;
    for (const Computer &computer : computers_)
        histories << OtherHistory{computer.name, DecodeLines(wholeLinesOf(computer, Ledger::HistoryFileName)),
                                  DecodeLines(wholeLinesOf(computer, Ledger::SwitchFileName))};
    return histories;
}
