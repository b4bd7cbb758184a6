#include "shared_folder.h"

#include "hourwise_error.h"
#include "ledger.h"
#include "line_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>

namespace {

const QString kClaimFileName = QStringLiteral(".hourwise-writer");

// A running Hourwise writes data.txc every minute: a claim whose data.txc
// is older than this is taken to be left by a program no longer running.
constexpr qint64 kClaimHoldsMs = 3 * 60 * 1000;

QString configPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("hourwise/hourwise.conf"));
}

const QStringList kDataFiles{Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName};

} // namespace

SharingSettings SharingSettings::Read()
{
    const QSettings settings(configPath(), QSettings::IniFormat);
    return {settings.value(QStringLiteral("sharing/folder")).toString(),
            settings.value(QStringLiteral("sharing/homeFolder")).toString(),
            settings.value(QStringLiteral("sharing/computerId")).toString(),
            settings.value(QStringLiteral("sharing/claimedInBoot")).toString()};
}

void SharingSettings::Write() const
{
    QSettings settings(configPath(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("sharing/folder"), sharedFolder);
    settings.setValue(QStringLiteral("sharing/homeFolder"), homeFolder);
    settings.setValue(QStringLiteral("sharing/computerId"), computerId);
    settings.setValue(QStringLiteral("sharing/claimedInBoot"), claimedInBoot);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw HourwiseError(QStringLiteral("Cannot create file \"%1\".").arg(configPath()));
}

QString ComputerSubfolderName(const QString &hostName, const QString &computerId)
{
    // Letters, digits, dots and dashes only: the name goes through every
    // sync tool and file system, and a leading dot would hide it.
    QString name = hostName;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("-"));
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("computer");
    return name + QLatin1Char('-') + computerId;
}

QString EnsureComputerId(SharingSettings &settings)
{
    if (settings.computerId.isEmpty()) {
        settings.computerId = QUuid::createUuid().toString(QUuid::Id128).left(8);
        settings.Write();
    }
    return settings.computerId;
}

void MoveDataFiles(const QString &from, const QString &to)
{
    const QDir source(from);
    const QDir target(to);
    QStringList moving;
    for (const QString &file : kDataFiles) {
        if (target.exists(file))
            throw HourwiseError(QStringLiteral("\"%1\" already holds %2: the files of two folders are never mixed. "
                                               "Move them elsewhere first.")
                                    .arg(QDir::toNativeSeparators(target.absolutePath()), file));
        if (source.exists(file))
            moving << file;
    }
    if (moving.isEmpty())
        return;
    if (!QDir().mkpath(to))
        throw HourwiseError(QStringLiteral("Cannot create folder \"%1\".").arg(target.absolutePath()));
    QStringList copied;
    try {
        for (const QString &file : moving) {
            const QByteArray bytes = ReadFileBytes(source.filePath(file));
            copied << file;
            WriteEncodedFile(target.filePath(file), bytes);
        }
        SyncFolderOf(target.filePath(moving.first()));
        for (const QString &file : moving) {
            if (ReadFileBytes(target.filePath(file)) != ReadFileBytes(source.filePath(file)))
                throw FileChangedError(source.filePath(file));
        }
    } catch (const HourwiseError &) {
        for (const QString &file : copied)
            QFile::remove(target.filePath(file));
        throw;
    }
    // Complete: the copies are the record now.
    for (const QString &file : moving)
        QFile::remove(source.filePath(file));
    SyncFolderOf(source.filePath(moving.first()));
}

QString ClaimSubfolder(const QString &folder, const QString &hostName, const QString &bootId,
                       const QString &ownEarlierBoot, qint64 nowMs)
{
    const QDir dir(folder);
    const QStringList claim = ReadLineFile(dir.filePath(kClaimFileName)); // none: no lines
    const bool ownClaim = !claim.isEmpty() && !bootId.isEmpty()
        && (claim.first() == bootId || (!ownEarlierBoot.isEmpty() && claim.first() == ownEarlierBoot));
    const bool otherBoot = !claim.isEmpty() && !ownClaim;
    if (otherBoot) {
        const FileStamp data = StampOf(dir.filePath(Ledger::DataFileName));
        const qint64 ageMs = nowMs - data.modifiedNs / 1000000;
        if (data.exists && ageMs < kClaimHoldsMs)
            return QStringLiteral("Another Hourwise (on \"%1\") is writing \"%2\": it saved there %3 seconds ago. "
                                  "Each computer must write a subfolder of its own; a computer set up from a copy "
                                  "of another's disk has its id. Remove \"computerId\" from \"%4\" on that computer "
                                  "and start it again.")
                .arg(claim.value(1), QDir::toNativeSeparators(dir.absolutePath()))
                .arg(std::max<qint64>(0, ageMs / 1000))
                .arg(QDir::toNativeSeparators(configPath()));
    }
    WriteLineFile(dir.filePath(kClaimFileName), {bootId, hostName});
    return {};
}

void ReleaseSubfolder(const QString &folder)
{
    QFile::remove(QDir(folder).filePath(kClaimFileName));
}

QString ThisBootId()
{
    QFile file(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed()) : QString();
}
