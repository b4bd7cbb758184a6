#pragma once

#include <QString>

#include <memory>

class QLockFile;
class QWidget;

// Maps the window fonts the program is designed with (MS Sans Serif, Arial,
// Century) onto Debian's metric-compatible faces and sets the application font.
void ApplyDesktopFonts();

// Locks the data folder for this run. Returns null when another running copy
// of the program holds the lock; a lock left by a crashed run is taken over.
std::unique_ptr<QLockFile> LockDataFolder(const QString &folder);

// Moves a top-level window to the middle of the screen it is on.
void CenterOnScreen(QWidget &window);
