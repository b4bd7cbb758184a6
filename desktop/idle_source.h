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
// session) or from the desktop's own services, the lock state from
// org.freedesktop.ScreenSaver where it answers. A Wayland session
// (WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland) is never asked through
// XWayland, which sees no input to Wayland windows: there GNOME's Mutter idle
// monitor answers, else the compositor's ext-idle-notify-v1 protocol, else
// org.freedesktop.ScreenSaver. Null where nothing trustworthy answers (no
// desktop, as offscreen): the away watch is then off. Needs the QGuiApplication.
std::unique_ptr<IdleSource> CreateDesktopIdleSource();

// The D-Bus part alone: GNOME's idle monitor, else org.freedesktop.ScreenSaver's
// session idle time (in seconds); the lock state from the latter's GetActive.
// Null when the session bus offers neither.
std::unique_ptr<IdleSource> CreateDBusIdleSource();

// The compositor's idle notification (ext-idle-notify-v1) on a Wayland
// connection of the program's own: the idle time reads 0 until the seat has
// had no input for notificationTimeoutMs, and exact from then on. The lock
// state as above. Null when no compositor offering the protocol answers at
// WAYLAND_DISPLAY. Its events arrive through the Qt event loop.
std::unique_ptr<IdleSource> CreateWaylandIdleSource(int notificationTimeoutMs);
