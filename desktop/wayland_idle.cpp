#include "wayland_idle.h"

#include "ext-idle-notify-v1-client-protocol.h"

#include <QDeadlineTimer>

#include <wayland-client.h>

#include <cstring>
#include <poll.h>

namespace {

// The compositor answers a round trip at once; one that does not must not hold up the start.
constexpr int kRoundtripTimeoutMs = 1000;

} // namespace

std::unique_ptr<WaylandIdleNotification> WaylandIdleNotification::connect(int timeoutMs)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandIdleNotification> watch(new WaylandIdleNotification(display, timeoutMs));
    if (!watch->bindGlobals())
        return nullptr;
    return watch;
}

WaylandIdleNotification::WaylandIdleNotification(wl_display *display, int timeoutMs)
    : display_(display), timeoutMs_(timeoutMs)
{
}

WaylandIdleNotification::~WaylandIdleNotification()
{
    readable_.reset();
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
    if (notifier_)
        ext_idle_notifier_v1_destroy(notifier_);
    if (seat_)
        wl_seat_destroy(seat_);
    if (registry_)
        wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

std::optional<qint64> WaylandIdleNotification::idleMs() const
{
    if (lost_)
        return std::nullopt;
    return idleSince_.isValid() ? timeoutMs_ + idleSince_.elapsed() : 0;
}

// Binds the first seat and the idle notifier the registry announces and asks
// for the notification; its events then arrive through the socket notifier.
bool WaylandIdleNotification::bindGlobals()
{
    static const wl_registry_listener registryListener{&WaylandIdleNotification::registryGlobal,
                                                       [](void *, wl_registry *, uint32_t) {}};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, this);
    if (!roundtrip() || !seat_ || !notifier_)
        return false;

    static const ext_idle_notification_v1_listener notificationListener{&WaylandIdleNotification::idled,
                                                                        &WaylandIdleNotification::resumed};
    notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, uint32_t(timeoutMs_), seat_);
    ext_idle_notification_v1_add_listener(notification_, &notificationListener, this);
    if (wl_display_flush(display_) < 0)
        return false;
    readable_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(readable_.get(), &QSocketNotifier::activated, readable_.get(), [this] { dispatchArrived(); });
    return true;
}

void WaylandIdleNotification::registryGlobal(void *data, wl_registry *registry, uint32_t name,
                                             const char *interface, uint32_t)
{
    auto *self = static_cast<WaylandIdleNotification *>(data);
    if (!self->seat_ && std::strcmp(interface, wl_seat_interface.name) == 0)
        self->seat_ = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!self->notifier_ && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
        self->notifier_ = static_cast<ext_idle_notifier_v1 *>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
}

void WaylandIdleNotification::idled(void *data, ext_idle_notification_v1 *)
{
    static_cast<WaylandIdleNotification *>(data)->idleSince_.start();
}

void WaylandIdleNotification::resumed(void *data, ext_idle_notification_v1 *)
{
    static_cast<WaylandIdleNotification *>(data)->idleSince_.invalidate();
}

// Waits, for a bounded time, until the compositor has answered every request sent so far.
bool WaylandIdleNotification::roundtrip()
{
    static const wl_callback_listener doneListener{
        [](void *data, wl_callback *, uint32_t) { *static_cast<bool *>(data) = true; }};
    bool done = false;
    wl_callback *callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &doneListener, &done);
    const QDeadlineTimer deadline(kRoundtripTimeoutMs);
    while (!done && !deadline.hasExpired() && readAndDispatch(int(deadline.remainingTime()))) {
    }
    wl_callback_destroy(callback);
    return done;
}

// One turn of libwayland's reading protocol: dispatch what is queued, send
// what is pending, wait up to waitMs for the socket, read and dispatch.
// False once the connection has failed.
bool WaylandIdleNotification::readAndDispatch(int waitMs)
{
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0)
            return false;
    }
    wl_display_flush(display_); // a full buffer (EAGAIN) is sent at the next turn
    pollfd socket{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&socket, 1, waitMs) <= 0) {
        wl_display_cancel_read(display_);
        return wl_display_get_error(display_) == 0;
    }
    return wl_display_read_events(display_) == 0 && wl_display_dispatch_pending(display_) >= 0;
}

void WaylandIdleNotification::dispatchArrived()
{
    if (readAndDispatch(0))
        return;
    // The compositor is gone (the session is ending) or broke the protocol:
    // the watch hears nothing more from here.
    lost_ = true;
    readable_->setEnabled(false);
}
