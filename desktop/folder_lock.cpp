#include "folder_lock.h"

#include <QDir>
#include <QLockFile>

#include <cerrno>
#include <cstring>

std::unique_ptr<QLockFile> LockDataFolder(const QString &folder, QString *problem, bool *heldByRunningCopy)
{
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral(".hourwise.lock"));
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0); // stale only when its process is gone, however long it ran
    if (lock->tryLock(0))
        return lock;
    // QLockFile returns right after the failing system call, so errno still
    // holds its reason; only LockFailedError means another copy holds the lock.
    const int reason = errno;
    const bool held = lock->error() == QLockFile::LockFailedError;
    if (heldByRunningCopy)
        *heldByRunningCopy = held;
    if (problem) {
        *problem = held
            ? QStringLiteral("Hourwise is already running in this folder (%1)").arg(folder)
            : QStringLiteral("Cannot create file \"%1\". %2").arg(path, QString::fromLocal8Bit(std::strerror(reason)));
    }
    return nullptr;
}
