#include "sharing_session.h"

#include "folder_lock.h"
#include "hourwise_error.h"
#include "ledger.h"
#include "main_window.h"
#include "other_computers.h"
#include "prompts.h"
#include "shared_folder.h"

#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

namespace {

QString thisSubfolderName(SharingSettings &settings)
{
    return ComputerSubfolderName(QSysInfo::machineHostName(), EnsureComputerId(settings));
}

void requireFolder(const QString &shared)
{
    if (!QFileInfo(shared).isDir())
        throw HourwiseError(QStringLiteral("The shared folder \"%1\" does not exist: is it mounted, and has the sync "
                                           "tool made it?")
                                .arg(QDir::toNativeSeparators(shared)));
}

// Where the files go back to when none was remembered: the hourwise
// command's data folder.
QString defaultHomeFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("hourwise"));
}

} // namespace

QString SharingSession::StartFolder(const QString &homeFolder, const QString &commandLineFolder, QString *problem)
{
    try {
        SharingSettings settings = SharingSettings::Read();
        const QString shared
            = commandLineFolder.isEmpty() ? settings.sharedFolder : QFileInfo(commandLineFolder).absoluteFilePath();
        if (shared.isEmpty())
            return homeFolder;
        requireFolder(shared);
        const QString subfolder = QDir(shared).filePath(thisSubfolderName(settings));
        if (!QDir().mkpath(subfolder))
            throw HourwiseError(QStringLiteral("Cannot create folder \"%1\".").arg(subfolder));
        if (settings.sharedFolder != shared) { // joining, or moving to another shared folder
            const SharingSettings before = settings;
            const QString from = settings.sharedFolder.isEmpty()
                ? homeFolder
                : QDir(settings.sharedFolder).filePath(QFileInfo(subfolder).fileName());
            if (settings.sharedFolder.isEmpty())
                settings.homeFolder = homeFolder;
            settings.sharedFolder = shared;
            settings.Write();
            try {
                MoveDataFiles(from, subfolder);
            } catch (const HourwiseError &) {
                before.Write();
                throw;
            }
        }
        return subfolder;
    } catch (const HourwiseError &error) {
        *problem = error.message();
        return {};
    }
}

QString SharingSession::SharedSubfolder()
{
    SharingSettings settings = SharingSettings::Read();
    if (settings.sharedFolder.isEmpty() || settings.computerId.isEmpty())
        return {};
    return QDir(settings.sharedFolder).filePath(thisSubfolderName(settings));
}

QString SharingSession::ClaimFolder(const QString &folder)
{
    SharingSettings settings = SharingSettings::Read();
    if (settings.sharedFolder.isEmpty())
        return {};
    try {
        const QString claimedBefore = settings.claimedInBoot;
        const QString refusal = claimForThisBoot(folder, settings);
        if (refusal.isEmpty() && settings.claimedInBoot != claimedBefore)
            settings.Write();
        return refusal;
    } catch (const HourwiseError &error) {
        return error.message();
    }
}

QString SharingSession::claimForThisBoot(const QString &folder, SharingSettings &settings)
{
    const QString boot = ThisBootId();
    const QString refusal = ClaimSubfolder(folder, QSysInfo::machineHostName(), boot, settings.claimedInBoot,
                                           QDateTime::currentMSecsSinceEpoch());
    if (refusal.isEmpty())
        settings.claimedInBoot = boot;
    return refusal;
}

SharingSession::SharingSession(TForm1 &window, Ledger &ledger, Prompts &prompts, std::unique_ptr<QLockFile> lock)
    : QObject(&window), window_(window), ledger_(ledger), prompts_(prompts), lock_(std::move(lock))
{
    window_.onTriggered(window_.ShareWithOtherComputers1, [this] { ShareWithOtherComputers1Click(); });
    window_.onTriggered(window_.StopSharing1, [this] { StopSharing1Click(); });
    SharingSettings settings = SharingSettings::Read();
    if (!settings.sharedFolder.isEmpty())
        countOthers(settings.sharedFolder, QFileInfo(QDir::currentPath()).fileName());
}

SharingSession::~SharingSession() = default;

