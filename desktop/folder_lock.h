#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Locks the data folder for this run; a lock left by a crashed run is taken
// over. Returns null when another running copy of the program holds the lock
// or when the lock file cannot be created (a read-only folder), and then sets
// problem to the message that tells the user which, and heldByRunningCopy.
std::unique_ptr<QLockFile> LockDataFolder(const QString &folder, QString *problem = nullptr,
                                          bool *heldByRunningCopy = nullptr);
