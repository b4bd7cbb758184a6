#include "idle_source.h"

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
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return std::nullopt;
        const QDBusMessage reply = bus.call(
            QDBusMessage::createMethodCall(QString::fromLatin1(service), QString::fromLatin1(path),
                                           QString::fromLatin1(interface), QString::fromLatin1(method)),
            QDBus::Block, kDBusTimeoutMs);
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

using IdleQuery = std::function<std::optional<qint64>()>;
using LockQuery = std::function<std::optional<bool>()>;

// The X server's screen saver extension: idle milliseconds, and whether the server blanked the screen.
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

class DesktopIdleSource : public IdleSource {
public:
    DesktopIdleSource(IdleQuery idle, LockQuery locked) : idle_(std::move(idle)), locked_(std::move(locked)) {}

    std::optional<IdleReading> read() override
    {
        const std::optional<qint64> idle = idle_();
        if (!idle)
            return std::nullopt;
        return IdleReading{*idle, locked_().value_or(false)};
    }

private:
    IdleQuery idle_;
    LockQuery locked_;
};

std::optional<qint64> dbusIdleMs(const DBusMethod &method, qint64 unitMs)
{
    const std::optional<QVariant> value = method.call();
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qint64 idle = value->toLongLong(&ok);
    return ok ? std::optional<qint64>(idle * unitMs) : std::nullopt;
}

} // namespace

std::unique_ptr<IdleSource> CreateDesktopIdleSource()
{
    if (!qGuiApp || QGuiApplication::platformName() == QLatin1String("offscreen")
        || QGuiApplication::platformName() == QLatin1String("minimal"))
        return nullptr;

    // The lock state: the desktop's screen saver service, else the X server's own blanking.
    const std::shared_ptr<XScreenSaverQuery> x11 = XScreenSaverQuery::open();
    LockQuery locked = [] { return std::optional<bool>(); };
    if (kScreenSaverActive.call()) {
        locked = [] {
            const std::optional<QVariant> active = kScreenSaverActive.call();
            return active ? std::optional<bool>(active->toBool()) : std::nullopt;
        };
    } else if (x11) {
        locked = [x11] { return x11->query() ? std::optional<bool>(x11->blanked()) : std::nullopt; };
    }

    // The idle time: the X server where Qt draws through X11, else GNOME, else the freedesktop call.
    if (x11 && x11->query())
        return std::make_unique<DesktopIdleSource>(
            [x11] { return x11->query() ? std::optional<qint64>(x11->idleMs()) : std::nullopt; }, locked);
    if (dbusIdleMs(kMutterIdletime, 1))
        return std::make_unique<DesktopIdleSource>([] { return dbusIdleMs(kMutterIdletime, 1); }, locked);
    if (dbusIdleMs(kSessionIdleTime, 1000))
        return std::make_unique<DesktopIdleSource>([] { return dbusIdleMs(kSessionIdleTime, 1000); }, locked);
    return nullptr;
}