void SharingSession::countOthers(const QString &sharedFolder, const QString &subfolder)
{
    auto others = std::make_unique<OtherComputers>(sharedFolder, subfolder, ledger_.locale());
    window_.setOtherComputers(others.get()); // before the ones it counted go
    others_ = std::move(others);
}

std::unique_ptr<QLockFile> SharingSession::lockOrThrow(const QString &folder) const
{
    QString problem;
    std::unique_ptr<QLockFile> lock = LockDataFolder(folder, &problem);
    if (!lock)
        throw HourwiseError(problem);
    return lock;
}

void SharingSession::Join(const QString &sharedFolder)
{
    const QString shared = QFileInfo(sharedFolder).absoluteFilePath();
    requireFolder(shared);
    SharingSettings settings = SharingSettings::Read();
    const SharingSettings before = settings;
    const QString subfolder = QDir(shared).filePath(thisSubfolderName(settings));
    if (QFileInfo(subfolder).absoluteFilePath() == QDir::currentPath())
        return; // shared there already
    if (!QDir().mkpath(subfolder))
        throw HourwiseError(QStringLiteral("Cannot create folder \"%1\".").arg(subfolder));
    std::unique_ptr<QLockFile> lock = lockOrThrow(subfolder);
    const QString refusal = claimForThisBoot(subfolder, settings);
    if (!refusal.isEmpty())
        throw HourwiseError(refusal);
    if (settings.sharedFolder.isEmpty())
        settings.homeFolder = QDir::currentPath();
    settings.sharedFolder = shared;
    const QString left = QDir::currentPath();
    try {
        settings.Write();
        ledger_.MoveToFolder(subfolder);
    } catch (const HourwiseError &) {
        ReleaseSubfolder(subfolder);
        before.Write();
        throw;
    }
    lock_ = std::move(lock); // the old folder's lock file goes with the old lock
    if (!before.sharedFolder.isEmpty()) { // from another shared folder
        ReleaseSubfolder(left);
        QDir().rmdir(left);
    }
    QDir::setCurrent(subfolder);
    emit folderChanged(subfolder);
    countOthers(shared, QFileInfo(subfolder).fileName());
}

void SharingSession::Leave()
{
    SharingSettings settings = SharingSettings::Read();
    const SharingSettings before = settings;
    const QString home = settings.homeFolder.isEmpty() ? defaultHomeFolder() : settings.homeFolder;
    const QString subfolder = QDir::currentPath();
    if (!QDir().mkpath(home))
        throw HourwiseError(QStringLiteral("Cannot create folder \"%1\".").arg(home));
    std::unique_ptr<QLockFile> lock = lockOrThrow(home);
    settings.sharedFolder.clear();
    settings.Write();
    try {
        ledger_.MoveToFolder(home);
    } catch (const HourwiseError &) {
        before.Write();
        throw;
    }
    ReleaseSubfolder(subfolder);
    lock_ = std::move(lock); // the subfolder's lock file goes with the old lock
    QDir().rmdir(subfolder); // when nothing else is left in it
    QDir::setCurrent(home);
    emit folderChanged(home);
    window_.setOtherComputers(nullptr);
    others_.reset();
}

void SharingSession::ShareWithOtherComputers1Click()
{
    const QString folder = prompts_.ChooseFolder(QStringLiteral("Share with Other Computers"));
    if (folder.isEmpty())
        return;
    Join(folder);
    prompts_.Information(QStringLiteral("This computer's files are now in \"%1\", where no other computer writes. "
                                        "Every view counts the computers whose folders are beside it: %2 now.")
                             .arg(QDir::toNativeSeparators(QDir::currentPath()))
                             .arg(1 + others_->count()));
}

void SharingSession::StopSharing1Click()
{
    const SharingSettings settings = SharingSettings::Read();
    const QString home = settings.homeFolder.isEmpty() ? defaultHomeFolder() : settings.homeFolder;
    if (prompts_.Confirm(QStringLiteral("Stop sharing? This computer's files move back to \"%1\", and the views "
                                        "count this computer alone.")
                             .arg(QDir::toNativeSeparators(home))))
        Leave();
}
