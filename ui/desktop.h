#pragma once

#include <QString>

#include <memory>

class QLockFile;

// Maps the window fonts the program is designed with (MS Sans Serif, Arial,
// Century) onto Debian's metric-compatible faces and sets the application font.
void ApplyDesktopFonts();

// Locks the data folder for this run. Returns null when another running copy
// of the program holds the lock; a lock left by a crashed run is taken over.
std::unique_ptr<QLockFile> LockDataFolder(const QString &folder);
