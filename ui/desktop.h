#pragma once

#include <QString>

#include <memory>

class QLockFile;
class QWidget;

// Maps the window fonts the program is designed with (MS Sans Serif, Arial,
// Century) onto Debian's metric-compatible faces and sets the application font.
void ApplyDesktopFonts();

// Wraps the application's style (the desktop's, or the one the user chose)
// so that the menu bar's overflow button makes its icon only when it is
// first drawn. Qt makes it in the menu bar's constructor, and reading its
// picture loads every image format plugin: about 2 ms of every start, for a
// button that shows only when the window is too narrow for the menus.
void ApplyDesktopStyle();

// Locks the data folder for this run; a lock left by a crashed run is taken
// over. Returns null when another running copy of the program holds the lock
// or when the lock file cannot be created (a read-only folder), and then sets
// problem to the message that tells the user which, and heldByRunningCopy.
std::unique_ptr<QLockFile> LockDataFolder(const QString &folder, QString *problem = nullptr,
                                          bool *heldByRunningCopy = nullptr);

// Moves a top-level window to the middle of the screen it is on.
void CenterOnScreen(QWidget &window);

// Whether the desktop names a session bus (DBUS_SESSION_BUS_ADDRESS or
// $XDG_RUNTIME_DIR/bus). Where it names none, connecting would make libdbus
// start a bus of its own for the X display: a daemon that outlives the
// program, for questions that such a bus cannot answer.
bool SessionBusKnown();
