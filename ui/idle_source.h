#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>

// What the desktop says about the user's presence at one moment.
struct IdleReading {
    qint64 idleMs = 0;   // time since the last keyboard or mouse input
    bool locked = false; // the screen is locked or blanked: away, whatever input the locker sees
};

// Where the away watch learns how long the session has been idle.
class IdleSource {
public:
    virtual ~IdleSource() = default;
    // The reading of this moment, or nothing when the desktop did not answer this time.
    virtual std::optional<IdleReading> read() = 0;
};

// The session's idle time from the X server's screen saver extension (an X11
// session) or from the desktop's D-Bus idle interfaces (GNOME's Mutter idle
// monitor, org.freedesktop.ScreenSaver), the lock state from
// org.freedesktop.ScreenSaver where it answers. A Wayland session
// (WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland) is never asked through
// XWayland, which sees no input to Wayland windows. Null where nothing
// trustworthy answers (no desktop, as offscreen): the away watch is then
// off. Needs the QGuiApplication.
std::unique_ptr<IdleSource> CreateDesktopIdleSource();

// The D-Bus part alone: GNOME's idle monitor, else org.freedesktop.ScreenSaver's
// session idle time (in seconds); the lock state from the latter's GetActive.
// Null when the session bus offers neither.
std::unique_ptr<IdleSource> CreateDBusIdleSource();
