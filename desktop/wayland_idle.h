#pragma once

#include <QElapsedTimer>
#include <QSocketNotifier>

#include <memory>
#include <optional>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;

// The compositor's word on the user's idleness through the Wayland protocol
// ext-idle-notify-v1, on a Wayland connection of its own (WAYLAND_DISPLAY):
// the compositor sees every input on the seat, whichever client it went to,
// so this holds whether the program runs on Wayland or on XWayland. Its
// events arrive through the Qt event loop; nothing asks on a timer.
class WaylandIdleNotification {
public:
    // Null when no compositor answers, or when it offers no seat or no idle
    // notifier. timeoutMs is the pause in input after which the compositor
    // reports the seat idle.
    static std::unique_ptr<WaylandIdleNotification> connect(int timeoutMs);
    ~WaylandIdleNotification();
    WaylandIdleNotification(const WaylandIdleNotification &) = delete;
    WaylandIdleNotification &operator=(const WaylandIdleNotification &) = delete;

    // The time since the last input as far as the notification tells it: the
    // timeout plus the time since the seat went idle, 0 while it is not idle
    // (a pause shorter than the timeout counts as none). Nothing once the
    // connection is lost.
    std::optional<qint64> idleMs() const;

private:
    WaylandIdleNotification(wl_display *display, int timeoutMs);
    bool bindGlobals();
    bool roundtrip();
    bool readAndDispatch(int waitMs);
    void dispatchArrived();

    static void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
                               uint32_t version);
    static void idled(void *data, ext_idle_notification_v1 *notification);
    static void resumed(void *data, ext_idle_notification_v1 *notification);

    wl_display *display_;
    int timeoutMs_;
    wl_registry *registry_ = nullptr;
    wl_seat *seat_ = nullptr;
    ext_idle_notifier_v1 *notifier_ = nullptr;
    ext_idle_notification_v1 *notification_ = nullptr;
    std::unique_ptr<QSocketNotifier> readable_;
    QElapsedTimer idleSince_; // valid while the seat is idle
    bool lost_ = false;
};
