#include "idle_source.h"

#include "away_watch.h"
#include "session_bus.h"
#include "wayland_idle.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QVariant>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <functional>

namespace {

// A D-Bus call that the watch makes every poll must never hold up the window for long.
constexpr int kDBusTimeoutMs = 500;

struct DBusMethod {
    const char *service;
    const char *path;
    const char *interface;
    const char *method;

    std::optional<QVariant> call() const
    {
        if (!SessionBusKnown())
            return std::nullopt;
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return std::nullopt;
        QDBusMessage message = QDBusMessage::createMethodCall(
            QString::fromLatin1(service), QString::fromLatin1(path), QString::fromLatin1(interface),
            QString::fromLatin1(method));
        message.setAutoStartService(false); // ask the desktop's running service, never start one
        const QDBusMessage reply = bus.call(message, QDBus::Block, kDBusTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        return reply.arguments().constFirst();
    }
};

const DBusMethod kMutterIdletime{"org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                                 "org.gnome.Mutter.IdleMonitor", "GetIdletime"}; // milliseconds
const DBusMethod kSessionIdleTime{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                  "org.freedesktop.ScreenSaver", "GetSessionIdleTime"}; // seconds
const DBusMethod kScreenSaverActive{"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                    "org.freedesktop.ScreenSaver", "GetActive"};

using ReadingQuery = std::function<std::optional<IdleReading>()>;

// In a Wayland session the X server is XWayland, whose screen saver extension
// sees only the input sent to X windows: a user typing in native Wayland
// windows would count as idle there, and "Remove" would take minutes worked.
bool WaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

class XScreenSaverQuery {
public:
    static std::shared_ptr<XScreenSaverQuery> open()
    {
        auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        Display *display = x11 ? x11->display() : nullptr;
        int eventBase = 0, errorBase = 0;
        if (!display || !XScreenSaverQueryExtension(display, &eventBase, &errorBase))
            return nullptr;
        return std::shared_ptr<XScreenSaverQuery>(new XScreenSaverQuery(display));
    }
    ~XScreenSaverQuery() { XFree(info_); }

    bool query() { return info_ && XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info_); }
    qint64 idleMs() const { return qint64(info_->idle); }
    bool blanked() const { return info_->state == ScreenSaverOn; }

private:
    explicit XScreenSaverQuery(Display *display) : display_(display), info_(XScreenSaverAllocInfo()) {}
    Display *display_;
    XScreenSaverInfo *info_;
};

// Idle time (and, from the X server, its blanking) from one query; the lock
// state from the desktop's screen saver service where that answers.
class DesktopIdleSource : public IdleSource {
public:
    DesktopIdleSource(ReadingQuery query, bool askScreenSaver)
        : query_(std::move(query)), askScreenSaver_(askScreenSaver)
    {
    }

    std::optional<IdleReading> read() override
    {
        std::optional<IdleReading> reading = query_();
        if (reading && askScreenSaver_) {
            if (const std::optional<QVariant> active = kScreenSaverActive.call())
                reading->locked = active->toBool();
        }
        return reading;
    }

private:
    ReadingQuery query_;
    bool askScreenSaver_;
};

// A D-Bus idle time in milliseconds; unitMs is the length of the unit the call answers in.
std::optional<IdleReading> dbusReading(const DBusMethod &method, qint64 unitMs)
{
    const std::optional<QVariant> value = method.call();
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qint64 idle = value->toLongLong(&ok);
    return ok ? std::optional<IdleReading>(IdleReading{idle * unitMs, false}) : std::nullopt;
}

// A source that answers from one D-Bus method, if that answers now.
std::unique_ptr<IdleSource> dbusIdleSource(const DBusMethod &method, qint64 unitMs, bool askScreenSaver)
{
    if (!dbusReading(method, unitMs))
        return nullptr;
    return std::make_unique<DesktopIdleSource>([&method, unitMs] { return dbusReading(method, unitMs); },
                                               askScreenSaver);
}

// The compositor reports the seat idle after this pause in input: until then
// the idle time reads 0, from then on it is exact. So at most this much of an
// absence is left out of the minutes offered back (the watch drops minutes
// credited before the last input it has seen), and it must lie well below the
// away threshold. Shorter than the watch's look period it would show the
// watch nothing more, and cost a wake-up at every such pause in typing.
constexpr int kIdleNotificationMs = AwayWatch::kPollMs;
static_assert(kIdleNotificationMs < AwayWatch::kAwayMs / 10);

} // namespace

std::unique_ptr<IdleSource> CreateDBusIdleSource()
{
    const bool askScreenSaver = kScreenSaverActive.call().has_value();
    if (std::unique_ptr<IdleSource> gnome = dbusIdleSource(kMutterIdletime, 1, askScreenSaver))
        return gnome;
    return dbusIdleSource(kSessionIdleTime, 1000, askScreenSaver);
}

std::unique_ptr<IdleSource> CreateWaylandIdleSource(int notificationTimeoutMs)
{
    std::shared_ptr<WaylandIdleNotification> notification = WaylandIdleNotification::connect(notificationTimeoutMs);
    if (!notification)
        return nullptr;
    return std::make_unique<DesktopIdleSource>(
        [notification]() -> std::optional<IdleReading> {
            if (const std::optional<qint64> idleMs = notification->idleMs())
                return IdleReading{*idleMs, false};
            return std::nullopt;
        },
        kScreenSaverActive.call().has_value());
}

namespace {

// GNOME's monitor first (Mutter's own count, read at each look), then the
// compositor's protocol (KDE Plasma, Sway and others), then the screen saver
// service, a program apart from the compositor that counts in whole seconds.
std::unique_ptr<IdleSource> waylandSessionIdleSource()
{
    if (std::unique_ptr<IdleSource> gnome = dbusIdleSource(kMutterIdletime, 1, kScreenSaverActive.call().has_value()))
        return gnome;
    if (std::unique_ptr<IdleSource> compositor = CreateWaylandIdleSource(kIdleNotificationMs))
        return compositor;
    return CreateDBusIdleSource();
}

} // namespace

std::unique_ptr<IdleSource> CreateDesktopIdleSource()
{
    if (!qGuiApp || QGuiApplication::platformName() == QLatin1String("offscreen")
        || QGuiApplication::platformName() == QLatin1String("minimal"))
        return nullptr;
    // The X server where it is the session's own, else the desktop's services.
    if (WaylandSession())
        return waylandSessionIdleSource();
    if (const std::shared_ptr<XScreenSaverQuery> x11 = XScreenSaverQuery::open(); x11 && x11->query()) {
        return std::make_unique<DesktopIdleSource>(
            [x11]() -> std::optional<IdleReading> {
                if (!x11->query())
                    return std::nullopt;
                return IdleReading{x11->idleMs(), x11->blanked()};
            },
            kScreenSaverActive.call().has_value());
    }
    return CreateDBusIdleSource();
}
